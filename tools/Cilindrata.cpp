#include "Cilindrata.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "KeyComboBox.h"
#include "Language.h"
#include "NumericEdit.h"
#include "Prompt.h"
#include "ScreenScale.h"

namespace {

QLabel* NewLabel(QWidget* parent, const char* name, int k) {
  auto* label = new QLabel(Tr(k), parent);
  label->setObjectName(QLatin1String(name));
  return label;
}

}  // namespace

TFormCilindrata::TFormCilindrata(QWidget* owner, bool fuelOnly)
    : TModalDialog(owner), fuelOnly_(fuelOnly), refusal_(Tr(412)) {
  setObjectName(QStringLiteral("FormCilindrata"));
  setWindowTitle(Tr(406));

  LabelCilindrata = NewLabel(this, "LabelCilindrata", 407);
  EditCilindrata = new TNumericEdit(this);
  EditCilindrata->setObjectName(QStringLiteral("EditCilindrata"));
  EditCilindrata->SetPrecision(1);
  EditCilindrata->SetMaxValue(5000);
  EditCilindrata->SetValidation(false);
  EditCilindrata->SetInt(0);

  LabelCarburante = NewLabel(this, "LabelCarburante", 408);
  ComboCarburante = new TKeyComboBox(this);
  ComboCarburante->setObjectName(QStringLiteral("ComboCarburante"));
  ComboCarburante->addItem(Tr(413));
  ComboCarburante->addItem(Tr(414));
  ComboCarburante->setCurrentIndex(0);
  EditCilindrata->SetNextControl(ComboCarburante);

  CheckTurbo = new QCheckBox(QStringLiteral("Turbo"), this);
  CheckTurbo->setObjectName(QStringLiteral("CheckTurbo"));

  LabelAttenzione = NewLabel(this, "LabelAttenzione", 409);
  LabelAttenzione->setStyleSheet(QStringLiteral("color: red; font-weight: bold"));
  LabelResetCarburazione = new QLabel(this);
  LabelResetCarburazione->setObjectName(QStringLiteral("LabelResetCarburazione"));
  LabelResetCarburazione->setWordWrap(true);
  LabelResetCarburazione->setText(fuelOnly ? Tr(426) + QLatin1Char(' ') + Tr(427)
                                           : Tr(410) + QLatin1Char(' ') + Tr(411));

  ButtonOk = AddCloseButton(Tr(103), QStringLiteral("ButtonOk"), mrOk);
  ButtonAnnulla = AddCloseButton(Tr(104), QStringLiteral("ButtonAnnulla"), mrCancel);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ButtonOk);
  buttons->addWidget(ButtonAnnulla);
  buttons->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  if (fuelOnly) {
    // The warning comes first, where the displacement stood, and the buttons close the form.
    setWindowTitle(LabelCarburante->text());
    LabelCilindrata->hide();
    EditCilindrata->hide();
    CheckTurbo->hide();
    layout->addWidget(LabelAttenzione);
    layout->addWidget(LabelResetCarburazione);
    layout->addWidget(LabelCarburante);
    layout->addWidget(ComboCarburante);
    layout->addLayout(buttons);
    setTabOrder(ButtonOk, ComboCarburante);
    setTabOrder(ComboCarburante, ButtonAnnulla);
    ButtonOk->setFocus();
  } else {
    layout->addWidget(LabelCilindrata);
    layout->addWidget(EditCilindrata);
    layout->addWidget(LabelCarburante);
    layout->addWidget(ComboCarburante);
    layout->addWidget(CheckTurbo);
    layout->addWidget(LabelAttenzione);
    layout->addWidget(LabelResetCarburazione);
    layout->addLayout(buttons);
    setTabOrder(EditCilindrata, ComboCarburante);
    setTabOrder(ComboCarburante, CheckTurbo);
    setTabOrder(CheckTurbo, ButtonOk);
    setTabOrder(ButtonOk, ButtonAnnulla);
    EditCilindrata->setFocus();
  }
  setMinimumWidth(360);
}

void TFormCilindrata::setVisible(bool visible) {
  if (visible) FitAndFixWindowToScreen(this);
  TModalDialog::setVisible(visible);
}

void TFormCilindrata::done(int r) {
  if (r == mrOk && !EditCilindrata->isHidden() && EditCilindrata->GetInt() < kMinCilindrata) {
    ShowPrompt(this, QString(), refusal_, PromptIcon::Stop);
    EditCilindrata->setFocus();
    return;
  }
  TModalDialog::done(r);
}

int RunFuelOnlyDialog(QWidget* owner, int* fuelIndex) {
  TFormCilindrata dialog(owner, true);
  dialog.ComboCarburante->setCurrentIndex(fuelIndex && *fuelIndex == 1 ? 1 : 0);
  const int result = dialog.ShowModal();
  if (result == TModalDialog::mrOk && fuelIndex) *fuelIndex = dialog.ComboCarburante->currentIndex();
  return result;
}
