#include "PageAdatta.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "AcquisitionStore.h"
#include "Adattativita.h"
#include "ChainCheckBox.h"
#include "Config.h"
#include "ConfigPageFields.h"
#include "EcuData.h"
#include "KeyComboBox.h"
#include "Language.h"
#include "MapSpline.h"
#include "NumericEdit.h"
#include "Paradatta.h"
#include "Paradattaecu.h"
#include "Prompt.h"
#include "SerialLink.h"
#include "WaitCursor.h"

using namespace PageFields;

namespace {
constexpr int kCodeCorrezioneFuoriMinimo = 0x671;
constexpr int kCodeCorrezioneAlMinimo = 0x672;
constexpr int kCodeMassimoValoreCorrezione = 0x73;
constexpr int kCodeTempoTraCorrezioni = 0x74;
constexpr int kCodeZonaApprendimento = 0x75;  // rows in bits 0-3, columns in bits 4-7
constexpr int kCodeMinimoValoreCorrettore = 0x76;
constexpr int kCodeTempoPerCorrezione = 0x277;
// Option-word kind of the absolute map correction.
constexpr int kFlagAbsoluteCorrection = 1;
// The ECU's learnt tables the calculation reads: cell zones, zone coefficients, zone
// corrections.
constexpr int kLearntTables[] = {0x54, 0x3D, 0x637};

const QString kNoAbsolute = QStringLiteral("Il calcolo della mappa non è possibile con correttore assoluto.");
const QString kPointsLost =
    QStringLiteral("Il proseguimento di questa procedura cancellerà eventuali dati acquisiti.\nProseguire?");
const QString kPreprocessingError = QStringLiteral("Errore nella pre-elaborazione dei dati di adattatività");
const QString kCalcDone = QStringLiteral("Calcolo mappa avvenuto con successo");
const QString kFitError = QStringLiteral("Impossibile effettuare l'interpolazione");
// Design text of the clearing question.
const QString kClearQuestion =
    QStringLiteral("Azzerare i correttori di adattatività al minimo e fuori minimo?");

QPushButton* Button(QWidget* parent, const char* name, const QString& text) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setAutoDefault(false);
  return b;
}

// Keeps the live tick stopped for its lifetime and starts it again if it was running.
class TLiveTimerPause {
 public:
  explicit TLiveTimerPause(TFormConfig* form) : form_(form), active_(form->IsLiveTimerActive()) {
    form_->StopLiveTimer();
  }
  ~TLiveTimerPause() {
    if (active_) form_->StartLiveTimer();
  }
  TLiveTimerPause(const TLiveTimerPause&) = delete;
  TLiveTimerPause& operator=(const TLiveTimerPause&) = delete;

 private:
  TFormConfig* form_;
  bool active_;
};

}  // namespace

