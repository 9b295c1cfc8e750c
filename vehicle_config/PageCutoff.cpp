#include "PageCutoff.h"

#include <QGridLayout>
#include <QLabel>
#include <QVariant>

#include "ChainCheckBox.h"
#include "Config.h"
#include "ConfigPageFields.h"
#include "EcuData.h"
#include "KeyComboBox.h"
#include "Language.h"
#include "NumericEdit.h"

using namespace PageFields;

namespace {
constexpr int kCodeEndRpm = 0x216;
constexpr int kCodeReleaseCorrection = 0x66C;
// Option-word kinds of the two cut-off options.
constexpr int kFlagTotal = 3;
constexpr int kFlagInjectors = 5;
// Ramp phases and cycle counts of the data set.
constexpr int kPhaseOpening = 1;
constexpr int kPhaseClosing = 2;
enum RampTag { TagClosing, TagOpening, TagCycles, TagPartialCycles };

TNumericEdit* RampField(QWidget* page, const char* name, int tag, double min, double max, double step) {
  TNumericEdit* e = Edit(page, name);
  e->setProperty("Tag", tag);
  // Its own Enter handler writes the ramp; the frame only gives it its limits when bound.
  e->setProperty("sharedEnter", false);
  e->SetMaxValue(max);
  e->SetMinValue(min);
  e->SetPrecision(step);
  return e;
}
}  // namespace

TPageCutoff::TPageCutoff(TFormConfig* form, ConfigPageId id)
    : TConfigPage(form, id),
      releaseLeaning_({{kCodeReleaseCorrection, 1000, 0}}, TOffStateOption::Restore::Never) {
  LabelOpzioneCutoff = Label(this, "LabelOpzioneCutoff", QStringLiteral("Tipo di cutoff"));
  ComboCutoff = Combo(this, "ComboCutoff", {"Nessun Cutoff", "Solo smagrimento", "Cutoff completo"});
  LabelCutoffTot = Label(this, "LabelCutoffTot", QStringLiteral("Giri di fine cutoff"));
  EditCfTot = Edit(this, "EditCfTot");
  LabelRpm3 = Label(this, "LabelRpm3", QStringLiteral("rpm"));
  LabelChiusuraCutoff = Label(this, "LabelChiusuraCutoff", QStringLiteral("Tempo rampa di chiusura"));
  EditChiusuraCutoff = RampField(this, "EditChiusuraCutoff", TagClosing, 0.02, 10, 0.02);
  LabelS13 = Label(this, "LabelS13", QStringLiteral("s"));
  LabelAperturaCutoff = Label(this, "LabelAperturaCutoff", QStringLiteral("Tempo rampa di apertura"));
  EditAperturaCutoff = RampField(this, "EditAperturaCutoff", TagOpening, 0.02, 10, 0.02);
  LabelS14 = Label(this, "LabelS14", QStringLiteral("s"));
  LabelPassiCutoff = Label(this, "LabelPassiCutoff", QStringLiteral("Cicli di cutoff"));
  EditPassiCutoff = RampField(this, "EditPassiCutoff", TagCycles, 1, 15, 1);
  LabelCutoffParziale = Label(this, "LabelCutoffParziale", QStringLiteral("Cicli di fine cutoff parziale"));
  EditPassiCutoffParziale = RampField(this, "EditPassiCutoffParziale", TagPartialCycles, 1, 15, 1);
  CheckCutoffConIniettori = Check(this, "CheckCutoffConIniettori", QStringLiteral("Cutoff con iniettori"));
  CheckCutoffTotale = Check(this, "CheckCutoffTotale", QStringLiteral("Cutoff totale con inettore benzina"));
  CheckSmagrInRilascio = Check(this, "CheckSmagrInRilascio", QStringLiteral("Smagrimento in rilascio"));
  LabelCorrInRilascio = Label(this, "LabelCorrInRilascio", QStringLiteral("Correzione in rilascio"));
  EditCorrInRilascio = Edit(this, "EditCorrInRilascio");

  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(3, 1);
  int row = 0;
  AddRow(grid, row++, LabelOpzioneCutoff, ComboCutoff);
  AddRow(grid, row++, LabelCutoffTot, EditCfTot, LabelRpm3);
  AddRow(grid, row++, LabelChiusuraCutoff, EditChiusuraCutoff, LabelS13);
  AddRow(grid, row++, LabelAperturaCutoff, EditAperturaCutoff, LabelS14);
  AddRow(grid, row++, LabelPassiCutoff, EditPassiCutoff);
  AddRow(grid, row++, LabelCutoffParziale, EditPassiCutoffParziale);
  grid->addWidget(CheckCutoffConIniettori, row++, 0, 1, 3);
  grid->addWidget(CheckCutoffTotale, row++, 0, 1, 3);
  grid->addWidget(CheckSmagrInRilascio, row++, 0, 1, 3);
  AddRow(grid, row++, LabelCorrInRilascio, EditCorrInRilascio);
  grid->setRowStretch(row, 1);

  LinkChain({ComboCutoff, EditCfTot, EditChiusuraCutoff, EditAperturaCutoff, EditPassiCutoff,
             EditPassiCutoffParziale, CheckCutoffConIniettori, CheckCutoffTotale, CheckSmagrInRilascio,
             EditCorrInRilascio});
  connect(ComboCutoff, &TKeyComboBox::enterPressed, this, &TPageCutoff::ComboCutoffKeyPress);
  for (TNumericEdit* e : {EditChiusuraCutoff, EditAperturaCutoff, EditPassiCutoff, EditPassiCutoffParziale})
    connect(e, &TNumericEdit::enterPressed, this, [this, e] { EditPassiCutoffKeyPress(e); });
  connect(CheckCutoffConIniettori, &QAbstractButton::clicked, this,
          &TPageCutoff::CheckCutoffConIniettoriClick);
  connect(CheckCutoffTotale, &QAbstractButton::clicked, this, &TPageCutoff::CheckCutoffTotaleClick);
  connect(CheckSmagrInRilascio, &QAbstractButton::clicked, this, &TPageCutoff::CheckSmagrInRilascioClick);
}

