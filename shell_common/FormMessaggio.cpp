#include "FormMessaggio.h"

#include <QLabel>
#include <QVBoxLayout>

#include "ScreenScale.h"

TFormMessaggio::TFormMessaggio(QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      Messaggio(new QLabel(QStringLiteral("Messaggio....."), this)) {
  setObjectName(QStringLiteral("FormMessaggio"));
  // A notice takes no input: the window under it stays the active one.
  setAttribute(Qt::WA_ShowWithoutActivating);
  setWindowTitle(QStringLiteral("FormMessaggio"));
  Messaggio->setObjectName(QStringLiteral("Messaggio"));
  Messaggio->setAlignment(Qt::AlignCenter);
  Messaggio->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 18, 24, 18);
  layout->addWidget(Messaggio);
  setMinimumWidth(300);
}

void TFormMessaggio::setVisible(bool visible) {
  if (visible) FitWindowToScreen(this);
  QDialog::setVisible(visible);
}
