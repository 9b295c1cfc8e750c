// The main window: construction, first show, texts, language menus, entry layout and
// selection, status bar and the WM_ECUCHANGED cases.
#include "Main.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>

#include "AboutBox.h"
#include "AppSettings.h"
#include "BrandProfile.h"
#include "Clock.h"
#include "Config.h"
#include "ConfigActions.h"
#include "DataFolders.h"
#include "Diagnosi.h"
#include "EcuChecks.h"
#include "EcuData.h"
#include "FormScarica.h"
#include "Language.h"
#include "PrivateMessage.h"
#include "SerialLink.h"
#include "ShowActive.h"
#include "StatusBarPanels.h"
#include "TraceRecorder.h"
#include "WaitCursor.h"
#include "WinColor.h"
#include "visualizza.h"

TFormMain* FormMain = nullptr;

namespace {

constexpr uint32_t clTeal = 0x808000;
constexpr uint32_t clRed = 0x0000FF;
constexpr uint32_t clLime = 0x00FF00;
constexpr uint32_t clYellow = 0x00FFFF;
constexpr uint32_t clWindow = 0xFFFFFF;

constexpr int kTitleFontPixels = 53;
constexpr int kEntryFontPixels = 30;
constexpr int kDesignWidth = 800;
constexpr int kDesignHeight = 564;

// The stored texts of the window and their buffer sizes (255 unless given).
struct StoredText {
  int k;
  int bufferSize;
};
constexpr StoredText kStoredTexts[] = {
    {51, 255}, {52, 255}, {53, 255}, {54, 255},  {55, 255},  {56, 255},  {57, 255},  {58, 255},
    {59, 255}, {60, 255}, {64, 12},  {65, 255},  {66, 255},  {67, 255},  {68, 255},  {69, 255},
    {70, 255}, {71, 255}, {72, 255}, {73, 20},   {78, 255},  {79, 255},  {80, 255},  {81, 255},
    {82, 255}, {83, 255}, {84, 15},  {88, 255},  {89, 255},  {90, 255},  {91, 255},  {92, 255},
    {93, 255}, {94, 255}, {95, 255}, {413, 255}, {414, 255}, {531, 255}, {532, 255},
};

// Entry captions: label, text number, buffer size.
struct EntryText {
  int tag;
  int k;
  int bufferSize;
};
constexpr EntryText kEntryTexts[] = {{0, 25, 31}, {1, 26, 31}, {2, 27, 31}, {3, 28, 31},
                                     {5, 29, 32}, {4, 30, 33}, {6, 31, 30}, {7, 32, 31}};

QString CutText(const QString& text, int bufferSize) { return text.left(bufferSize - 1); }

void SetTextColour(QLabel* label, uint32_t colour) {
  QPalette p = label->palette();
  p.setColor(QPalette::WindowText, WinColor(colour));
  label->setPalette(p);
}

void SetPixelFont(QLabel* label, int pixels, bool bold) {
  QFont f = label->font();
  f.setPixelSize(std::max(1, pixels));
  f.setBold(bold);
  label->setFont(f);
}

// Removes the temporary plain copies that an earlier run left behind. Failures are ignored.
void DeleteLeftOverCopies() {
  QDir temp(QDir::tempPath());
  const QStringList patterns = {QStringLiteral("_mp*.tmp"), QStringLiteral("_mt*.tmp"),
                                QStringLiteral("_mp??????"), QStringLiteral("_mt??????")};
  for (const QString& name : temp.entryList(patterns, QDir::Files | QDir::Hidden | QDir::System)) {
    const QString path = temp.filePath(name);
    QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner | QFile::ReadOwner);
    QFile::remove(path);
  }
}

bool LinkOpen() { return SerialLink && SerialLink->IsLinkOpen() != 0; }

}  // namespace

