#pragma once
// The program's main window: a title and eight large entries that start the main operations,
// the menu bar with the language menu (also the window's pop-up menu), and a four-panel status
// bar (link state, configuration description, ECU software version, fuel). It shows the splash
// from construction to the first idle moment, connects silently on its first show and follows
// WM_ECUCHANGED from the data set, the file dialog and the serial library.
//
// The code is split by subject: Main.cpp (window, texts, menus, selection, messages),
// MainConnect.cpp (connect, disconnect, reset, customer), MainProgram.cpp (ECU programming),
// MainTara.cpp (the calibration entry with its base calibration);
// the configuration actions (open, save, ask to save, fuel type, plain copy in the text editor)
// are those of ConfigActions.h, run with the window's own file dialogs and data folder.
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>
#include <map>
#include <memory>

#include "FileDialog.h"
#include "FormSplash.h"
#include "MainLayout.h"
#include "Prompt.h"

class QAction;
class QActionGroup;
class QDialog;
class QLabel;
class QMenu;
class QPainter;
class TFormAttesa;
class TStatusBarPanels;

class TFormMain : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr int MenuCount = kMenuCount;
  // Status panels.
  static constexpr int PanelLink = 0;
  static constexpr int PanelDescription = 1;
  static constexpr int PanelVersion = 2;
  static constexpr int PanelFuel = 3;

  // dataFolder empty: the current directory (the data folder of the program's start).
  explicit TFormMain(QWidget* owner = nullptr, const QString& dataFolder = QString());
  ~TFormMain() override;

  // ---- controls -----------------------------------------------------------------------------
  QLabel* LabelMenu = nullptr;
  QLabel* LabelConfig = nullptr;       // Tag 0
  QLabel* LabelVisualizza = nullptr;   // Tag 1
  QLabel* LabelTaratura = nullptr;     // Tag 2
  QLabel* LabelDiagnosi = nullptr;     // Tag 3
  QLabel* LabelSalva = nullptr;        // Tag 4
  QLabel* LabelCarica = nullptr;       // Tag 5
  QLabel* LabelRiprogramma = nullptr;  // Tag 6
  QLabel* LabelTermina = nullptr;      // Tag 7
  QLabel* LabelFreccia = nullptr;      // the selection arrow; FrecciaTag is its Tag
  TStatusBarPanels* StatusBarMain = nullptr;

  QMenu* MenuFile = nullptr;
  QMenu* MenuStrumenti = nullptr;
  QMenu* MenuCpu = nullptr;
  QMenu* MenuConfig = nullptr;
  QMenu* MenuSelLingua = nullptr;
  QMenu* MenuAiuto = nullptr;
  QMenu* FormPopupMenu = nullptr;
  QAction* MenuConnetti = nullptr;
  QAction* MenuRileggi = nullptr;
  QAction* MenuComPort = nullptr;
  QAction* MenuAbout = nullptr;
  QAction* N4 = nullptr;

  QAction* ActionVisualizza = nullptr;
  QAction* ActionConf = nullptr;
  QAction* ActionDiagnosi = nullptr;
  QAction* ActionEsci = nullptr;
  QAction* ActionApri = nullptr;
  QAction* ActionSalva = nullptr;
  QAction* ActionStampa = nullptr;
  QAction* ActionConnetti = nullptr;
  QAction* ActionDisconnetti = nullptr;
  QAction* ActionProgramma = nullptr;
  QAction* ActionCreaDischi = nullptr;
  QAction* ActionBloccoNote = nullptr;
  QAction* ActionSalvaConf = nullptr;
  QAction* ActionApriConf = nullptr;
  QAction* ActionProgrammaCliente = nullptr;
  QAction* ActionTara = nullptr;
  QAction* ActionResetCpu = nullptr;

  TFileDialog SaveDialog1{true};
  TFileDialog OpenDialog1;

  // ---- fields -------------------------------------------------------------------------------
  std::array<QLabel*, MenuCount> MenuLabels{};
  std::array<QAction*, MenuCount> MenuActions{};
  int FrecciaTag = 0;  // index of the selected entry
  int RowHeight = 0;
  int FirstRowTop = 0;
  QString DataFolder;
  // Messages and wait windows of the connect action show only while set; clear during the
  // silent connect of the first show.
  bool Interactive = true;
  // While set the connect action does not read the ECU's parameters (the reconnect that the
  // serial library asks for).
  bool SkipReadAll = false;
  uint32_t SplashTick() const { return splash_ ? splash_->SplashTick() : 0; }
  // The splash window while it is up, else null.
  TFormSplash* Splash() const { return splash_ && splash_->IsUp() ? splash_->Splash() : nullptr; }

  // Stored text k (Italian by default), as TranslateMainForm last loaded it.
  QString Text(int k) const;
  // The text of the connection warning (texts 58 to 60).
  QString ConnectionWarningText() const;

  // ---- window (Main.cpp) ---------------------------------------------------------------------
  // First show, steps 1 to 6: scaled, laid out and maximised before the window system shows it.
  void FormShow();
  // Steps 7 to 11, once the window is on the screen (its show event comes before that), so that
  // what they paint and ask shows over the window itself.
  void FormShowOnScreen();
  void LanguageItemClick(QAction* item);
  void TranslateMainForm();
  void LayoutMenuLabels();
  void CentreMenuLabels();
  // True when the key was handled (and is swallowed).
  bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
  void LabelRiprogrammaClick(QLabel* sender);
  void LabelRiprogrammaMouseMove(QLabel* sender);
  void StatusBarMainDrawPanel(QPainter& canvas, int panel, const QRect& rect);
  void OnEcuChanged(int change);
  void MenuAboutClick();
  void ActionConfExecute();
  void MenuConnettiClick();
  void ActionEsciExecute();
  void ToolBarLingueDblClick() {}
  // The language items of the pop-up menu and of the language menu, by Tag.
  const std::vector<QAction*>& PopupLanguageItems() const { return popupLanguages_; }
  const std::vector<QAction*>& MenuLanguageItems() const { return menuLanguages_; }
  // The fuel name of the data set's fuel flag (text 414 CNG, 413 LPG).
  QString FuelName() const;
  // Tests set the screen width the first show scales by (0: the window's screen).
  void SetScreenWidth(int width) { screenWidth_ = width; }
  int ScreenWidth() const;
  // Close query: false (the close refused) only when asking to save was cancelled.
  bool FormCloseQuery();
  // Close handler: disconnects an open link.
  void FormClose();

  // ---- connect, disconnect, reset, customer (MainConnect.cpp) -------------------------------
  void ActionConnettiExecute();
  void ActionDisconnettiExecute();
  void ActionResetCpuExecute();
  void ActionProgrammaClienteExecute();
  bool CheckEcuCustomer();
  bool CheckEcuVersion();

  // ---- ECU programming (MainProgram.cpp) ------------------------------------------------------
  void ActionProgrammaExecute();

  // ---- configuration actions (ConfigActions.h) -------------------------------------------------
  // Yes (after saving), No or Cancel.
  PromptButton AskSaveChanges();
  void AskFuelType();
  void ActionApriExecute();
  void ActionSalvaExecute();
  void ActionSalvaConfExecute();
  void ActionApriConfExecute();
  void ActionBloccoNoteExecute();

  // ---- the windows of the editor and the tools ------------------------------------------------
  void ActionVisualizzaExecute();
  void ActionDiagnosiExecute();
  void ActionTaraExecute();

  // Message box with the window's caption; while the splash is up it goes first, so that no
  // message opens under it.
  int Message(const QString& text, PromptIcon icon, int buttons = PromptOk);

  // The first show: FormShow, the window shown, then FormShowOnScreen.
  void setVisible(bool visible) override;

 protected:
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void customEvent(QEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void BuildEntries();
  void BuildMenus();
  void BuildStatusBar();
  void LoadStoredTexts();
  void BuildLanguageMenus();
  void ScaleToScreenWidth(int screenWidth);
  void SelectEntry(int tag, bool selected);
  void MoveSelection(int tag);
  std::array<bool, MenuCount> VisibleEntries() const;
  void SetLinkState(bool open);
  void ShowDescription();
  // The wait window of the connect action (only while Interactive).
  std::unique_ptr<TFormAttesa> CreateWaitWindow(int caption, int message, const QString& suffix);
  // How the connect's link work ended; ActionConnettiExecute says what it means.
  enum class ConnectOutcome {
    Connected,
    LineNotOpened,
    NotIdentified,
    OtherCustomer,
    UnknownFirmware,
    ReadCutShort
  };
  // Opens the line, identifies and checks the ECU and reads it, under the start-up cursor
  // and (when Interactive) the wait window; both are gone when it returns.
  ConnectOutcome ConnectPass();
  // ECU programming, after the file was chosen and the boot loader checked: programs the ECU
  // and writes the configuration back, under the wait window and the hourglass, both gone when
  // it returns. ImageUnreadable comes with *why (empty when the file could not be read at all).
  enum class ProgramOutcome { Restored, ImageUnreadable, ProgramFailed, NotRestored };
  ProgramOutcome ProgramPass(const QString& file, bool fromImage, QString* why);
  // A file that cannot hold an image by its size is refused before it is read, with *why
  // naming the file and the reason.
  bool LoadProgramImage(const QString& file, std::vector<uint8_t>* image, QString* why);
  bool RestoreConfiguration(TFormAttesa& wait);

  std::unique_ptr<TStartupSplash> splash_;
  std::map<int, QString> texts_;
  std::vector<QAction*> popupLanguages_;
  std::vector<QAction*> menuLanguages_;
  QActionGroup* popupGroup_ = nullptr;
  QActionGroup* menuGroup_ = nullptr;
  QWidget* central_ = nullptr;
  int screenWidth_ = 0;
  bool shown_ = false;
};

extern TFormMain* FormMain;
