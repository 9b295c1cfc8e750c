#include "PageTps.h"

#include <QGridLayout>
#include <QLabel>

#include "ChainCheckBox.h"
#include "Config.h"
#include "ConfigPageFields.h"
#include "EcuData.h"
#include "KeyComboBox.h"
#include "Language.h"
#include "NumericEdit.h"

using namespace PageFields;

namespace {
constexpr int kCodeTps = 0x300001A;
constexpr int kCodeSwitch = 0x230001A;
constexpr int kCodeDriveByWire = 0x150001A;
constexpr int kCodeIdleValue = 0x170001A;
constexpr int kCodeCoefficient = 0x64;
constexpr int kCodeCoefficientTime = 0x65;
constexpr int kCodeTimeTo100 = 0x66;
}  // namespace

TPageTps::TPageTps(TFormConfig* form, ConfigPageId id)
    : TConfigPage(form, id),
      softExit_({{kCodeCoefficient, 100, 100}, {kCodeCoefficientTime, 100, 100}, {kCodeTimeTo100, 0, 0}},
                TOffStateOption::Restore::Always) {
  LabelTipoTps = Label(this, "LabelTipoTps", QStringLiteral("Tipo TPS"));
  ComboTps = Combo(this, "ComboTps", {"Diritto", "Invertito"});
  LabelTpsSwitch = Label(this, "LabelTpsSwitch", QStringLiteral("Switch TPS"));
  ComboTpsSwitch = Combo(this, "ComboTpsSwitch", {"Assente", "Diritto", "Invertito"});
  CheckDriveByWire1 = Check(this, "CheckDriveByWire1", QStringLiteral("Sistema Drive by wire con filo TPS"));
  CheckDriveByWire2 = Label(this, "CheckDriveByWire2", QStringLiteral("collegato al pedale"));
  CheckTpsBloc = Check(this, "CheckTpsBloc", QStringLiteral("Valore TPS al minimo impostato manualmente"));
  LabelIstTps = Label(this, "LabelIstTps", QStringLiteral("Isteresi TPS"));
  EditIstTps = Edit(this, "EditIstTps");
  LabelV6 = Label(this, "LabelV6", QStringLiteral("V"));
  LabelTpsMoltoFMin =
      Label(this, "LabelTpsMoltoFMin", QStringLiteral("Incremento TPS per seconda soglia fuori minimo"));
  EditTpsMoltoFMin = Edit(this, "EditTpsMoltoFMin");
  CheckUscitaSoft = Check(this, "CheckUscitaSoft", QStringLiteral("Abilita uscita soft"));
  LabelCoefficienteUscitaMinimo =
      Label(this, "LabelCoefficienteUscitaMinimo", QStringLiteral("Coefficiente di uscita dal minimo"));
  EditCoefficienteUscitaMinimo = Edit(this, "EditCoefficienteUscitaMinimo");
  LabelPerCento = Label(this, "LabelPerCento", QStringLiteral("%"));
  LabelTempoCoefficienteUscitaMinimo = Label(this, "LabelTempoCoefficienteUscitaMinimo",
                                             QStringLiteral("Tempo di mantenimento del coefficiente"));
  EditTempoCoefficienteUscitaMinimo = Edit(this, "EditTempoCoefficienteUscitaMinimo");
  LabelMsec1 = Label(this, "LabelMsec1", QStringLiteral("ms"));
  LabelTempoPer100 = Label(this, "LabelTempoPer100", QStringLiteral("Tempo per il ritorno al 100 %"));
  EditTempoPer100 = Edit(this, "EditTempoPer100");
  LabelMsec2 = Label(this, "LabelMsec2", QStringLiteral("ms"));
  // The drive-by-wire option is kept but not offered.
  SetVisible({CheckDriveByWire1, CheckDriveByWire2}, false);

  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(3, 1);
  int row = 0;
  AddRow(grid, row++, LabelTipoTps, ComboTps);
  AddRow(grid, row++, LabelTpsSwitch, ComboTpsSwitch);
  grid->addWidget(CheckDriveByWire1, row++, 0, 1, 3);
  grid->addWidget(CheckDriveByWire2, row++, 0, 1, 3);
  grid->addWidget(CheckTpsBloc, row++, 0, 1, 3);
  AddRow(grid, row++, LabelIstTps, EditIstTps, LabelV6);
  AddRow(grid, row++, LabelTpsMoltoFMin, EditTpsMoltoFMin, Label(this, "LabelV8", QStringLiteral("V")));
  grid->addWidget(CheckUscitaSoft, row++, 0, 1, 3);
  AddRow(grid, row++, LabelCoefficienteUscitaMinimo, EditCoefficienteUscitaMinimo, LabelPerCento);
  AddRow(grid, row++, LabelTempoCoefficienteUscitaMinimo, EditTempoCoefficienteUscitaMinimo, LabelMsec1);
  AddRow(grid, row++, LabelTempoPer100, EditTempoPer100, LabelMsec2);
  grid->setRowStretch(row, 1);

  LinkChain({ComboTps, ComboTpsSwitch, CheckTpsBloc, EditIstTps, EditTpsMoltoFMin, CheckUscitaSoft,
             EditCoefficienteUscitaMinimo, EditTempoCoefficienteUscitaMinimo, EditTempoPer100});
  connect(CheckTpsBloc, &QAbstractButton::clicked, this, &TPageTps::CheckTpsBlocClick);
  connect(CheckDriveByWire1, &QAbstractButton::clicked, this, &TPageTps::CheckDriveByWireClick);
  connect(CheckUscitaSoft, &QAbstractButton::clicked, this, &TPageTps::CheckUscitaSoftClick);
}