TFormMain::TFormMain(QWidget* owner, const QString& dataFolder) : QMainWindow(owner) {
  setObjectName(QStringLiteral("FormMain"));
  setWindowTitle(QStringLiteral("Initializing..."));
  resize(kDesignWidth, kDesignHeight);

  // Language of the settings.
  CurrentLanguage = LanguageFromSetting(AppSettings ? AppSettings->GetSetting(SettingLanguage) : 0);
  ReadLanguageNumbers();
  InstallQtTranslations();

  // The data folder.
  DataFolder = dataFolder.isEmpty() ? QDir::currentPath() : dataFolder;

  // The splash and the start-up cursor, up until the first idle moment of the message loop.
  splash_ = std::make_unique<TStartupSplash>(this);

  BuildEntries();
  BuildMenus();
  BuildStatusBar();
  LoadStoredTexts();

  // Entries by Tag.
  MenuLabels = {LabelConfig, LabelVisualizza, LabelTaratura,    LabelDiagnosi,
                LabelSalva,  LabelCarica,     LabelRiprogramma, LabelTermina};
  MenuActions = {ActionConf,      ActionVisualizza, ActionTara,      ActionDiagnosi,
                 ActionSalvaConf, ActionApriConf,   ActionProgramma, ActionEsci};

  // Temporary copies of an earlier run, and what saves it cut short left beside their files.
  DeleteLeftOverCopies();
  RemoveLeftOverSaveSiblings(DataFolder);

  // Configuration-file dialogs.
  const QString ext = QString::fromLatin1(GetBrandConfigExt());
  OpenDialog1.Title = QStringLiteral("Apri file di configurazione");
  SaveDialog1.Title = QStringLiteral("Salva file di configurazione");
  OpenDialog1.DefaultExt = SaveDialog1.DefaultExt = ext;
  OpenDialog1.Filter = SaveDialog1.Filter = QStringLiteral("Configurazione|*.") + ext;
  SaveDialog1.OverwritePrompt = true;

  // The configuration-file key.
  if (EcuData) EcuData->SetFileKey(GetBrandFileKey());
}

TFormMain::~TFormMain() {
  if (FormMain == this) FormMain = nullptr;
}

// ---- construction helpers -------------------------------------------------------------------

void TFormMain::BuildEntries() {
  central_ = new QWidget(this);
  central_->setObjectName(QStringLiteral("ClientArea"));
  central_->setAutoFillBackground(true);
  QPalette p = central_->palette();
  p.setColor(QPalette::Window, WinColor(clTeal));
  central_->setPalette(p);
  setCentralWidget(central_);

  auto label = [this](const char* name, const char* text) {
    auto* l = new QLabel(QString::fromUtf8(text), central_);
    l->setObjectName(QString::fromLatin1(name));
    l->setAttribute(Qt::WA_TranslucentBackground);
    return l;
  };
  LabelMenu = label("LabelMenu", "MENU' PRINCIPALE");
  SetTextColour(LabelMenu, clRed);
  SetPixelFont(LabelMenu, kTitleFontPixels, true);

  const struct {
    QLabel** label;
    const char* name;
    const char* text;
  } entries[] = {
      {&LabelConfig, "LabelConfig", "CONFIGURAZIONE VETTURA"},
      {&LabelVisualizza, "LabelVisualizza", "VISUALIZZAZIONE"},
      {&LabelTaratura, "LabelTaratura", "TARATURA"},
      {&LabelDiagnosi, "LabelDiagnosi", "DIAGNOSI"},
      {&LabelSalva, "LabelSalva", "SALVA CONFIGURAZIONE ATTUALE"},
      {&LabelCarica, "LabelCarica", "CARICA NUOVA CONFIGURAZIONE"},
      {&LabelRiprogramma, "LabelRiprogramma", "PROGRAMMAZIONE CENTRALINA"},
      {&LabelTermina, "LabelTermina", "ESCI"},
  };
  int tag = 0;
  for (const auto& e : entries) {
    QLabel* l = label(e.name, e.text);
    l->setProperty("Tag", tag++);
    l->setCursor(Qt::PointingHandCursor);
    l->setMouseTracking(true);
    SetTextColour(l, clWindow);
    SetPixelFont(l, kEntryFontPixels, true);
    l->installEventFilter(this);
    *e.label = l;
  }
  // The arrow: a symbol character, shown only as the selection's mark.
  LabelFreccia = label("LabelFreccia", "\u27A4");
  SetTextColour(LabelFreccia, clLime);
  SetPixelFont(LabelFreccia, kEntryFontPixels, true);
  LabelFreccia->hide();
  for (QLabel* l : central_->findChildren<QLabel*>()) l->adjustSize();
}

