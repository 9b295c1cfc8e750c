#include "PageVarie.h"

#include <QGridLayout>
#include <QLabel>

#include "ChainCheckBox.h"
#include "Config.h"
#include "ConfigPageFields.h"
#include "EcuData.h"
#include "Language.h"
#include "NumericEdit.h"

using namespace PageFields;

namespace {
constexpr int kCodeIdleReturn = 0x449;
constexpr int kCodeMinAtIdle = 0x629;
// The minimum correction at idle with the idle lock off.
constexpr int kUnlockedMinimum = 80;
}  // namespace

TPageVarie::TPageVarie(TFormConfig* form, ConfigPageId id)
    : TConfigPage(form, id), idleReturn_({{kCodeIdleReturn, 100, 0}}, TOffStateOption::Restore::Positive) {
  LabelPassiCorrAp = Label(this, "LabelPassiCorrAp", QStringLiteral("Massima correzione fuori minimo"));
  EditMaxErrInteg = Edit(this, "EditMaxErrInteg");
  LabelPassiCorrCh = Label(this, "LabelPassiCorrCh", QStringLiteral("Minima correzione fuori minimo"));
  EditMinErrInteg = Edit(this, "EditMinErrInteg");
  LabelPassiCorrApMin = Label(this, "LabelPassiCorrApMin", QStringLiteral("Massima correzione al minimo"));
  EditMaxErrIntegMin = Edit(this, "EditMaxErrIntegMin");
  LabelPassiCorrChMin = Label(this, "LabelPassiCorrChMin", QStringLiteral("Minima correzione al minimo"));
  EditMinErrIntegMin = Edit(this, "EditMinErrIntegMin");
  LabelTpsSbana = Label(this, "LabelTpsSbana", QStringLiteral("TPS per arricchimento miscela"));
  EditTpsSbana = Edit(this, "EditTpsSbana");
  LabelGiriSbana = Label(this, "LabelGiriSbana", QStringLiteral("Giri per arricchimento miscela"));
  EditGiriSbana = Edit(this, "EditGiriSbana");
  CheckRientroMin = Check(this, "CheckRientroMin", QStringLiteral("&Rientro al minimo controllato"));
  LabelCorrMin = Label(this, "LabelCorrMin", QStringLiteral("Valore correttore al rientro al minimo"));
  EditRientroMinimo = Edit(this, "EditRientroMinimo");
  CheckBloccoMin = Check(this, "CheckBloccoMin", QStringLiteral("&Blocco del minimo"));

  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(3, 1);
  int row = 0;
  AddRow(grid, row++, LabelPassiCorrAp, EditMaxErrInteg);
  AddRow(grid, row++, LabelPassiCorrCh, EditMinErrInteg);
  AddRow(grid, row++, LabelPassiCorrApMin, EditMaxErrIntegMin);
  AddRow(grid, row++, LabelPassiCorrChMin, EditMinErrIntegMin);
  AddRow(grid, row++, LabelTpsSbana, EditTpsSbana, Label(this, "LabelV11", QStringLiteral("V")));
  AddRow(grid, row++, LabelGiriSbana, EditGiriSbana, Label(this, "LabelRpm4", QStringLiteral("rpm")));
  grid->addWidget(CheckRientroMin, row++, 0, 1, 3);
  AddRow(grid, row++, LabelCorrMin, EditRientroMinimo);
  grid->addWidget(CheckBloccoMin, row++, 0, 1, 3);
  grid->setRowStretch(row, 1);

  LinkChain({CheckRientroMin, EditRientroMinimo, CheckBloccoMin, EditMaxErrInteg, EditMinErrInteg,
             EditMaxErrIntegMin, EditMinErrIntegMin, EditTpsSbana, EditGiriSbana});
  connect(CheckRientroMin, &QAbstractButton::clicked, this, &TPageVarie::CheckRientroMinClick);
  connect(CheckBloccoMin, &QAbstractButton::clicked, this, &TPageVarie::CheckBloccoMinClick);
}

void TPageVarie::PageShow() {
  if (!EcuData) return;
  programSet_ = true;
  SetChecked(CheckRientroMin, idleReturn_.IsOn());
  CheckRientroMinClick();
  IdleLockState();
  programSet_ = false;
  EditMaxErrInteg->SetDouble(Rounded(EcuData->GetValue(0x626)));
  EditMinErrInteg->SetDouble(Rounded(EcuData->GetValue(0x627)));
  EditMaxErrIntegMin->SetDouble(Rounded(EcuData->GetValue(0x628)));
  EditMinErrIntegMin->SetDouble(Rounded(EcuData->GetValue(kCodeMinAtIdle)));
  EditTpsSbana->SetDouble(EcuData->GetValue(0x2C));
  EditGiriSbana->SetDouble(Rounded(EcuData->GetValue(0x22D)));
  CheckRientroMin->setFocus();
}

void TPageVarie::IdleLockState() {
  SetChecked(CheckBloccoMin, Rounded(EcuData->GetValue(kCodeMinAtIdle)) == 0);
}

void TPageVarie::AfterSharedEnter(QWidget* sender) {
  // The idle lock is the minimum correction at idle at 0: the box follows that field.
  if (sender == EditMinErrIntegMin) IdleLockState();
}

void TPageVarie::CheckBloccoMinClick() {
  if (!EcuData || programSet_) return;
  EcuData->SetValue(kCodeMinAtIdle, CheckBloccoMin->isChecked() ? 0 : kUnlockedMinimum);
  IdleLockState();
  EditMinErrIntegMin->SetDouble(Rounded(EcuData->GetValue(kCodeMinAtIdle)));
}

void TPageVarie::CheckRientroMinClick() {
  OffStateOptionClick(idleReturn_, CheckRientroMin, programSet_, {LabelCorrMin, EditRientroMinimo},
                      EditRientroMinimo, kCodeIdleReturn);
}

void TPageVarie::Translate() {
  TranslateCaptions({{CheckRientroMin, 259},
                     {CheckBloccoMin, 428},
                     {LabelCorrMin, 260},
                     {LabelPassiCorrApMin, 261},
                     {LabelPassiCorrChMin, 262},
                     {LabelPassiCorrAp, 263},
                     {LabelPassiCorrCh, 264},
                     {LabelTpsSbana, 265},
                     {LabelGiriSbana, 266}});
}
