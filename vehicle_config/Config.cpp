// TFormConfig: construction, pages and tabs, page keys, the acquired-data guard, layout and
// closing.
#include "Config.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "AcquisitionStore.h"
#include "DialogKeys.h"
#include "EcuData.h"
#include "FileDialog.h"
#include "FunctionKeyTabStrip.h"
#include "MenuBarMarkStyle.h"
#include "Modmappa.h"
#include "NumericEdit.h"
#include "Prompt.h"
#include "RoadMapping.h"
#include "ScreenScale.h"
#include "SerialLink.h"

TFormConfig* FormConfig = nullptr;

namespace {

struct PageInfo {
  ConfigPageId id;
  const char* name;
  const char* caption;  // design caption
};

const PageInfo kPages[kConfigPageCount] = {
    {TabCambio, "TabCambio", "Cambio GAS"},
    {TabLambda, "TabLambda", "Lambda"},
    {TabTps, "TabTps", "TPS"},
    {TabEmulazione, "TabEmulazione", "Emulazione"},
    {TabCutoff, "TabCutoff", "Cutoff"},
    {TabSensore, "TabSensore", "Livello GAS"},
    {TabMappa, "TabMappa", "Mappa"},
    {TabArricchimento, "TabArricchimento", "Arricchimenti"},
    {TabEmissioni, "TabEmissioni", "Emissioni"},
    {TabVarie, "TabVarie", "Varie"},
    {TabIniezione, "TabIniezione", "Varie1"},
    {TabVettori, "TabVettori", "Varie2"},
    {TabAdattativita, "TabAdattativita", "Adattatività"},
    {TabAdatta, "TabAdatta", "Adattatività"},
    {TabPressione, "TabPressione", "Pressione"},
    {TabCorrezioni, "TabCorrezioni", "Correzioni"},
};

// Design size of the form; it is scaled by the screen's width against the design width.
constexpr int kDesignWidth = kDesignScreenWidth;
constexpr int kDesignHeight = 560;
// Design point size of the tab font.
constexpr int kTabFontPoints = 9;
// Design distance from a field's left edge to its limit hint.
constexpr int kLimitHintOffset = 130;

}  // namespace

TFormConfig::TFormConfig(QWidget* owner, const PageFactory& pageFactory)
    : QDialog(owner), recorder_(QDir::tempPath()) {
  setObjectName(QStringLiteral("FormConfig"));
  setWindowTitle(Text(110));
  setWindowFlag(Qt::WindowMaximizeButtonHint, true);
  setWindowFlag(Qt::WindowMinimizeButtonHint, true);
  setSizeGripEnabled(true);

  // Scale and tab font.
  screenWidth_ = FittedScreenWidth(QSize(kDesignWidth, kDesignHeight));
  if (screenWidth_ != kDesignWidth) scale_ = (screenWidth_ - 20) / double(kDesignWidth);
  ScaleFontToScreen(this, screenWidth_);
  tabFontSize_ = std::max(1, static_cast<int>(std::lround(kTabFontPoints * scale_)));
  limitHintOffset_ = static_cast<int>(std::lround(kLimitHintOffset * scale_));

  LabelLimite = new QLabel(this);
  LabelLimite->setObjectName(QStringLiteral("LabelLimite"));
  LabelLimite->hide();

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(kLiveTickMs);
  connect(Timer1, &QTimer::timeout, this, &TFormConfig::Timer1Timer);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  menuBar_ = new QMenuBar(this);
  TMenuBarMarkStyle::Install(menuBar_);  // the recording mark beside its menu's title
  layout->setMenuBar(menuBar_);
  auto* middle = new QHBoxLayout;
  middle->setSpacing(0);
  tabs_ = new TFunctionKeyTabStrip(this);
  tabs_->setObjectName(QStringLiteral("PageControl"));
  tabs_->SetTabFontSize(tabFontSize_);
  stack_ = new QStackedWidget(this);
  // The pages lay themselves out in the room the window has on its screen: what one of them
  // asks for never makes the window larger than that.
  stack_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  middle->addWidget(tabs_);
  middle->addWidget(stack_, 1);
  layout->addLayout(middle, 1);

  for (const PageInfo& info : kPages) {
    TConfigPage* page = pageFactory(this, info.id);
    page->setObjectName(QString::fromLatin1(info.name));
    pages_[info.id] = page;
    stack_->addWidget(page);
    tabs_->AddPage(QString::fromUtf8(info.caption));
  }
  tabs_->SetCaption(TabMappa, Text(117));
  tabs_->Changing = [this](int, int) { return AcquiredDataGuard(); };
  connect(tabs_, &TFunctionKeyTabStrip::PageChanged, this, &TFormConfig::PageChanged);
  tabs_->SetActivePage(TabCambio);
  // The per-cell adaptivity page is never shown; the corrections page only with the ECU's
  // additional data.
  tabs_->SetPageVisible(TabAdattativita, false);
  tabs_->SetPageVisible(TabCorrezioni, EcuData && EcuData->HasDatiAggiuntivi);

  BuildPanel();
  layout->addWidget(Panel1);
  BuildMenus();
  roadMapping_ = new TRoadMapping(this);
  for (TConfigPage* page : pages_) page->AddMenus(menuBar_);

  // The cell-change dialog the grids share.
  formModMappa_ = new TFormModMappa(this);

  SaveDialogDrt = std::make_unique<TFileDialog>(true);
  SaveDialogDrt->Title = Text(296);
  SaveDialogDrt->Filter = Text(297) + QStringLiteral("|*.txt");
  SaveDialogDrt->DefaultExt = QStringLiteral("txt");
  SaveDialogDrt->OverwritePrompt = true;
  OpenDialogDrt = std::make_unique<TFileDialog>(false);
  OpenDialogDrt->Title = Text(298);
  OpenDialogDrt->Filter = QStringLiteral("Grafico dati in tempo reale|*.txt");

  // Value codes, shared handlers and limit hints of the pages' fields.
  BindFields();
  for (TConfigPage* page : pages_) AttachLimitHints(page);
  resize(static_cast<int>(kDesignWidth * scale_), static_cast<int>(kDesignHeight * scale_));
}

