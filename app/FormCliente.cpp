#include "FormCliente.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "BrandProfile.h"
#include "Language.h"

TFormCliente::TFormCliente(QWidget* owner)
    : TModalDialog(owner),
      Label1(new QLabel(QStringLiteral("Modifica il cliente attuale:"))),
      ComboClienti(new QComboBox),
      ButtonOk(new QPushButton(QStringLiteral("&OK"))),
      ButtonAnnulla(new QPushButton(QStringLiteral("&Annulla"))) {
  setObjectName(QStringLiteral("FormCliente"));
  setWindowTitle(QStringLiteral("Cliente centralina"));
  Label1->setObjectName(QStringLiteral("Label1"));
  ComboClienti->setObjectName(QStringLiteral("ComboClienti"));
  ComboClienti->setEditable(false);
  for (int i = 0; i < kBrandLabelSlots; ++i) ComboClienti->addItem(QString::fromLatin1(GetBrandLabel(i)));
  ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
  ButtonOk->setDefault(true);
  ButtonAnnulla->setObjectName(QStringLiteral("ButtonAnnulla"));
  const std::pair<QObject*, int> captions[] = {
      {this, 548}, {Label1, 547}, {ButtonOk, 103}, {ButtonAnnulla, 104}};
  for (const auto& [control, k] : captions) TranslateCaption(control, k);
  connect(ButtonOk, &QPushButton::clicked, this, [this] { done(mrOk); });
  connect(ButtonAnnulla, &QPushButton::clicked, this, [this] { done(mrCancel); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ButtonOk);
  buttons->addWidget(ButtonAnnulla);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addWidget(ComboClienti);
  layout->addLayout(buttons);
  setMinimumWidth(300);
}