void TFormMain::BuildMenus() {
  auto action = [this](const char* name, const char* text, void (TFormMain::*handler)()) {
    auto* a = new QAction(QString::fromUtf8(text), this);
    a->setObjectName(QString::fromLatin1(name));
    if (handler) connect(a, &QAction::triggered, this, handler);
    return a;
  };
  ActionVisualizza = action("ActionVisualizza", "&Visualizzazione", &TFormMain::ActionVisualizzaExecute);
  ActionConf = action("ActionConf", "&Configurazione vettura", &TFormMain::ActionConfExecute);
  ActionDiagnosi = action("ActionDiagnosi", "&Diagnosi", &TFormMain::ActionDiagnosiExecute);
  ActionEsci = action("ActionEsci", "&Esci", &TFormMain::ActionEsciExecute);
  ActionEsci->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  ActionApri = action("ActionApri", "&Apri...", &TFormMain::ActionApriExecute);
  ActionSalva = action("ActionSalva", "Sal&va...", &TFormMain::ActionSalvaExecute);
  ActionStampa = action("ActionStampa", "&Stampa", nullptr);
  ActionConnetti = action("ActionConnetti", "&Connetti", &TFormMain::ActionConnettiExecute);
  ActionDisconnetti = action("ActionDisconnetti", "&Disconnetti", &TFormMain::ActionDisconnettiExecute);
  ActionDisconnetti->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
  ActionDisconnetti->setEnabled(false);
  ActionProgramma =
      action("ActionProgramma", "&Programmazione centralina", &TFormMain::ActionProgrammaExecute);
  ActionCreaDischi = action("ActionCreaDischi", "Crea &dischi", nullptr);
  ActionCreaDischi->setVisible(false);
  ActionCreaDischi->setEnabled(false);
  ActionBloccoNote = action("ActionBloccoNote", "Apri in &blocco note", &TFormMain::ActionBloccoNoteExecute);
  ActionSalvaConf = action("ActionSalvaConf", "Salva configurazione", &TFormMain::ActionSalvaConfExecute);
  ActionApriConf = action("ActionApriConf", "Carica configurazione", &TFormMain::ActionApriConfExecute);
  ActionProgrammaCliente =
      action("ActionProgrammaCliente", "Programma c&liente", &TFormMain::ActionProgrammaClienteExecute);
  ActionTara = action("ActionTara", "&Taratura", &TFormMain::ActionTaraExecute);
  ActionResetCpu = action("ActionResetCpu", "&Reset centralina", &TFormMain::ActionResetCpuExecute);
  ActionResetCpu->setEnabled(false);

  QMenuBar* bar = menuBar();
  MenuFile = bar->addMenu(QStringLiteral("&File"));
  MenuFile->setObjectName(QStringLiteral("MenuFile"));
  MenuFile->addAction(ActionApri);
  MenuFile->addAction(ActionSalva);
  MenuFile->addAction(ActionStampa);
  MenuFile->addSeparator();
  MenuFile->addAction(ActionBloccoNote);
  MenuFile->addAction(ActionProgrammaCliente);
  MenuFile->addAction(ActionCreaDischi);
  N4 = MenuFile->addSeparator();
  N4->setObjectName(QStringLiteral("N4"));
  MenuFile->addAction(ActionEsci);

  MenuStrumenti = bar->addMenu(QStringLiteral("&Visualizza"));
  MenuStrumenti->setObjectName(QStringLiteral("MenuStrumenti"));
  MenuStrumenti->menuAction()->setVisible(false);

  MenuCpu = bar->addMenu(QStringLiteral("&Connessione"));
  MenuCpu->setObjectName(QStringLiteral("MenuCpu"));
  MenuConnetti = MenuCpu->addAction(QStringLiteral("&Connetti"));
  MenuConnetti->setObjectName(QStringLiteral("MenuConnetti"));
  MenuConnetti->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  connect(MenuConnetti, &QAction::triggered, this, &TFormMain::MenuConnettiClick);
  MenuCpu->addAction(ActionDisconnetti);
  MenuCpu->addSeparator()->setVisible(false);
  MenuCpu->addAction(ActionResetCpu);
  // "Ricarica tutti i dati" is a hidden item that follows the Disconnect action's state: it sits
  // on no menu, since the toolkit keeps a hidden item disabled.
  MenuRileggi = new QAction(QStringLiteral("&Ricarica tutti i dati"), MenuCpu);
  MenuRileggi->setObjectName(QStringLiteral("MenuRileggi"));
  MenuRileggi->setEnabled(false);

  MenuConfig = bar->addMenu(QStringLiteral("&Impostazioni"));
  MenuConfig->setObjectName(QStringLiteral("MenuConfig"));
  MenuComPort = MenuConfig->addAction(QStringLiteral("Porta &COM"));
  MenuComPort->setObjectName(QStringLiteral("MenuComPort"));
  MenuComPort->setVisible(false);
  MenuSelLingua = MenuConfig->addMenu(QStringLiteral("&Lingua"));
  MenuSelLingua->setObjectName(QStringLiteral("MenuSelLingua"));

  MenuAiuto = bar->addMenu(QStringLiteral("&Aiuto"));
  MenuAiuto->setObjectName(QStringLiteral("MenuAiuto"));
  MenuAbout = MenuAiuto->addAction(QStringLiteral("&Informazioni su..."));
  MenuAbout->setObjectName(QStringLiteral("MenuAbout"));
  connect(MenuAbout, &QAction::triggered, this, &TFormMain::MenuAboutClick);

  FormPopupMenu = new QMenu(this);
  FormPopupMenu->setObjectName(QStringLiteral("FormPopupMenu"));
  // Shortcuts of actions that sit on no menu still work in the window.
  addActions({ActionVisualizza, ActionConf, ActionDiagnosi, ActionSalvaConf, ActionApriConf, ActionProgramma,
              ActionTara, ActionConnetti});
}