TPageAdatta::TPageAdatta(TFormConfig* form, ConfigPageId id) : TConfigPage(form, id) {
  CheckAdatta = Check(this, "CheckAdatta", QStringLiteral("Abilita adattatività"));
  LabelCorrezioneFuoriMinimo =
      Label(this, "LabelCorrezioneFuoriMinimo", QStringLiteral("Correzione fuori minimo"));
  EditCorrezioneFuoriMinimo = Edit(this, "EditCorrezioneFuoriMinimo");
  LabelCorrezioneAlMinimo = Label(this, "LabelCorrezioneAlMinimo", QStringLiteral("Correzione al minimo"));
  EditCorrezioneAlMinimo = Edit(this, "EditCorrezioneAlMinimo");
  LabelMassimoValoreCorrezione =
      Label(this, "LabelMassimoValoreCorrezione", QStringLiteral("Massimo valore di correzione"));
  EditMassimoValoreCorrezione = Edit(this, "EditMassimoValoreCorrezione");
  LabelTempoTraCorrezioni =
      Label(this, "LabelTempoTraCorrezioni", QStringLiteral("Tempo tra due correzioni"));
  EditTempoTraCorrezioni = Edit(this, "EditTempoTraCorrezioni");
  LabelZonaApprendimento =
      Label(this, "LabelZonaApprendimento", QStringLiteral("Zona di apprendimento fuori minimo"));
  LabelRigheZonaApprendimento = Label(this, "LabelRigheZonaApprendimento", QStringLiteral("Righe"));
  EditRigheZonaApprendimento = Edit(this, "EditRigheZonaApprendimento");
  LabelColonneZonaApprendimento = Label(this, "LabelColonneZonaApprendimento", QStringLiteral("Colonne"));
  EditColonneZonaApprendimento = Edit(this, "EditColonneZonaApprendimento");
  LabelMinimoValoreCorrettore =
      Label(this, "LabelMinimoValoreCorrettore", QStringLiteral("Minimo valore del correttore"));
  EditMinimoValoreCorrettore = Edit(this, "EditMinimoValoreCorrettore");
  LabelTempoPerCorrezione = Label(this, "LabelTempoPerCorrezione", QStringLiteral("Tempo per correzione"));
  EditTempoPerCorrezione = Edit(this, "EditTempoPerCorrezione");
  ButtonAzzAdatta = Button(this, "ButtonAzzAdatta", QStringLiteral("&Azzera"));
  ButtonRicAdatta = Button(this, "ButtonRicAdatta", QStringLiteral("&Ricarica"));
  // Rows and columns share one variable: their own Enter handler writes both.
  for (TNumericEdit* e : {EditRigheZonaApprendimento, EditColonneZonaApprendimento}) {
    e->setProperty("sharedEnter", false);
    connect(e, &TNumericEdit::enterPressed, this, &TPageAdatta::EditRigheZonaApprendimentoKeyPress);
  }

  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(4, 1);
  int row = 0;
  grid->addWidget(CheckAdatta, row++, 0, 1, 3);
  AddRow(grid, row++, LabelCorrezioneFuoriMinimo, EditCorrezioneFuoriMinimo);
  AddRow(grid, row++, LabelCorrezioneAlMinimo, EditCorrezioneAlMinimo);
  AddRow(grid, row++, LabelMassimoValoreCorrezione, EditMassimoValoreCorrezione);
  AddRow(grid, row++, LabelTempoTraCorrezioni, EditTempoTraCorrezioni,
         Label(this, "LabelS20", QStringLiteral("s")));
  grid->addWidget(LabelZonaApprendimento, row++, 0, 1, 3);
  AddRow(grid, row++, LabelRigheZonaApprendimento, EditRigheZonaApprendimento);
  AddRow(grid, row++, LabelColonneZonaApprendimento, EditColonneZonaApprendimento);
  AddRow(grid, row++, LabelMinimoValoreCorrettore, EditMinimoValoreCorrettore);
  AddRow(grid, row++, LabelTempoPerCorrezione, EditTempoPerCorrezione);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ButtonAzzAdatta);
  buttons->addWidget(ButtonRicAdatta);
  buttons->addStretch(1);
  grid->addLayout(buttons, row++, 0, 1, 3);
  grid->setRowStretch(row, 1);

  LinkChain({CheckAdatta, EditCorrezioneFuoriMinimo, EditCorrezioneAlMinimo, EditMassimoValoreCorrezione,
             EditTempoTraCorrezioni, EditRigheZonaApprendimento, EditColonneZonaApprendimento,
             EditMinimoValoreCorrettore, EditTempoPerCorrezione});
  connect(CheckAdatta, &QAbstractButton::clicked, this, &TPageAdatta::CheckAdattaClick);
  connect(ButtonAzzAdatta, &QPushButton::clicked, this, &TPageAdatta::ButtonAzzAdattaClick);
  connect(ButtonRicAdatta, &QPushButton::clicked, this, &TPageAdatta::TabAdattaShow);
}

void TPageAdatta::AddMenus(QMenuBar* menuBar) {
  MenuAdatta = menuBar->addMenu(QStringLiteral("Adattatività"));
  MenuAdatta->setObjectName(QStringLiteral("MenuAdatta"));
  const auto item = [this](const char* name, const QString& caption) {
    QAction* a = MenuAdatta->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    return a;
  };
  MenuParAdatta = item("MenuParAdatta", QStringLiteral("&Parametri calcolo PC"));
  MenuParCentralina = item("MenuParCentralina", QStringLiteral("P&arametri calcolo centralina"));
  MenuCalcolaAdatta = item("MenuCalcolaAdatta", QStringLiteral("&Calcola mappa"));
  connect(MenuParAdatta, &QAction::triggered, this, &TPageAdatta::MenuParAdattaClick);
  connect(MenuParCentralina, &QAction::triggered, this, &TPageAdatta::MenuParCentralinaClick);
  connect(MenuCalcolaAdatta, &QAction::triggered, this, &TPageAdatta::MenuCalcolaAdattaClick);
}

