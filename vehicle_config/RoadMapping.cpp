#include "RoadMapping.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

#include "AcquisitionStore.h"
#include "Config.h"
#include "Datimappati.h"
#include "EcuData.h"
#include "EcuValueCodes.h"
#include "FileDialog.h"
#include "FormAttesa.h"
#include "FormMessaggio.h"
#include "Grafico.h"
#include "Language.h"
#include "LinkPassText.h"
#include "LinkTransfer.h"
#include "MapGridMap.h"
#include "MapGridModel.h"
#include "MapGridPage.h"
#include "MapSpline.h"
#include "Prompt.h"
#include "ShowActive.h"
#include "WaitCursor.h"

// ---- rules ------------------------------------------------------------------------------------

namespace RoadMapping {

int GasTemperatureCoefficient(int t, std::span<const int, 9> refs, std::span<const int, 9> coeffs) {
  if (t >= refs[8]) return coeffs[8];
  if (t <= refs[0]) return coeffs[0];
  const int c = MapGrid::TempGasColumn(t, refs);
  // Between the references lo and hi = lo + 1 around t.
  const int lo = refs[c] >= t ? c - 1 : c;
  const int hi = lo + 1;
  if (lo < 0 || hi > 8) return coeffs[c];
  const int span = refs[hi] - refs[lo];
  if (span == 0) return coeffs[hi];
  return coeffs[lo] + (coeffs[hi] - coeffs[lo]) * (t - refs[lo]) / span;
}

double PressureFactor(double p, std::span<const double, 9> refs, std::span<const double, 9> corrections) {
  double correction;
  if (p >= refs[8]) {
    correction = corrections[8];
  } else if (p <= refs[0]) {
    correction = corrections[0];
  } else {
    const auto bounds = MapGrid::PressDiffBounds(refs);
    const int c = MapGrid::PressDiffColumn(p, bounds);
    const int lo = p <= refs[c] ? c - 1 : c;
    const int hi = lo + 1;
    if (lo < 0 || hi > 8) {
      correction = corrections[c];
    } else {
      const double span = refs[hi] - refs[lo];
      correction = span == 0.0
                       ? corrections[hi]
                       : corrections[lo] + (corrections[hi] - corrections[lo]) * (p - refs[lo]) / span;
    }
  }
  return correction + 100.0;
}

double AcquisitionTime(const TLiveValues& live, bool usePetrol, const TEcuData& data) {
  if (usePetrol) return live.petrolInjection;
  if (!data.HasDatiAggiuntivi) return live.gasInjection;
  std::array<int, 9> tempRefs{}, coeffs{};
  std::array<double, 9> pressRefs{}, corrections{};
  for (int i = 0; i < 9; ++i) {
    tempRefs[i] = data.GetRifGas(i);
    coeffs[i] = data.GetCoeffGas(i);
    pressRefs[i] = data.GetRifPressDiff(i);
    corrections[i] = data.GetCoeffPressDiff(i);
  }
  const int t = MapGrid::RoundHalfEven(CalcTemperatura(live.temperatureRaw));
  const int k = GasTemperatureCoefficient(t, tempRefs, coeffs);
  const double factor = PressureFactor(live.pressure * 0.01, pressRefs, corrections);
  const double divisor = k * factor;
  if (!(divisor > 0.0)) return live.gasInjection;
  return 10000.0 * live.gasInjection / divisor;
}

int Acquire(TDatiMappati& store, const TLiveValues& live, bool usePetrol, const TEcuData& data) {
  const double us = std::nearbyint(AcquisitionTime(live, usePetrol, data) * 1000.0);
  const double limit = std::numeric_limits<int32_t>::max();
  const int value = static_cast<int>(std::clamp(us, -limit, limit));
  return store.Add(live.rpm, live.map, value, 0);
}

bool Interpolate(TDatiMappati& store, TEcuData& data, bool petrol, bool markUsed) {
  int32_t before[TEcuData::kMapSize][TEcuData::kMapSize];
  std::memcpy(before, data.UndoMappa, sizeof before);
  const bool beforeValid = data.UndoValida;
  data.SaveUndoMappa(petrol);
  if (!FitMapSpline(store.Samples(), petrol, false)) {
    std::memcpy(data.UndoMappa, before, sizeof before);
    data.UndoValida = beforeValid;
    return false;
  }
  if (markUsed) store.ClearChanged();
  return true;
}

bool Undo(TEcuData& data, bool petrol) {
  if (!data.RestoreUndoMappa(petrol)) return false;
  if (petrol && LinkTransfer::IsOpen())
    for (int row = 0; row < TEcuData::kMapSize; ++row)
      LinkTransfer::WriteRow(0xC34F, row, data.MappaBenzina[row], TEcuData::kMapSize);
  return true;
}

}  // namespace RoadMapping