void TFormMain::BuildStatusBar() {
  StatusBarMain = new TStatusBarPanels(this);
  StatusBarMain->setObjectName(QStringLiteral("StatusBarMain"));
  StatusBarMain->AddPanel(240, QStringLiteral("Centralina non connessa"), true);
  StatusBarMain->AddPanel(285, QStringLiteral("Configurazione:"));
  StatusBarMain->AddPanel(210);
  StatusBarMain->AddPanel(50);
  StatusBarMain->OnDrawPanel = [this](QPainter& canvas, int panel, const QRect& rect) {
    StatusBarMainDrawPanel(canvas, panel, rect);
  };
  statusBar()->setSizeGripEnabled(false);
  statusBar()->addWidget(StatusBarMain, 1);
}

void TFormMain::LoadStoredTexts() {
  for (const StoredText& t : kStoredTexts) texts_[t.k] = CutText(OwnText(t.k), t.bufferSize);
}

QString TFormMain::Text(int k) const {
  const auto it = texts_.find(k);
  return it == texts_.end() ? QString() : it->second;
}

QString TFormMain::ConnectionWarningText() const {
  return Text(58) + QStringLiteral("\n\n- ") + Text(59) + QStringLiteral("\n- ") + Text(60);
}

QString TFormMain::FuelName() const { return Text(EcuData && EcuData->GetFlag1(4) ? 414 : 413); }

int TFormMain::ScreenWidth() const {
  if (screenWidth_ > 0) return screenWidth_;
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  // The window and its frame fit the screen's available area.
  return s ? FittedScreenWidth(QSize(kDesignWidth, kDesignHeight), s->geometry().width(),
                               s->availableGeometry())
           : kDesignScreenWidth;
}

int TFormMain::Message(const QString& text, PromptIcon icon, int buttons) {
  // A message must be seen: the stay-on-top splash would cover it, so it goes first (the
  // message's own loop would remove it at its first idle moment anyway).
  if (splash_ && splash_->IsUp()) splash_->Close();
  return ShowPrompt(this, windowTitle(), text, icon, buttons);
}

// ---- first show -----------------------------------------------------------------------------

void TFormMain::setVisible(bool visible) {
  const bool first = visible && !shown_;
  if (first) {
    shown_ = true;
    FormShow();
  }
  QMainWindow::setVisible(visible);
  if (first && isVisible()) FormShowOnScreen();
}

void TFormMain::ScaleToScreenWidth(int screenWidth) {
  for (QLabel* l : central_->findChildren<QLabel*>()) {
    QFont f = l->font();
    f.setPixelSize(std::max(1, ScaleToScreen(f.pixelSize(), screenWidth)));
    l->setFont(f);
    l->adjustSize();
  }
  for (int i = 0; i < StatusBarMain->PanelCount(); ++i)
    StatusBarMain->SetPanelWidth(i, ScaleToScreen(StatusBarMain->PanelWidth(i), screenWidth));
  resize(ScaleToScreen(width(), screenWidth), ScaleToScreen(height(), screenWidth));
}

