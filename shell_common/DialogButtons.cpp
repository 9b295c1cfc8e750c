#include "DialogButtons.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "Language.h"
#include "Prompt.h"

QHBoxLayout* DialogButtonRow(std::initializer_list<QPushButton*> buttons) {
  auto* row = new QHBoxLayout;
  row->addStretch();
  for (QPushButton* b : buttons) row->addWidget(b);
  return row;
}

QPushButton* DialogButton(QWidget* dialog, const QString& text, const QString& name,
                          const std::function<void()>& click) {
  auto* b = new QPushButton(text, dialog);
  b->setObjectName(name);
  b->setAutoDefault(false);
  QObject::connect(b, &QPushButton::clicked, dialog, click);
  return b;
}

void ShowTextError(QWidget* owner, int textId, const QString& design) {
  QString message = design;
  ReadText(textId, &message);
  ShowPrompt(owner, QString(), message, PromptIcon::Stop);
}