TFormConfig::~TFormConfig() {
  if (filterInstalled_) qApp->removeEventFilter(this);
  if (FormConfig == this) FormConfig = nullptr;
}

// ---- pages ------------------------------------------------------------------------------------

ConfigPageId TFormConfig::ActivePage() const {
  const int page = tabs_->ActivePage();
  return page < 0 ? TabCambio : static_cast<ConfigPageId>(page);
}

bool TFormConfig::IsPageVisible(ConfigPageId id) const { return tabs_->IsPageVisible(id); }

void TFormConfig::SetActivePage(ConfigPageId id) { tabs_->SetActivePage(id); }

bool TFormConfig::ChangePage(ConfigPageId id) {
  if (!AcquiredDataGuard()) return false;
  SetActivePage(id);
  return true;
}

void TFormConfig::PageChanged(int page) {
  if (page < 0) return;
  stack_->setCurrentIndex(page);
  LabelLimite->hide();
  if (isVisible()) pages_[page]->PageShow();
}

// ---- keys -------------------------------------------------------------------------------------

bool TFormConfig::MenuShortcutFor(const QKeyEvent* key) const {
  if (key->key() == Qt::Key_Escape) return false;  // the grids' in-place editors keep Esc
  const QKeySequence pressed(key->keyCombination());
  for (const QAction* a : findChildren<QAction*>()) {
    if (a->isEnabled() && a->shortcutContext() != Qt::WidgetShortcut && a->shortcut() == pressed) return true;
  }
  return false;
}