void TFormMain::FormShow() {
  // Screen scaling.
  const int sw = ScreenWidth();
  if (sw != kDesignScreenWidth) ScaleToScreenWidth(sw);

  // The data folder's subfolders, made when missing, and the dialogs' initial folders.
  const QStringList missing = MakeDataSubfolders(DataFolder);
  OpenDialog1.InitialDir = SaveDialog1.InitialDir = DataSubfolder(DataFolder, kFolderConfigurazioni);
  if (FormScarica) FormScarica->OpenDialogFile.InitialDir = DataSubfolder(DataFolder, kFolderProgrammazione);
  if (FormConfig) {
    FormConfig->SetAcquisitionFolder(DataSubfolder(DataFolder, kFolderAcquisizioni));
    FormConfig->CalibrationFolder = DataSubfolder(DataFolder, kFolderTaratura);
  }

  // Language menus and the stored language.
  CurrentLanguage = 0;
  BuildLanguageMenus();
  const int stored = AppSettings ? AppSettings->GetSetting(SettingLanguage) : 0;
  const size_t item = stored >= 0 && stored < LanguageCount ? static_cast<size_t>(stored) : 0;
  if (item < popupLanguages_.size()) popupLanguages_[item]->trigger();

  // Title, maximised.
  setWindowTitle(QString::fromLatin1(GetBrandTitle()));
  setWindowState(windowState() | Qt::WindowMaximized);

  // The menu entries placed and centred.
  LayoutMenuLabels();
  CentreMenuLabels();
  // A data folder the program cannot work in is said before anything else (with the title).
  if (!missing.isEmpty()) Message(DataSubfolderErrorText(missing), PromptIcon::Stop);
  // Recordings an earlier run left without a name are kept; the user is told where they are.
  const QString traceFolder = TTraceRecorder::TempFolderFor(DataSubfolder(DataFolder, kFolderAcquisizioni));
  const QStringList unsaved = TTraceRecorder::UnsavedRecordings(traceFolder);
  if (!unsaved.isEmpty()) Message(UnsavedRecordingsText(traceFolder, unsaved), PromptIcon::Warning);
}

void TFormMain::FormShowOnScreen() {
  // The silent connect.
  SkipReadAll = false;
  // Painted once the window system has it on the screen (and has given it the activation it
  // gives a new window), before the splash takes the activation.
  PaintExposed(this);
  // The silent connect reports its progress to the splash: it must be up, painted and the
  // active window before the connect blocks.
  if (TFormSplash* s = Splash()) {
    ShowActive(s);
    s->setFocus();
  }
  Interactive = false;
  QCoreApplication::processEvents();
  ActionConnettiExecute();
  Interactive = true;

  // No ECU found: the user is told.
  if (!LinkOpen()) Message(ConnectionWarningText(), PromptIcon::Stop);

  // Entry 0 highlighted.
  FrecciaTag = 1;
  LabelRiprogrammaMouseMove(LabelConfig);

  // The question shows over the window painted whole, not over what the window system
  // left of it during the connect.
  PaintExposed(this);
  AskFuelType();
  if (splash_) splash_->WaitMinimum(kSplashMinimumMs);
}

void TFormMain::BuildLanguageMenus() {
  delete popupGroup_;
  delete menuGroup_;
  for (QAction* a : popupLanguages_) delete a;
  for (QAction* a : menuLanguages_) delete a;
  popupLanguages_.clear();
  menuLanguages_.clear();
  popupGroup_ = new QActionGroup(this);
  menuGroup_ = new QActionGroup(this);
  auto build = [this](QMenu* menu, QActionGroup* group, const char* prefix, std::vector<QAction*>& items) {
    for (int i = 0; i < LanguageCount; ++i) {
      auto* a = new QAction(LanguageName(i), menu);
      a->setObjectName(QString::fromLatin1(prefix) + QString::number(i));
      a->setCheckable(true);
      a->setData(i);
      group->addAction(a);
      menu->addAction(a);
      connect(a, &QAction::triggered, this, [this, a] { LanguageItemClick(a); });
      items.push_back(a);
    }
  };
  build(FormPopupMenu, popupGroup_, "MenuPopup", popupLanguages_);
  build(MenuSelLingua, menuGroup_, "MenuLingua", menuLanguages_);
}