// ---- page ---------------------------------------------------------------------------------------

void TPageAdatta::PageShow() {
  TabAdattaShow();
  CheckAdatta->setFocus();
}

int TPageAdatta::ReadCorrection(int code) {
  int32_t v = 0;
  if (SerialLink && SerialLink->IsLinkOpen() && SerialLink->ReadVariable(code, &v)) return v;
  return Rounded(EcuData->GetValue(code));
}

void TPageAdatta::TabAdattaShow() {
  if (!EcuData) return;
  loading_ = true;
  const int massimo = Rounded(EcuData->GetValue(kCodeMassimoValoreCorrezione));
  EditMassimoValoreCorrezione->SetDouble(massimo);
  SetChecked(CheckAdatta, massimo != 0);
  EditCorrezioneFuoriMinimo->SetDouble(ReadCorrection(kCodeCorrezioneFuoriMinimo));
  EditCorrezioneAlMinimo->SetDouble(ReadCorrection(kCodeCorrezioneAlMinimo));
  EditTempoTraCorrezioni->SetDouble(EcuData->GetValue(kCodeTempoTraCorrezioni));
  ShowZone();
  EditMinimoValoreCorrettore->SetDouble(Rounded(EcuData->GetValue(kCodeMinimoValoreCorrettore)));
  EditTempoPerCorrezione->SetDouble(EcuData->GetValue(kCodeTempoPerCorrezione));
  CheckAdattaClick();
  loading_ = false;
}

void TPageAdatta::ShowZone() {
  const int zone = Rounded(EcuData->GetValue(kCodeZonaApprendimento));
  EditRigheZonaApprendimento->SetDouble(zone & 0xF);
  EditColonneZonaApprendimento->SetDouble((zone >> 4) & 0xF);
}

void TPageAdatta::CheckAdattaClick() {
  if (!EcuData) return;
  if (!loading_) {
    const bool on = CheckAdatta->isChecked();
    if (!on) rememberedMassimo_ = Rounded(EcuData->GetValue(kCodeMassimoValoreCorrezione));
    // A refused switch leaves the box as the data set still has it.
    if (EcuData->SetValue(kCodeMassimoValoreCorrezione, on ? rememberedMassimo_ : 0) != 1)
      SetChecked(CheckAdatta, !on);
  }
  EditMassimoValoreCorrezione->SetDouble(Rounded(EcuData->GetValue(kCodeMassimoValoreCorrezione)));
  SetEnabled({EditCorrezioneFuoriMinimo, EditCorrezioneAlMinimo, EditMassimoValoreCorrezione,
              EditTempoTraCorrezioni, EditRigheZonaApprendimento, EditColonneZonaApprendimento,
              EditMinimoValoreCorrettore, EditTempoPerCorrezione},
             CheckAdatta->isChecked());
}

void TPageAdatta::EditRigheZonaApprendimentoKeyPress() {
  if (!EcuData) return;
  EcuData->SetValue(kCodeZonaApprendimento,
                    EditRigheZonaApprendimento->GetInt() + 16 * EditColonneZonaApprendimento->GetInt());
  ShowZone();
}

void TPageAdatta::ButtonAzzAdattaClick() {
  if (!EcuData) return;
  if (ShowPrompt(Form(), Form()->windowTitle(), Form()->Text(303, kClearQuestion), PromptIcon::Warning,
                 PromptYesNo) != PromptYes)
    return;
  {
    const TWaitCursor wait;
    EcuData->SetValue(kCodeCorrezioneFuoriMinimo, 0);
    EcuData->SetValue(kCodeCorrezioneAlMinimo, 0);
  }
  TabAdattaShow();
}

// ---- menu ---------------------------------------------------------------------------------------