bool TFormConfig::eventFilter(QObject* watched, QEvent* event) {
  // The form's menu shortcuts win over the editing keys of a text field (Ctrl+A is not "select
  // all" and Ctrl+Z not the field's own undo while a menu item of the form has them).
  if (event->type() == QEvent::ShortcutOverride) {
    auto* w = qobject_cast<QWidget*>(watched);
    auto* key = static_cast<QKeyEvent*>(event);
    if (w && w->window() == this && MenuShortcutFor(key)) {
      key->ignore();
      return true;
    }
  }
  // Key preview: the form sees every key of its own window before the focused control.
  if (event->type() == QEvent::KeyPress) {
    auto* w = qobject_cast<QWidget*>(watched);
    QWidget* focus = QApplication::focusWidget();
    const bool first = focus ? watched == focus : watched == this;
    if (w && first && w->window() == this) {
      auto* key = static_cast<QKeyEvent*>(event);
      if (FormKeyDown(key->key(), key->modifiers())) return true;
      if (key->text() == QStringLiteral(" ")) FormKeyPress(QLatin1Char(' '));
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TFormConfig::keyPressEvent(QKeyEvent* event) {
  if (PressFocusedButton(this, event)) return;
  QDialog::keyPressEvent(event);
}

bool TFormConfig::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
  if (key >= Qt::Key_F1 && key <= Qt::Key_F12 && !(modifiers & Qt::AltModifier)) {
    if (!AcquiredDataGuard()) return true;
    int page = tabs_->FirstVisiblePage();
    for (int step = 0; step < key - Qt::Key_F1 && page >= 0; ++step)
      page = tabs_->NextVisiblePage(page, true);
    if (page >= 0) SetActivePage(static_cast<ConfigPageId>(page));
    return true;
  }
  if (key == Qt::Key_PageDown || key == Qt::Key_PageUp) {
    if (!AcquiredDataGuard()) return true;
    const bool down = key == Qt::Key_PageDown;
    int page;
    if (modifiers & Qt::ControlModifier)
      page = down ? tabs_->LastVisiblePage() : tabs_->FirstVisiblePage();
    else
      page = tabs_->NextVisiblePage(tabs_->ActivePage(), down);
    if (page >= 0) SetActivePage(static_cast<ConfigPageId>(page));
    return true;
  }
  return false;
}

void TFormConfig::FormKeyPress(QChar key) {
  if (key != QLatin1Char(' ')) return;
  // One road-mapping sample, when mapping mode is on or the map page shows.
  auto* acquire = findChild<QAction*>(QStringLiteral("MenuAcqMappatura"));
  if (acquire && (acquire->isEnabled() || ActivePage() == TabMappa)) {
    emit acquire->triggered(acquire->isChecked());
    if (auto* a = findChild<QAction*>(QStringLiteral("MenuUsaBenzina"))) a->setEnabled(false);
    for (const char* name : {"CheckMappaGas", "CheckMappaBenzina", "CheckEntrambeMappe"})
      if (auto* b = findChild<QAbstractButton*>(QString::fromLatin1(name))) b->setEnabled(false);
  }
  SpacePressed = true;
}

// ---- acquired-data guard --------------------------------------------------------------------

bool TFormConfig::AcquiredDataGuard() {
  if (ActivePage() != TabMappa || !DatiMappati || !DatiMappati->IsChanged()) return true;
  if (ShowPrompt(this, windowTitle(), Text(432), PromptIcon::Question, PromptYesNo) != PromptYes)
    return false;
  DatiMappati->Clear();
  DatiMappati->ClearGriglia();
  const bool petrol = EcuData && EcuData->HasMappaBenzina;
  if (auto* a = findChild<QAction*>(QStringLiteral("MenuUsaBenzina"))) a->setEnabled(true);
  if (auto* b = findChild<QAbstractButton*>(QStringLiteral("CheckMappaGas"))) b->setEnabled(true);
  for (const char* name : {"CheckMappaBenzina", "CheckEntrambeMappe"})
    if (auto* b = findChild<QAbstractButton*>(QString::fromLatin1(name))) b->setEnabled(petrol);
  return true;
}

// ---- showing, activation, layout ------------------------------------------------------------

void TFormConfig::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  if (!filterInstalled_) {
    qApp->installEventFilter(this);
    filterInstalled_ = true;
  }
  setWindowState(windowState() | Qt::WindowMaximized);
  FormShow();
}

void TFormConfig::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  if (event->spontaneous()) return;
  if (filterInstalled_) {
    qApp->removeEventFilter(this);
    filterInstalled_ = false;
  }
}

bool TFormConfig::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate && !activated_) {
    activated_ = true;
    FormActivate();
  }
  return QDialog::event(event);
}

void TFormConfig::FormShow() {
  LabelMap->setVisible(true);
  LabMap->setVisible(true);
  ApplySecondBankRule();
  if (EcuData) {
    MenuCorrAssoluto->setChecked(EcuData->GetFlag1(1));
    MenuArrAssoluto->setChecked(EcuData->GetFlag1(2));
  }
  MenuGrafico->setEnabled(static_cast<bool>(TraceViewerFn()));
  DataReloaded();
  for (TConfigPage* page : pages_) page->FormShow();
  tabs_->SetPageVisible(TabCorrezioni, EcuData && EcuData->HasDatiAggiuntivi);
  pages_[ActivePage()]->PageShow();
  Timer1->start();
  FormResize();
}

void TFormConfig::DataReloaded() {
  for (TConfigPage* page : pages_) page->DataReloaded();
}

void TFormConfig::FormActivate() {
  for (TConfigPage* page : pages_) page->FormActivate();
}