void TFormMain::contextMenuEvent(QContextMenuEvent* e) {
  if (!popupLanguages_.empty()) FormPopupMenu->popup(e->globalPos());
}

// ---- language and texts ---------------------------------------------------------------------

void TFormMain::LanguageItemClick(QAction* item) {
  const TWaitCursor hourglass;
  const int i = std::max(0, item ? item->data().toInt() : 0);
  if (AppSettings) AppSettings->SetSetting(SettingLanguage, i);
  CurrentLanguage = i;
  if (static_cast<size_t>(i) < popupLanguages_.size()) {
    popupLanguages_[static_cast<size_t>(i)]->setChecked(true);
    menuLanguages_[static_cast<size_t>(i)]->setChecked(true);
  }
  TranslateMainForm();
  CentreMenuLabels();
}

void TFormMain::TranslateMainForm() {
  // The language's numbers, and Qt's own texts (message-box buttons, Qt's dialogs).
  ReadLanguageNumbers();
  InstallQtTranslations();
  // Entry captions.
  TranslateCaption(LabelMenu, 24, 31);
  for (const EntryText& t : kEntryTexts)
    TranslateCaption(MenuLabels[static_cast<size_t>(t.tag)], t.k, t.bufferSize);
  // Menus and actions.
  const std::pair<QObject*, int> captions[] = {
      {MenuFile, 34},          {MenuCpu, 35},           {MenuConfig, 36},
      {MenuSelLingua, 3},      {MenuAbout, 37},         {MenuAiuto, 38},
      {MenuConnetti, 45},      {ActionApri, 40},        {ActionSalva, 41},
      {ActionStampa, 42},      {ActionProgramma, 43},   {ActionEsci, 44},
      {ActionDisconnetti, 46}, {ActionTara, 47},        {ActionResetCpu, 48},
      {ActionVisualizza, 49},  {ActionBloccoNote, 551}, {ActionProgrammaCliente, 552},
  };
  for (const auto& [control, k] : captions) TranslateCaption(control, k);
  // Stored texts.
  for (const StoredText& t : kStoredTexts) {
    QString text;
    if (ReadText(t.k, &text, t.bufferSize)) texts_[t.k] = text;
  }
  // The splash's connection label while it is up.
  if (TFormSplash* s = Splash()) TranslateCaption(s->LabelConnessione, 96);
  // Status bar.
  StatusBarMain->SetText(PanelLink, Text(LinkOpen() ? 53 : 54));
  ShowDescription();
  if (!StatusBarMain->Text(PanelVersion).isEmpty())
    StatusBarMain->SetText(PanelVersion, RelabelVersionText(Text(52), StatusBarMain->Text(PanelVersion)));
  if (!StatusBarMain->Text(PanelFuel).isEmpty()) StatusBarMain->SetText(PanelFuel, FuelName());
  StatusBarMain->repaint();
  for (QLabel* l : MenuLabels) l->adjustSize();
  LabelMenu->adjustSize();
  // The editor's texts.
  if (FormConfig) FormConfig->TranslateConfigForm();
  // The programming-file chooser lives as long as the program too.
  if (FormScarica) FormScarica->Translate();
}

void TFormMain::ShowDescription() {
  const char* description = EcuData ? EcuData->GetDescription() : "";
  StatusBarMain->SetText(PanelDescription,
                         Text(51) + QStringLiteral(": ") + QString::fromLatin1(description));
}

// ---- layout and selection -------------------------------------------------------------------

std::array<bool, TFormMain::MenuCount> TFormMain::VisibleEntries() const {
  std::array<bool, MenuCount> visible{};
  for (size_t i = 0; i < MenuLabels.size(); ++i) visible[i] = !MenuLabels[i]->isHidden();
  return visible;
}

