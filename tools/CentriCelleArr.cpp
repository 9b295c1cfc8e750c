#include "CentriCelleArr.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "CentriCelle.h"
#include "DialogButtons.h"
#include "EcuData.h"
#include "Language.h"
#include "NumericEdit.h"

TFormCentriCelleArr::TFormCentriCelleArr(QWidget* owner) : TModalDialog(owner) {
  setObjectName("FormCentriCelleArr");
  setWindowTitle("Riferimenti mappa arricchimenti");
  count_ = EcuData ? std::clamp(EcuData->GetNumeroRigheArr(), 1, 5) : 5;
  GroupRifCum = new QGroupBox("Righe del cumulo", this);
  GroupRifCum->setObjectName("GroupRifCum");
  auto* grid = new QGridLayout(GroupRifCum);
  for (int i = 0; i < 5; ++i) {
    LabelRifMap[i] = new QLabel(QString::number(i + 1), GroupRifCum);
    auto* e = new TNumericEdit(GroupRifCum);
    e->setObjectName(QString("NumEditRifMap%1").arg(i));
    e->SetMaxLength(4);
    e->SetPrecision(1);
    e->SetMaxValue(100);
    NumEditRifMap[i] = e;
    grid->addWidget(LabelRifMap[i], i, 0);
    grid->addWidget(e, i, 1);
    if (i > 0) {
      NumEditRifMap[i - 1]->SetNextControl(e);
      e->SetPrevControl(NumEditRifMap[i - 1]);
    }
    if (i < count_) {
      if (EcuData) e->SetInt(EcuData->GetRifCumulo(i));
    } else {
      e->hide();
      LabelRifMap[i]->hide();
    }
  }
  ButtonOk = DialogButton(this, "&OK", "ButtonOk", [this] { ButtonOkClick(); });
  ButtonAnnulla = AddCloseButton("&Annulla", "ButtonAnnulla", mrCancel);
  // Tab order: the references, OK, Annulla, round again. Hidden fields are passed over, so
  // Shift+Tab from OK reaches the last reference shown.
  for (int i = 1; i < 5; ++i) setTabOrder(NumEditRifMap[i - 1], NumEditRifMap[i]);
  setTabOrder(NumEditRifMap[4], ButtonOk);
  setTabOrder(ButtonOk, ButtonAnnulla);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(GroupRifCum);
  layout->addLayout(DialogButtonRow({ButtonOk, ButtonAnnulla}));

  TranslateCaption(this, 106);
  TranslateCaption(GroupRifCum, 108);
  TranslateCaption(ButtonOk, 103);
  TranslateCaption(ButtonAnnulla, 104);
}

void TFormCentriCelleArr::showEvent(QShowEvent* e) {
  TModalDialog::showEvent(e);
  NumEditRifMap[0]->setFocus();
}

void TFormCentriCelleArr::ButtonOkClick() {
  std::array<int, 5> refs{};
  for (int i = 0; i < count_; ++i) refs[i] = NumEditRifMap[i]->GetInt();
  if (const int bad = TFormCentriCelle::FirstNotIncreasing(std::span<const int>(refs.data(), count_));
      bad >= 0) {
    ShowTextError(this, 107, "Attensione: i riferimenti VARIAZIONE TPS non sono corretti!");
    NumEditRifMap[bad]->setFocus();
    return;
  }
  if (EcuData)
    for (int i = 0; i < count_; ++i) EcuData->SetRifCumulo(i, refs[i]);
  done(mrOk);
}