// ---- the menu ---------------------------------------------------------------------------------

namespace {

const QKeySequence kEnterMode(Qt::CTRL | Qt::Key_A);
const QKeySequence kLeaveMode(Qt::CTRL | Qt::Key_T);

}  // namespace

TRoadMapping::MapChartViewer& TRoadMapping::Viewer() {
  static MapChartViewer viewer = &TFormGrafico::ShowMapChart;
  return viewer;
}

void TRoadMapping::SetMapChartViewer(MapChartViewer viewer) { Viewer() = std::move(viewer); }

TRoadMapping::TRoadMapping(TFormConfig* form) : QObject(form), form_(form) {
  setObjectName("RoadMapping");
  MenuMappatura = form->MainMenu()->addMenu(QStringLiteral("Ma&ppatura"));
  MenuMappatura->setObjectName("MenuMappatura");
  auto item = [this](const char* name, const char* caption, void (TRoadMapping::*handler)(),
                     const QKeySequence& shortcut = {}) {
    QAction* a = MenuMappatura->addAction(QString::fromUtf8(caption));
    a->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty()) {
      a->setShortcut(shortcut);
      a->setShortcutContext(Qt::WindowShortcut);
      form_->addAction(a);  // the shortcut works with the menu closed
    }
    connect(a, &QAction::triggered, this, handler);
    return a;
  };
  MenuToggleMappatura = item("MenuToggleMappatura", "Attiva mo&dalità mappatura",
                             &TRoadMapping::MenuToggleMappaturaClick, kEnterMode);
  MenuAcqMappatura = item("MenuAcqMappatura", "Acquisisci &valore istantaneo  (Space)",
                          &TRoadMapping::MenuAcqMappaturaClick);
  MenuAcqMappatura->setEnabled(false);
  MenuUsaBenzina = MenuMappatura->addAction(QStringLiteral("&Usa valore benzina"));
  MenuUsaBenzina->setObjectName("MenuUsaBenzina");
  MenuUsaBenzina->setCheckable(true);  // the check toggles itself
  MenuMappatura->addSeparator();
  MenuApriMappatura = item("MenuApriMappatura", "&Apri dati da file", &TRoadMapping::MenuApriMappaturaClick);
  MenuSalvaMappatura =
      item("MenuSalvaMappatura", "&Salva dati su file", &TRoadMapping::MenuSalvaMappaturaClick);
  MenuCancellaDati =
      item("MenuCancellaDati", "Cancella tutti i dati ac&quisiti", &TRoadMapping::MenuCancellaDatiClick);
  MenuModMappatura =
      item("MenuModMappatura", "&Modifica dati acquisiti", &TRoadMapping::MenuModMappaturaClick);
  MenuMappatura->addSeparator();
  MenuGraficoMappa =
      item("MenuGraficoMappa", "Visualizza &grafico mappa", &TRoadMapping::MenuGraficoMappaClick);
  MenuGraficoMappa->setEnabled(static_cast<bool>(Viewer()));
  MenuInterpola = item("MenuInterpola", "&Interpola mappa", &TRoadMapping::MenuInterpolaClick,
                       QKeySequence(Qt::CTRL | Qt::Key_I));
  MenuUndo = item("MenuUndo", "Annulla inter&polazione", &TRoadMapping::MenuUndoClick,
                  QKeySequence(Qt::CTRL | Qt::Key_Z));
  MenuScaricaMappa = item("MenuScaricaMappa", "S&carica mappa interpolata in centralina",
                          &TRoadMapping::MenuScaricaMappaClick, QKeySequence(Qt::CTRL | Qt::Key_D));
  connect(MenuMappatura, &QMenu::aboutToShow, this, &TRoadMapping::MenuMappaturaClick);

  const QString folder = QDir::current().filePath(QStringLiteral("Acquisizioni"));
  OpenDialogDma = std::make_unique<TFileDialog>(false);
  OpenDialogDma->Title = QStringLiteral("Apri dati mappati");
  OpenDialogDma->Filter = QStringLiteral("Dati mappati mappati|*.dma");
  OpenDialogDma->DefaultExt = QStringLiteral("dma");
  OpenDialogDma->InitialDir = folder;
  SaveDialogDma = std::make_unique<TFileDialog>(true);
  SaveDialogDma->Title = QStringLiteral("Salva dati mappati");
  SaveDialogDma->Filter = QStringLiteral("Dati mappati|*.dma");
  SaveDialogDma->DefaultExt = QStringLiteral("dma");
  SaveDialogDma->OverwritePrompt = true;
  SaveDialogDma->InitialDir = folder;
}