void TPageTps::PageShow() {
  if (!EcuData) return;
  SetIndex(ComboTps, Rounded(EcuData->GetValue(kCodeTps)));
  SetIndex(ComboTpsSwitch, Rounded(EcuData->GetValue(kCodeSwitch)));
  EditIstTps->SetDouble(EcuData->GetValue(0x1B));
  SetChecked(CheckDriveByWire1, EcuData->GetValue(kCodeDriveByWire) != 0);
  SetChecked(CheckTpsBloc, EcuData->GetValue(kCodeIdleValue) != 0);
  IdleValueCaption();
  EditTpsMoltoFMin->SetDouble(EcuData->GetValue(0x3F));
  EditCoefficienteUscitaMinimo->SetDouble(Rounded(EcuData->GetValue(kCodeCoefficient)));
  // Set by the page: the box follows the coefficient and nothing is written back.
  programSet_ = true;
  const bool wasOn = CheckUscitaSoft->isChecked();
  SetChecked(CheckUscitaSoft, softExit_.IsOn());
  if (wasOn != CheckUscitaSoft->isChecked())
    CheckUscitaSoftClick();
  else
    SoftExitFields();
  programSet_ = false;
  TpsSwitchRule();
  ComboTps->setFocus();
}

void TPageTps::AfterSharedEnter(QWidget* sender) {
  if (sender == ComboTpsSwitch) TpsSwitchRule();
}

void TPageTps::TpsSwitchRule() {
  const bool present = ComboTpsSwitch->currentIndex() > 0;
  EditIstTps->SetPrevControl(present ? static_cast<QWidget*>(CheckDriveByWire1) : CheckTpsBloc);
  // A switch rules out the manual idle value: the box is cleared as by a click, also when the
  // page is shown with both set in the ECU, so the ECU does not keep that inconsistent state.
  if (present && CheckTpsBloc->isChecked()) {
    SetChecked(CheckTpsBloc, false);
    CheckTpsBlocClick();
  }
  SetEnabled({CheckTpsBloc, EditIstTps, LabelV6, LabelIstTps}, !present);
}

void TPageTps::IdleValueCaption() {
  LabelIstTps->setText(CheckTpsBloc->isChecked()
                           ? Form()->Text(500, QStringLiteral("Valore del TPS al minimo"))
                           : Form()->Text(196, QStringLiteral("Isteresi TPS")));
}

void TPageTps::CheckTpsBlocClick() {
  if (!EcuData) return;
  EcuData->SetValue(kCodeIdleValue, CheckTpsBloc->isChecked() ? 1 : 0);
  SetChecked(CheckTpsBloc, EcuData->GetValue(kCodeIdleValue) != 0);
  IdleValueCaption();
}

void TPageTps::CheckDriveByWireClick() {
  if (!EcuData) return;
  EcuData->SetValue(kCodeDriveByWire, CheckDriveByWire1->isChecked() ? 1 : 0);
  SetChecked(CheckDriveByWire1, EcuData->GetValue(kCodeDriveByWire) != 0);
}

void TPageTps::CheckUscitaSoftClick() {
  if (!EcuData) return;
  bool accepted = true;
  if (!CheckUscitaSoft->isChecked()) {
    // Off, by the user or by the page clearing the box: the values in use are kept for the next
    // switch on and the off values written.
    accepted = softExit_.SwitchOff();
  } else if (!programSet_) {
    accepted = softExit_.SwitchOn();
  }
  // A refused write: the box shows the soft exit as the data set holds it.
  if (!accepted) SetChecked(CheckUscitaSoft, softExit_.IsOn());
  SoftExitFields();
}

void TPageTps::SoftExitFields() {
  SetVisible({LabelCoefficienteUscitaMinimo, EditCoefficienteUscitaMinimo, LabelPerCento,
              LabelTempoCoefficienteUscitaMinimo, EditTempoCoefficienteUscitaMinimo, LabelMsec1,
              LabelTempoPer100, EditTempoPer100, LabelMsec2},
             CheckUscitaSoft->isChecked());
  EditCoefficienteUscitaMinimo->SetDouble(Rounded(EcuData->GetValue(kCodeCoefficient)));
  EditTempoCoefficienteUscitaMinimo->SetDouble(Rounded(EcuData->GetValue(kCodeCoefficientTime)));
  EditTempoPer100->SetDouble(Rounded(EcuData->GetValue(kCodeTimeTo100)));
}

void TPageTps::Translate() {
  TranslateCaptions({{LabelTipoTps, 189},
                     {LabelTpsSwitch, 192},
                     {CheckDriveByWire1, 497},
                     {CheckDriveByWire2, 498},
                     {CheckTpsBloc, 499},
                     {LabelTpsMoltoFMin, 501},
                     {CheckUscitaSoft, 502},
                     {LabelCoefficienteUscitaMinimo, 503},
                     {LabelTempoCoefficienteUscitaMinimo, 504},
                     {LabelTempoPer100, 505}});
  TranslateItems(ComboTps, {190, 191});
  TranslateItems(ComboTpsSwitch, {193, 194, 195});
  IdleValueCaption();
}