void TPageAdatta::MenuParAdattaClick() {
  const TLiveTimerPause pause(Form());
  TFormParAdatta dialog(Form());
  dialog.EditMinCorr->SetInt(par_.minCorr);
  dialog.ComboOrdinamento->setCurrentIndex(par_.ascending ? 1 : 0);
  dialog.EditDeltaX->SetInt(par_.deltaX);
  dialog.EditDeltaY->SetInt(par_.deltaY);
  dialog.EditCelleXS->SetInt(par_.celleXS);
  dialog.EditCelleYS->SetInt(par_.celleYS);
  dialog.EditCelleXD->SetInt(par_.celleXD);
  dialog.EditCelleYD->SetInt(par_.celleYD);
  if (dialog.ShowModal() != TModalDialog::mrOk) return;
  par_.minCorr = dialog.EditMinCorr->GetInt();
  par_.ascending = dialog.ComboOrdinamento->currentIndex() != 0;
  par_.deltaX = dialog.EditDeltaX->GetInt();
  par_.deltaY = dialog.EditDeltaY->GetInt();
  par_.celleXS = dialog.EditCelleXS->GetInt();
  par_.celleYS = dialog.EditCelleYS->GetInt();
  par_.celleXD = dialog.EditCelleXD->GetInt();
  par_.celleYD = dialog.EditCelleYD->GetInt();
}

void TPageAdatta::MenuParCentralinaClick() {
  const TLiveTimerPause pause(Form());
  TFormParAdattaEcu dialog(Form());
  dialog.ShowModal();
}

bool TPageAdatta::RefreshLearntTables() {
  if (!SerialLink || !SerialLink->IsLinkOpen()) return true;
  for (int code : kLearntTables)
    if (!EcuData->ReadBlock(code)) return false;
  return true;
}

void TPageAdatta::MenuCalcolaAdattaClick() {
  if (!EcuData || !DatiMappati) return;
  TFormConfig* form = Form();
  const QString caption = form->windowTitle();
  if (EcuData->GetFlag1(kFlagAbsoluteCorrection)) {
    ShowPrompt(form, caption, kNoAbsolute, PromptIcon::Stop);
    return;
  }
  if (DatiMappati->Count() > 0 &&
      ShowPrompt(form, caption, kPointsLost, PromptIcon::Warning, PromptYesNo) != PromptYes)
    return;

  const TLiveTimerPause pause(form);
  TWaitCursor wait;
  form->repaint();
  // The ECU keeps learning while the car runs: the calculation starts from its tables as they
  // are now.
  MapSampleList points;
  if (RefreshLearntTables())
    points = CalcolaAdatta(par_.minCorr, par_.ascending, par_.deltaX, par_.deltaY, par_.celleXS, par_.celleYS,
                           par_.celleXD, par_.celleYD);
  if (points.empty()) {
    wait.Release();
    ShowPrompt(form, caption, kPreprocessingError, PromptIcon::Stop);
    return;
  }
  DatiMappati->AssignList(points);
  // The gas map before the calculation stays in the undo buffer, as before an interpolation.
  EcuData->SaveUndoMappa(false);
  const bool fitted = FitMapSpline(DatiMappati->Samples(), false, true);
  wait.Release();
  if (fitted)
    ShowPrompt(form, caption, kCalcDone, PromptIcon::None);
  else
    ShowPrompt(form, caption, kFitError, PromptIcon::Stop);
}

void TPageAdatta::Translate() {
  TranslateCaptions({{MenuAdatta, 470},
                     {MenuParAdatta, 471},
                     {MenuParCentralina, 472},
                     {MenuCalcolaAdatta, 473},
                     {CheckAdatta, 514},
                     {LabelCorrezioneFuoriMinimo, 515},
                     {LabelCorrezioneAlMinimo, 516},
                     {LabelMassimoValoreCorrezione, 517},
                     {LabelTempoTraCorrezioni, 518},
                     {LabelZonaApprendimento, 519},
                     {LabelRigheZonaApprendimento, 520},
                     {LabelColonneZonaApprendimento, 521},
                     {LabelMinimoValoreCorrettore, 522},
                     {LabelTempoPerCorrezione, 523},
                     {ButtonAzzAdatta, 524},
                     {ButtonRicAdatta, 525}});
}