void TPageCutoff::FormShow() {
  if (EcuData) SetChecked(CheckCutoffTotale, EcuData->GetFlag1(kFlagTotal));
}

void TPageCutoff::PageShow() {
  if (!EcuData) return;
  SetIndex(ComboCutoff, EcuData->GetModoCutoff());
  Refresh();
  ComboCutoff->setFocus();
}

void TPageCutoff::Refresh() {
  EditCfTot->SetDouble(Rounded(EcuData->GetValue(kCodeEndRpm)));
  ShowRampTimes();
  EditPassiCutoff->SetDouble(EcuData->GetCicliCutoff(1));
  EditPassiCutoffParziale->SetDouble(EcuData->GetCicliCutoff(2));
  SetChecked(CheckCutoffConIniettori, EcuData->GetFlag1(kFlagInjectors));
  SetChecked(CheckCutoffTotale, EcuData->GetFlag1(kFlagTotal));
  // The release-leaning box follows the correction; its click rule runs once, whether or not
  // the state changed, and writes nothing while the page sets the box.
  programSet_ = true;
  SetChecked(CheckSmagrInRilascio, releaseLeaning_.IsOn());
  CheckSmagrInRilascioClick();
  const int mode = ComboCutoff->currentIndex();
  SetVisible({LabelCutoffTot, EditCfTot, LabelRpm3}, mode == 1 || mode == 2);
  SetVisible({LabelChiusuraCutoff, EditChiusuraCutoff, LabelS13, LabelAperturaCutoff, EditAperturaCutoff,
              LabelS14, LabelPassiCutoff, EditPassiCutoff, LabelCutoffParziale, EditPassiCutoffParziale},
             mode == 2);
}

void TPageCutoff::ShowRampTimes() {
  EditChiusuraCutoff->SetDouble(EcuData->GetTempoCutoff(kPhaseClosing));
  EditAperturaCutoff->SetDouble(EcuData->GetTempoCutoff(kPhaseOpening));
}

void TPageCutoff::ComboCutoffKeyPress() {
  if (!EcuData || ComboCutoff->DroppedDown()) return;
  const int mode = ComboCutoff->currentIndex();
  if (mode < 0) return;
  EcuData->SetModoCutoff(mode);
  // Switching off (or a refused switch on, which leaves the end rpm parked) shows what the data
  // set holds. Leaning only with a single cut-off cycle reads back as a full cut-off: the choice
  // stays.
  const int held = EcuData->GetModoCutoff();
  if (mode == 0 || held == 0) SetIndex(ComboCutoff, held);
  Refresh();
}

void TPageCutoff::EditPassiCutoffKeyPress(TNumericEdit* sender) {
  if (!EcuData) return;
  switch (sender->property("Tag").toInt()) {
    case TagClosing:
      EcuData->SetTempoCutoff(kPhaseClosing, sender->GetDouble());
      break;
    case TagOpening:
      EcuData->SetTempoCutoff(kPhaseOpening, sender->GetDouble());
      break;
    case TagCycles:
      EcuData->SetCicliCutoff(1, sender->GetInt());
      sender->SetDouble(EcuData->GetCicliCutoff(1));
      break;
    case TagPartialCycles:
      EcuData->SetCicliCutoff(2, sender->GetInt());
      sender->SetDouble(EcuData->GetCicliCutoff(2));
      break;
    default:
      return;
  }
  // The ramp steps follow the cycle count: both times again.
  ShowRampTimes();
}

void TPageCutoff::CheckCutoffConIniettoriClick() { OptionClick(CheckCutoffConIniettori, CheckCutoffTotale); }

void TPageCutoff::CheckCutoffTotaleClick() { OptionClick(CheckCutoffTotale, CheckCutoffConIniettori); }

void TPageCutoff::OptionClick(TChainCheckBox* box, TChainCheckBox* other) {
  if (!EcuData) return;
  // At most one of the two options is on: the other one goes off first, as by its own click.
  if (box->isChecked() && other->isChecked()) {
    SetChecked(other, false);
    OptionClick(other, box);
  }
  const int kind = box == CheckCutoffTotale ? kFlagTotal : kFlagInjectors;
  EcuData->SetFlag1(kind, box->isChecked());
  SetChecked(box, EcuData->GetFlag1(kind));
}

void TPageCutoff::CheckSmagrInRilascioClick() {
  OffStateOptionClick(releaseLeaning_, CheckSmagrInRilascio, programSet_,
                      {LabelCorrInRilascio, EditCorrInRilascio}, EditCorrInRilascio, kCodeReleaseCorrection);
  programSet_ = false;
}

void TPageCutoff::Translate() {
  TranslateCaptions({{LabelOpzioneCutoff, 214},
                     {LabelCutoffTot, 218},
                     {LabelChiusuraCutoff, 219},
                     {LabelAperturaCutoff, 220},
                     {LabelPassiCutoff, 221},
                     {LabelCutoffParziale, 222},
                     {LabelCorrInRilascio, 507},
                     {CheckSmagrInRilascio, 508},
                     {CheckCutoffConIniettori, 509},
                     {CheckCutoffTotale, 510}});
  TranslateItems(ComboCutoff, {215, 216, 217});
}