TRoadMapping::~TRoadMapping() = default;

QString TRoadMapping::Text(int id, const char* design) const {
  return form_->Text(id, QString::fromUtf8(design));
}

bool TRoadMapping::UsePetrol() const { return MenuUsaBenzina->isChecked(); }

bool TRoadMapping::MappingMode() const { return MenuAcqMappatura->isEnabled(); }

void TRoadMapping::RepaintMap() {
  if (form_->ActivePage() != TabMappa) return;
  if (auto* page = qobject_cast<TPageMappa*>(form_->Page(TabMappa))) page->DrawGridMap->update();
}

void TRoadMapping::SetViewControlsEnabled(bool gas, bool petrol) {
  MenuUsaBenzina->setEnabled(gas);
  auto* page = qobject_cast<TPageMappa*>(form_->Page(TabMappa));
  if (!page) return;
  page->CheckMappaGas->setEnabled(gas);
  page->CheckMappaBenzina->setEnabled(petrol);
  page->CheckEntrambeMappe->setEnabled(petrol);
}

void TRoadMapping::Translate() {
  TranslateCaption(MenuMappatura, 128);
  TranslateCaption(MenuToggleMappatura, MappingMode() ? 129 : 130);
  TranslateCaption(MenuAcqMappatura, 460);
  TranslateCaption(MenuUsaBenzina, 461);
  TranslateCaption(MenuApriMappatura, 462);
  TranslateCaption(MenuSalvaMappatura, 463);
  TranslateCaption(MenuCancellaDati, 464);
  TranslateCaption(MenuModMappatura, 465);
  TranslateCaption(MenuGraficoMappa, 137);
  TranslateCaption(MenuInterpola, 466);
  TranslateCaption(MenuUndo, 467);
  TranslateCaption(MenuScaricaMappa, 468);
  QString text;
  if (ReadText(590, &text)) OpenDialogDma->Title = text;
  if (ReadText(591, &text)) OpenDialogDma->Filter = text + QStringLiteral("|*.dma");
  if (ReadText(592, &text)) SaveDialogDma->Title = text;
  if (ReadText(593, &text)) SaveDialogDma->Filter = text + QStringLiteral("|*.dma");
}

void TRoadMapping::MenuMappaturaClick() {
  MenuSalvaMappatura->setEnabled(DatiMappati && DatiMappati->Count() > 0);
  MenuGraficoMappa->setEnabled(static_cast<bool>(Viewer()));
}

void TRoadMapping::MenuToggleMappaturaClick() {
  const bool entering = !MappingMode();
  MenuAcqMappatura->setEnabled(entering);
  if (entering) {
    MenuToggleMappatura->setText(Text(129, "Termina mo&dalità mappatura"));
    MenuToggleMappatura->setShortcut(kLeaveMode);
    SetViewControlsEnabled(false, false);
    MenuCancellaDati->setEnabled(false);
  } else {
    // The view controls stay disabled until the points are cleared.
    MenuToggleMappatura->setText(Text(130, "Attiva mo&dalità mappatura"));
    MenuToggleMappatura->setShortcut(kEnterMode);
    MenuCancellaDati->setEnabled(true);
  }
  if (auto* page = qobject_cast<TPageMappa*>(form_->Page(TabMappa)))
    page->LabelMappatura->setVisible(entering);
}

void TRoadMapping::MenuAcqMappaturaClick() {
  if (!DatiMappati || !EcuData) return;
  RoadMapping::Acquire(*DatiMappati, form_->Live().Values(), UsePetrol(), *EcuData);
  RepaintMap();
}

