#pragma once
// "Configurazione veicolo": the editor of every ECU parameter of the vehicle installation.
// One instance (FormConfig) lives from start-up to the end; the main window shows it modally.
//
// The frame: the pages and their function-key tab strip, page keys, the acquired-data guard,
// the binding of entry fields to value codes with the shared Enter handlers, the limit hint,
// translation, layout and closing; the live panel with its 170 ms tick and trace recording;
// the test functions menu. The pages are units of their own (ConfigPage.h).
//
// The form's code is split by subject: Config.cpp (frame), ConfigBinding.cpp (value-code
// table, shared handlers, limit hint), ConfigLive.cpp (live panel, traces), ConfigTestMenu.cpp
// (test functions), ConfigTexts.cpp (translation).
#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <map>
#include <memory>

#include "ConfigPage.h"
#include "LivePanel.h"
#include "MapGridHost.h"
#include "TraceRecorder.h"

class QKeyEvent;
class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QStackedWidget;
class QTimer;
class TFileDialog;
class TFormModMappa;
class TFunctionKeyTabStrip;
class TKeyComboBox;
class TNumericEdit;
class TRoadMapping;

class TFormConfig : public QDialog, public IGridHost {
  Q_OBJECT

 public:
  // Interval of the live tick.
  static constexpr int kLiveTickMs = 170;
  // Makes the page of an id; CreateConfigPage unless a caller (a test) plugs in others.
  using PageFactory = std::function<TConfigPage*(TFormConfig*, ConfigPageId)>;

  explicit TFormConfig(QWidget* owner = nullptr, const PageFactory& pages = CreateConfigPage);
  ~TFormConfig() override;

  // ---- pages -------------------------------------------------------------------------------
  TConfigPage* Page(ConfigPageId id) const { return pages_[id]; }
  ConfigPageId ActivePage() const;
  bool IsPageVisible(ConfigPageId id) const;
  // Makes a visible page active and runs its PageShow, without the acquired-data guard.
  void SetActivePage(ConfigPageId id);
  // A page change as the user asks it (tab click, F-key, PgUp/PgDn): the guard first; false
  // when it refused.
  bool ChangePage(ConfigPageId id);
  TFunctionKeyTabStrip* PageControl() const { return tabs_; }

  // ---- shared handlers -----------------------------------------------------------------------
  // Enter in a numeric field (OnKeyPress of the bound fields): writes the field's value code
  // and shows the value read back, then the sender's own rules.
  void EditRifLambdaKeyPress(TNumericEdit* sender);
  // Enter in an option list (list closed): writes the item index to the value code, then the
  // sender's own rules.
  void ComboTipoLambdaKeyPress(TKeyComboBox* sender);
  // The limit hint on entering and leaving a numeric field.
  void EditFuoriGiriEnter(TNumericEdit* sender);
  void EditFuoriGiriExit(TNumericEdit* sender);
  QLabel* LimitHint() const { return LabelLimite; }
  // The acquired-data guard: true when the change or the close may go on.
  bool AcquiredDataGuard();

  // ---- live panel and traces -----------------------------------------------------------------
  // One live tick (Timer1's handler): reads a record, refreshes the panel, runs the page hooks
  // and appends the trace record.
  void Timer1Timer();
  // Dialogs that change the grids stop the live tick while they are open.
  void StopLiveTimer() override;
  void StartLiveTimer() override;
  bool IsLiveTimerActive() const;
  const TLivePanel& Live() const { return live_; }
  // Colour of the working-point markers (0x00BBGGRR), from the last live record.
  uint32_t MarkerColor() const { return live_.View().markerColor; }
  void MenuCominciaDrtClick();
  void MenuTerminaDrtClick();
  void MenuGraficoClick();
  bool IsRecording() const { return recorder_.IsRecording(); }
  const TTraceRecorder& Recorder() const { return recorder_; }
  // The data folder's "Acquisizioni": the trace and acquired-points dialogs start there, and the
  // temporary trace files are made in its own folder inside it (TTraceRecorder::TempFolderFor;
  // the system's temporary folder until it is set).
  void SetAcquisitionFolder(const QString& folder);
  // The data folder's "Taratura" (the base calibrations), as the main window sets it.
  QString CalibrationFolder;
  // Shows a recorded trace: the trace chart (TFormGraficoDrt::Show) unless a test puts another
  // viewer in its place; MenuGrafico is enabled only while a viewer is set.
  using TraceViewer = std::function<void(QWidget* owner, const QString& fileName)>;
  static void SetTraceViewer(TraceViewer viewer);

  // ---- test functions ------------------------------------------------------------------------
  void MenuSbloccaLimitiClick();
  void MenuPressDiffClick();
  void MenuComunicazioneSerialeCostruitaClick();
  // File name of the serial-message composer program: in the data folder (MainPath), else
  // beside the program; empty when neither holds it.
  QString ComposerFileName() const;
  // Starts this program in place of the composer found (tests).
  void SetComposerProgram(const QString& path) { composerProgram_ = path; }

  // The data set was read from the ECU, loaded from a file or preset: every page recomputes
  // what it derives from it (the grids' cell bounds). Showing the form does it too.
  void DataReloaded();

  // ---- texts ---------------------------------------------------------------------------------
  // Loads every text of the form in the current language (the main window calls it at start
  // and on every change of language).
  void TranslateConfigForm();
  // A message or member text of the form by its text id, in the current language (the design
  // text while the language library supplies none).
  QString Text(int id) const;