void TFormMain::LayoutMenuLabels() {
  std::array<int, MenuCount> tops{};
  for (size_t i = 0; i < MenuLabels.size(); ++i) tops[i] = MenuLabels[i]->y();
  const int clientHeight = height() - (menuWidget() ? menuWidget()->height() : 0);
  const MenuRows rows = LayoutMenuRows(clientHeight, VisibleEntries(), tops);
  RowHeight = rows.rowHeight;
  FirstRowTop = rows.firstRowTop;
  LabelMenu->move(LabelMenu->x(), rows.titleTop);
  for (size_t i = 0; i < MenuLabels.size(); ++i) MenuLabels[i]->move(MenuLabels[i]->x(), rows.tops[i]);
  if (FrecciaTag >= 0 && FrecciaTag < MenuCount)
    LabelFreccia->move(LabelFreccia->x(), MenuLabels[static_cast<size_t>(FrecciaTag)]->y());
}

void TFormMain::CentreMenuLabels() {
  std::array<int, MenuCount> widths{};
  for (size_t i = 0; i < MenuLabels.size(); ++i) widths[i] = MenuLabels[i]->width();
  const MenuColumns c = CentreMenuColumns(width(), LabelMenu->width(), widths, VisibleEntries());
  LabelMenu->move(c.titleLeft, LabelMenu->y());
  for (QLabel* l : MenuLabels) l->move(c.entryLeft, l->y());
  LabelFreccia->move(c.arrowLeft, LabelFreccia->y());
}

void TFormMain::resizeEvent(QResizeEvent* e) {
  QMainWindow::resizeEvent(e);
  // The window follows its size (maximised later than it was asked, for one).
  if (!shown_) return;
  LayoutMenuLabels();
  CentreMenuLabels();
}

void TFormMain::SelectEntry(int tag, bool selected) {
  if (tag < 0 || tag >= MenuCount) return;
  QLabel* l = MenuLabels[static_cast<size_t>(tag)];
  QFont f = l->font();
  f.setUnderline(selected);
  l->setFont(f);
  SetTextColour(l, selected ? clLime : clWindow);
}

void TFormMain::MoveSelection(int tag) {
  SelectEntry(FrecciaTag, false);
  FrecciaTag = tag;
  SelectEntry(tag, true);
  LabelFreccia->move(LabelFreccia->x(), MenuLabels[static_cast<size_t>(tag)]->y());
}

void TFormMain::LabelRiprogrammaMouseMove(QLabel* sender) {
  const int tag = sender->property("Tag").toInt();
  if (FrecciaTag == tag) return;
  MoveSelection(tag);
}

void TFormMain::LabelRiprogrammaClick(QLabel* sender) {
  const int tag = sender->property("Tag").toInt();
  if (tag >= 0 && tag < MenuCount) MenuActions[static_cast<size_t>(tag)]->trigger();
}