void TRoadMapping::MenuApriMappaturaClick() {
  if (!DatiMappati || !OpenDialogDma->Execute(form_)) return;
  if (DatiMappati->ReadFromFile(OpenDialogDma->FileName, false) == 0)
    ShowPrompt(form_, form_->windowTitle(), Text(310, "Errore nel caricamento del file!"), PromptIcon::Stop);
  RepaintMap();  // what was read before a bad line stays in the store
}

void TRoadMapping::MenuSalvaMappaturaClick() {
  if (!DatiMappati || !SaveDialogDma->Execute(form_)) return;
  if (DatiMappati->WriteToFile(SaveDialogDma->FileName) == 0)
    ShowPrompt(form_, form_->windowTitle(), Text(311, "Errore nel salvataggio del file!"), PromptIcon::Stop);
}

void TRoadMapping::MenuCancellaDatiClick() {
  if (!DatiMappati) return;
  if (ShowPrompt(form_, form_->windowTitle(),
                 Text(312, "Sei sicuro di voler cancellare tutti i dati acquisiti?"), PromptIcon::Question,
                 PromptYesNo) != PromptYes)
    return;
  DatiMappati->Clear();
  DatiMappati->ClearGriglia();
  SetViewControlsEnabled(true, EcuData && EcuData->HasMappaBenzina);
  RepaintMap();
}

void TRoadMapping::MenuModMappaturaClick() {
  {
    TFormDatiMappati points(form_);
    points.ShowModal();
  }
  RepaintMap();
}

void TRoadMapping::MenuGraficoMappaClick() {
  const MapChartViewer& viewer = Viewer();
  if (viewer) viewer(form_);
}

void TRoadMapping::MenuInterpolaClick() {
  if (!DatiMappati || !EcuData) return;
  if (ShowPrompt(form_, form_->windowTitle(), Text(308, "Interpolare la mappa in base ai dati acquisiti?"),
                 PromptIcon::Question, PromptYesNo) != PromptYes)
    return;
  form_->StopLiveTimer();
  {
    TWaitCursor hourglass;
    TFormMessaggio notice(form_);
    notice.setWindowTitle(form_->windowTitle());
    notice.Messaggio->setText(Text(309, "Interpolazione in corso..."));
    ShowActive(&notice);
    const bool fitted = RoadMapping::Interpolate(*DatiMappati, *EcuData, UsePetrol());
    if (!fitted) {
      notice.close();
      hourglass.Release();
      ShowPrompt(form_, form_->windowTitle(), Text(304, "Impossibile effettuare l'interpolazione dei dati!"),
                 PromptIcon::Stop);
    }
    RepaintMap();
  }
  form_->StartLiveTimer();
}

void TRoadMapping::MenuUndoClick() {
  if (!EcuData) return;
  if (ShowPrompt(form_, form_->windowTitle(), Tr(566), PromptIcon::Question, PromptYesNo) != PromptYes)
    return;
  if (!RoadMapping::Undo(*EcuData, UsePetrol())) {
    ShowPrompt(form_, form_->windowTitle(), Tr(567), PromptIcon::Warning);
    return;
  }
  MenuScaricaMappaClick();
  RepaintMap();
}

void TRoadMapping::MenuScaricaMappaClick() { WriteMaps(Tr(568)); }

void TRoadMapping::WriteMaps(const QString& caption) {
  if (!EcuData) return;
  form_->StopLiveTimer();
  // With the link open, every write must reach the ECU; offline there is nothing to send.
  const bool online = LinkTransfer::IsOpen();
  LinkTransfer::PassOutcome outcome = LinkTransfer::PassOutcome::Complete;
  {
    TFormAttesa wait(form_);
    wait.setWindowTitle(caption);
    wait.Label1->setText(Tr(569));
    wait.SetSuffix(QLatin1Char(' ') + Tr(73) + QLatin1Char(' '));
    ShowActive(&wait);  // the data set's progress goes to the active window
    TWaitCursor hourglass;
    const LinkTransfer::PassRecord pass;
    EcuData->WriteAll(true);
    outcome = pass.Outcome();
    wait.hide();
  }
  if (online && outcome != LinkTransfer::PassOutcome::Complete)
    ShowPrompt(form_, form_->windowTitle(), PassFailureText(outcome, PassAction::Maps), PromptIcon::Stop);
  form_->StartLiveTimer();
}