void TFormConfig::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  FormResize();
}

void TFormConfig::FormResize() {
  // The strip's thickness follows the screen, the tabs share its length.
  tabs_->setFixedWidth(ScaleToScreen(130, screenWidth_));
  tabs_->update();
  for (TConfigPage* page : pages_) page->PageResize();
}

// ---- closing ----------------------------------------------------------------------------------

bool TFormConfig::FormCloseQuery() { return AcquiredDataGuard(); }

void TFormConfig::done(int r) {
  // Every close (Esc, the window's close button, MenuEsci, accept/reject) comes here; the
  // dialog's reject skips closeEvent, so the guard and the close handler run here.
  if (closing_) return;
  if (!FormCloseQuery()) return;
  closing_ = true;
  FormClose();
  QDialog::done(r);
  closing_ = false;
}

void TFormConfig::FormClose() {
  Timer1->stop();
  if (recorder_.IsRecording()) MenuTerminaDrtClick();
  LabelLimite->hide();
  activated_ = false;
}

// ---- menus ------------------------------------------------------------------------------------

void TFormConfig::BuildMenus() {
  auto action = [this](QMenu* menu, const char* name, const QString& caption) {
    auto* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    return a;
  };
  MenuConfigurazione = menuBar_->addMenu(Text(125));
  MenuConfigurazione->setObjectName(QStringLiteral("MenuConfigurazione"));
  MenuEsci = action(MenuConfigurazione, "MenuEsci", Text(134));
  MenuEsci->setShortcut(QKeySequence(Qt::Key_Escape));
  MenuEsci->setShortcutContext(Qt::WindowShortcut);
  connect(MenuEsci, &QAction::triggered, this, [this] { reject(); });
  addAction(MenuEsci);

  MenuAcquisizioni = menuBar_->addMenu(Text(126));
  MenuAcquisizioni->setObjectName(QStringLiteral("MenuAcquisizioni"));
  MenuCominciaDrt = action(MenuAcquisizioni, "MenuCominciaDrt", Text(131));
  MenuTerminaDrt = action(MenuAcquisizioni, "MenuTerminaDrt", Text(132));
  MenuTerminaDrt->setEnabled(false);
  MenuGrafico = action(MenuAcquisizioni, "MenuGrafico", Text(133));
  connect(MenuCominciaDrt, &QAction::triggered, this, &TFormConfig::MenuCominciaDrtClick);
  connect(MenuTerminaDrt, &QAction::triggered, this, &TFormConfig::MenuTerminaDrtClick);
  connect(MenuGrafico, &QAction::triggered, this, &TFormConfig::MenuGraficoClick);
  connect(MenuAcquisizioni, &QMenu::aboutToShow, this,
          [this] { MenuGrafico->setEnabled(static_cast<bool>(TraceViewerFn())); });

  MenuTest = menuBar_->addMenu(Text(127));
  MenuTest->setObjectName(QStringLiteral("MenuTest"));
  MenuDiagnosiProg = action(MenuTest, "MenuDiagnosiProg", Text(454));
  MenuDiagnosiProg->setVisible(false);
  MenuSbloccaLimiti = action(MenuTest, "MenuSbloccaLimiti", Text(455));
  MenuSbloccaLimiti->setCheckable(true);
  MenuCorrAssoluto = action(MenuTest, "MenuCorrAssoluto", Text(456));
  MenuCorrAssoluto->setCheckable(true);
  MenuCorrAssoluto->setVisible(false);
  MenuArrAssoluto = action(MenuTest, "MenuArrAssoluto", Text(457));
  MenuArrAssoluto->setCheckable(true);
  MenuArrAssoluto->setVisible(false);
  MenuPressDiff = action(MenuTest, "MenuPressDiff", Text(458));
  MenuPressDiff->setCheckable(true);
  MenuPressDiff->setChecked(true);
  MenuComunicazioneSerialeCostruita = action(MenuTest, "MenuComunicazioneSerialeCostruita",
                                             QStringLiteral("Comunicazione seriale costruita"));
  // The check items toggle themselves before their handler runs.
  connect(MenuSbloccaLimiti, &QAction::triggered, this, [this] { ApplyLimitLift(); });
  connect(MenuComunicazioneSerialeCostruita, &QAction::triggered, this,
          &TFormConfig::MenuComunicazioneSerialeCostruitaClick);
}

QWidget* TFormConfig::Field(const char* name) const { return findChild<QWidget*>(QString::fromLatin1(name)); }