bool TFormMain::eventFilter(QObject* watched, QEvent* e) {
  auto* label = qobject_cast<QLabel*>(watched);
  if (label && label->property("Tag").isValid()) {
    if (e->type() == QEvent::MouseMove || e->type() == QEvent::Enter) {
      LabelRiprogrammaMouseMove(label);
    } else if (e->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton &&
               label->rect().contains(static_cast<QMouseEvent*>(e)->position().toPoint())) {
      LabelRiprogrammaClick(label);
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, e);
}

bool TFormMain::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
  switch (key) {
    case Qt::Key_Down:
    case Qt::Key_Up: {
      const int next = MenuSelectionAfterKey(FrecciaTag, key == Qt::Key_Down, VisibleEntries());
      if (next < 0) return key == Qt::Key_Up && FrecciaTag > 0;
      MoveSelection(next);
      return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (FrecciaTag >= 0 && FrecciaTag < MenuCount) MenuActions[static_cast<size_t>(FrecciaTag)]->trigger();
      return true;
    case Qt::Key_Q:
      if (modifiers & Qt::AltModifier) {
        close();
        return true;
      }
      return false;
    default:
      return false;
  }
}

void TFormMain::keyPressEvent(QKeyEvent* e) {
  if (FormKeyDown(e->key(), e->modifiers())) return;
  QMainWindow::keyPressEvent(e);
}

// ---- status bar and messages ----------------------------------------------------------------

void TFormMain::StatusBarMainDrawPanel(QPainter& canvas, int panel, const QRect& rect) {
  if (panel != PanelLink) return;
  canvas.setFont(StatusBarMain->font());
  if (!LinkOpen()) canvas.fillRect(rect, WinColor(clYellow));
  const int fontHeight = canvas.fontMetrics().height();
  const int top = rect.top() + (rect.height() - fontHeight) / 2 - 1;
  canvas.drawText(QPoint(rect.left() + 1, top + canvas.fontMetrics().ascent()),
                  StatusBarMain->Text(PanelLink));
}

void TFormMain::SetLinkState(bool open) {
  ActionConnetti->setEnabled(!open);
  MenuConnetti->setEnabled(!open);
  ActionDisconnetti->setEnabled(open);
  ActionResetCpu->setEnabled(open);
}

void TFormMain::OnEcuChanged(int change) {
  switch (change) {
    case EcuLinkClosed:
      StatusBarMain->SetText(PanelLink, Text(54));
      StatusBarMain->SetText(PanelVersion, QString());
      SetLinkState(false);
      break;
    case EcuLinkOpened:
      StatusBarMain->SetText(PanelLink, Text(53));
      SetLinkState(true);
      ShowDescription();
      if (!StatusBarMain->Text(PanelVersion).isEmpty())
        StatusBarMain->SetText(PanelVersion, RelabelVersionText(Text(52), StatusBarMain->Text(PanelVersion)));
      StatusBarMain->SetText(PanelFuel, FuelName());
      break;
    case EcuDescriptionChanged:
      ShowDescription();
      StatusBarMain->repaint();
      break;
    case EcuReconnect:
      SkipReadAll = true;
      ActionConnettiExecute();
      AskFuelType();
      SkipReadAll = false;
      break;
    case EcuSaveRequest:
      ActionSalva->trigger();
      break;
    case EcuFuelChanged:
      StatusBarMain->SetText(PanelFuel, FuelName());
      StatusBarMain->repaint();
      break;
    default:
      break;
  }
  MenuRileggi->setEnabled(ActionDisconnetti->isEnabled());
  repaint();
}

void TFormMain::customEvent(QEvent* e) {
  if (const PrivateMessageEvent* m = AsPrivateMessage(e, WM_ECUCHANGED)) {
    OnEcuChanged(static_cast<int>(m->LParam()));
    return;
  }
  QMainWindow::customEvent(e);
}

// ---- small handlers -------------------------------------------------------------------------

void TFormMain::MenuAboutClick() {
  TAboutBox about(this);
  about.setWindowTitle(windowTitle());
  about.ProductName->setText(windowTitle());
  // The program's file version, as the build stamps it.
  const QString version = QStringLiteral(ECU_PROGRAM_VERSION);
  about.Version->setText(Text(64) + QStringLiteral(" ") +
                         (version.isEmpty() ? QStringLiteral("not available") : version));
  about.ShowModal();
}

void TFormMain::ActionConfExecute() {
  if (FormConfig) FormConfig->exec();
}

void TFormMain::ActionVisualizzaExecute() {
  TFormVisualizza form(this);
  form.ShowModal();
}

void TFormMain::ActionDiagnosiExecute() {
  TFormDiagnosi form(this);
  form.ShowModal();
}

// ActionTaraExecute: MainTara.cpp.

// ---- configuration actions: the window's dialogs and data folder ----------------------------

PromptButton TFormMain::AskSaveChanges() {
  return static_cast<PromptButton>(::AskSaveChanges(this, SaveDialog1));
}

void TFormMain::AskFuelType() { ::AskFuelType(this); }

void TFormMain::ActionApriExecute() { ExecuteApri(this, OpenDialog1, SaveDialog1, DataFolder); }

void TFormMain::ActionSalvaExecute() { ExecuteSalva(this, SaveDialog1); }

void TFormMain::ActionSalvaConfExecute() { ExecuteSalvaConf(this, DataFolder); }

void TFormMain::ActionApriConfExecute() { ExecuteApriConf(this, DataFolder); }

void TFormMain::ActionBloccoNoteExecute() { ExecuteBloccoNote(this, OpenDialog1, DataFolder); }

void TFormMain::MenuConnettiClick() {
  ActionConnettiExecute();
  AskFuelType();
}

void TFormMain::ActionEsciExecute() { close(); }

bool TFormMain::FormCloseQuery() { return AskSaveChanges() != PromptCancel; }

void TFormMain::FormClose() {
  if (LinkOpen()) ActionDisconnettiExecute();
}

void TFormMain::closeEvent(QCloseEvent* e) {
  if (!FormCloseQuery()) {
    e->ignore();
    return;
  }
  FormClose();
  e->accept();
}