  // ---- state shared with the pages ------------------------------------------------------------
  // Set by every Space; the map page swallows the click that Space fires on its controls.
  bool SpacePressed = false;
  // Set by an Enter in ComboTipoLambda; the live tick applies the lambda presets.
  bool LambdaTypeChanged = false;
  int LambdaTypeTicks = 0;
  // The second-bank readings of the live panel follow the probe count (IsDoppiaSonda).
  void ApplySecondBankRule();
  // Design scale of the form: (screen width - 20) / 800 when the screen is not 800 wide.
  double Scale() const { return scale_; }
  int ScreenWidth() const { return screenWidth_; }
  // The cell-change dialog the grids share for the form's lifetime.
  TFormModMappa* FormModMappa() const { return formModMappa_; }
  // The grids' view of the form.
  TFormModMappa* CellDialog() override { return formModMappa_; }
  QString Text(int id, const QString& fallback) const override;
  QWidget* DialogOwner() override { return this; }
  QMenuBar* MainMenu() const { return menuBar_; }
  // Road mapping: the menu "Mappatura" and its handlers (RoadMapping.h).
  TRoadMapping* Mapping() const { return roadMapping_; }

  // ---- menus (published items) ----------------------------------------------------------------
  QMenu* MenuConfigurazione = nullptr;
  QAction* MenuEsci = nullptr;
  QMenu* MenuAcquisizioni = nullptr;
  QAction* MenuCominciaDrt = nullptr;
  QAction* MenuTerminaDrt = nullptr;
  QAction* MenuGrafico = nullptr;
  QMenu* MenuTest = nullptr;
  QAction* MenuDiagnosiProg = nullptr;
  QAction* MenuSbloccaLimiti = nullptr;
  QAction* MenuCorrAssoluto = nullptr;
  QAction* MenuArrAssoluto = nullptr;
  QAction* MenuPressDiff = nullptr;
  QAction* MenuComunicazioneSerialeCostruita = nullptr;

 public slots:
  void done(int r) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // Return presses the focused button ("&Conferma" of the gas level page, for one).
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // An enabled menu item of this form has the key as its shortcut.
  bool MenuShortcutFor(const QKeyEvent* key) const;

 private:
  void BuildMenus();
  void BuildPanel();
  void BindFields();
  void AttachLimitHints(QWidget* page);
  void FormShow();
  void FormActivate();
  void FormResize();
  void FormClose();
  bool FormCloseQuery();
  // FormKeyDown: true when the key was handled (and is swallowed).
  bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
  void FormKeyPress(QChar key);
  void PageChanged(int page);
  void ApplyLiveView(const TLivePanelView& view);
  void ApplyLambdaPresets();
  // Marks the seven fields the probe-type presets will reload and sets LambdaTypeChanged.
  void MarkLambdaPresetFields();
  void FillPetrolMap();
  QWidget* Field(const char* name) const;
  void ApplyLimitLift();
  static TraceViewer& TraceViewerFn();

  std::array<TConfigPage*, kConfigPageCount> pages_{};
  TFunctionKeyTabStrip* tabs_ = nullptr;
  QStackedWidget* stack_ = nullptr;
  QMenuBar* menuBar_ = nullptr;
  QFrame* Panel1 = nullptr;
  QLabel* LabelLimite = nullptr;
  QTimer* Timer1 = nullptr;
  TFormModMappa* formModMappa_ = nullptr;
  TRoadMapping* roadMapping_ = nullptr;

  // Panel labels: captions and values.
  struct PanelLabel {
    const char* name;
    int textId;
    QLabel* caption;
  };
  std::vector<PanelLabel> panelCaptions_;
  QLabel* LabLambda = nullptr;
  QLabel* LabLambda2 = nullptr;
  QLabel* LabTps = nullptr;
  QLabel* LabMap = nullptr;
  QLabel* LabApMot = nullptr;
  QLabel* LabApMot2 = nullptr;
  QLabel* LabCorr = nullptr;
  QLabel* LabCorr2 = nullptr;
  QLabel* LabPressione = nullptr;
  QLabel* LabApMotBenz = nullptr;
  QLabel* LabCumulo = nullptr;
  QLabel* LabArricchimento = nullptr;
  QLabel* LabGiri = nullptr;
  QLabel* LabCutoff = nullptr;
  QLabel* LabTemp = nullptr;
  QLabel* LabLivello = nullptr;
  QLabel* LabGas = nullptr;
  QLabel* LabCorrBenz = nullptr;
  QLabel* LabelMap = nullptr;

  TLivePanel live_;
  TPetrolMap petrolMap_;
  TTraceRecorder recorder_;
  std::unique_ptr<TFileDialog> SaveDialogDrt;
  std::unique_ptr<TFileDialog> OpenDialogDrt;

  std::map<int, QString> texts_;  // message and member texts by id
  double scale_ = 1.0;
  int screenWidth_ = 800;
  int tabFontSize_ = 9;
  int limitHintOffset_ = 0;
  bool activated_ = false;  // FormActivate ran since the last show
  bool closing_ = false;    // done() is running its close path
  bool filterInstalled_ = false;
  QString composerProgram_;
};

extern TFormConfig* FormConfig;
