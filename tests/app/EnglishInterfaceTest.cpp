// The English interface: every window and every page of the configuration editor, walked in
// Italian and then in English, must show no text in English that it showed in Italian, unless
// the text is the same in both languages (numbers, units, proper names).
#include <QAbstractAxis>
#include <QAbstractButton>
#include <QAbstractSeries>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSet>
#include <QTableWidget>
#include <QTreeWidget>
#include <functional>
#include <map>
#include <utility>

#include "AboutBox.h"
#include "AcquisitionStore.h"
#include "Calibra.h"
#include "CentriCelle.h"
#include "CentriCelleArr.h"
#include "Cilindrata.h"
#include "Config.h"
#include "ConfigActions.h"
#include "ConfigFileFormat.h"
#include "DataFolders.h"
#include "Datimappati.h"
#include "Diagnosi.h"
#include "File.h"
#include "FormCliente.h"
#include "FormSplash.h"
#include "FunctionKeyTabStrip.h"
#include "Grafico.h"
#include "Graficodrt.h"
#include "KeyComboBox.h"
#include "Language.h"
#include "LanguageExports.h"
#include "LanguageFixture.h"
#include "LinkPassText.h"
#include "MainFixture.h"
#include "Modmappa.h"
#include "Ordina.h"
#include "PageCambio.h"
#include "Paradatta.h"
#include "Paradattaecu.h"
#include "TestPaths.h"
#include "Tracce.h"
#include "TraceRecorder.h"
#include "visualizza.h"

namespace {

// Texts that are the same in Italian and English without being in both tables: units, proper
// names (sensors, the maker, the mono-fuel mode), the names of the parameters of the
// adaptivity calculation.
const char* const kSameInBothLanguages[] = {
    "rpm x 1000", "- OK",    "File:",   "Turbo",     "Custom",    "SNR410",    "SNR520",
    "Monofuel",   "Delta X", "Delta Y", "NumCellXS", "NumCellYS", "NumCellXD", "NumCellYD",
};

// Design texts the program keeps in every language: the pressure page's caption and two
// ignition kinds.
const char* const kKeptInEveryLanguage[] = {"Pressione", "Bibobina", "Monobobina"};

QString Normal(QString text) {
  text.remove(QLatin1Char('&'));
  return text.simplified();
}

struct Seen {
  QString where;
  QString text;
};

// The Alt letter of a text: the character after a single '&', lower case; none without one.
QChar AltLetter(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != QLatin1Char('&')) continue;
    if (text[i + 1] != QLatin1Char('&')) return text[i + 1].toLower();
    ++i;  // "&&" is a plain '&'
  }
  return {};
}

// Texts of one window that share their letter as the program's own table gives them both: the
// points window's sort button and its OK (texts 438 and 103).
const std::pair<const char*, const char*> kGivenSharedLetters[] = {{"&Ordina", "&OK"}};

bool GivenShared(const QString& a, const QString& b) {
  for (const auto& [x, y] : kGivenSharedLetters)
    if ((a == QLatin1String(x) && b == QLatin1String(y)) || (a == QLatin1String(y) && b == QLatin1String(x)))
      return true;
  return false;
}

// Items of one menu, or buttons of one window, that share their Alt letter.
class AltLetters {
 public:
  explicit AltLetters(QString where) : where_(std::move(where)) {}
  void Add(const QString& text) {
    const QChar letter = AltLetter(text);
    if (letter.isNull()) return;
    auto [at, added] = first_.emplace(letter, text);
    if (!added && at->second != text && !GivenShared(at->second, text))
      clashes << QStringLiteral("%1: \"%2\" and \"%3\" share Alt+%4").arg(where_, at->second, text, letter);
  }
  QStringList clashes;

 private:
  QString where_;
  std::map<QChar, QString> first_;
};

class TextWalk {
 public:
  std::vector<Seen> seen;
  QStringList clashes;  // what AltLetters found in every menu and window walked

  void Add(const QString& where, const QString& text) {
    const QString n = Normal(text);
    if (!n.isEmpty()) seen.push_back({where, n});
  }

  void Menu(const QString& where, QMenu* menu) {
    Add(where, menu->title());
    AltLetters letters(where);
    for (QAction* a : menu->actions()) {
      if (!a->isVisible() || a->isSeparator()) continue;
      letters.Add(a->text());
      if (a->menu())
        Menu(where + QLatin1Char('/') + a->menu()->objectName(), a->menu());
      else
        Add(where + QLatin1Char('/') + a->objectName(), a->text());
    }
    clashes << letters.clashes;
  }

  // The texts a user can see in a window: its title, its menus, and every visible control.
  void Window(QWidget* window) {
    const QString name = window->objectName();
    Add(name, window->windowTitle());
    for (QMenuBar* bar : window->findChildren<QMenuBar*>()) {
      AltLetters titles(name + QStringLiteral("/menu bar"));
      for (QAction* a : bar->actions()) {
        if (!a->isVisible()) continue;
        titles.Add(a->text());
        if (a->menu()) Menu(name + QLatin1Char('/') + a->menu()->objectName(), a->menu());
      }
      clashes << titles.clashes;
    }
    AltLetters buttons(name + QStringLiteral("/buttons"));
    for (QMenu* menu : window->findChildren<QMenu*>())
      if (menu->parent() && !qobject_cast<QMenuBar*>(menu->parent()) && !qobject_cast<QMenu*>(menu->parent()))
        Menu(name + QLatin1Char('/') + menu->objectName(), menu);
    for (QWidget* w : window->findChildren<QWidget*>()) {
      if (!w->isVisibleTo(window)) continue;
      const QString where = name + QLatin1Char('/') + w->objectName();
      if (auto* l = qobject_cast<QLabel*>(w)) Add(where, l->text());
      if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        Add(where, b->text());
        buttons.Add(b->text());
      }
      if (auto* g = qobject_cast<QGroupBox*>(w)) Add(where, g->title());
      if (auto* e = qobject_cast<QLineEdit*>(w)) Add(where, e->text());
      if (auto* c = qobject_cast<QComboBox*>(w))
        for (int i = 0; i < c->count(); ++i) Add(where, c->itemText(i));
      if (auto* h = qobject_cast<QHeaderView*>(w))
        if (h->model())
          for (int i = 0; i < h->count(); ++i)
            Add(where, h->model()->headerData(i, h->orientation()).toString());
      if (auto* t = qobject_cast<TFunctionKeyTabStrip*>(w))
        for (int p = 0; p < t->PageCount(); ++p)
          if (t->IsPageVisible(p)) Add(where, t->Caption(p));
      if (auto* v = qobject_cast<QChartView*>(w)) {
        Add(where, v->chart()->title());
        for (QAbstractAxis* a : v->chart()->axes()) Add(where, a->titleText());
        for (QAbstractSeries* s : v->chart()->series()) Add(where, s->name());
      }
    }
    clashes << buttons.clashes;
  }
};

}  // namespace

class EnglishInterfaceTest : public LanguageFixture {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(LoadLanguages());
    ASSERT_EQ(LanguageCount, 2);
  }

  // Walks the main window, the editor's pages and every other window in the current language.
  TextWalk Walk() {
    TextWalk walk;
    TFormMain& w = Main();
    walk.Window(&w);
    for (int i = 0; i < w.StatusBarMain->PanelCount(); ++i)
      walk.Add(QStringLiteral("StatusBarMain"), w.StatusBarMain->Text(i));

    config_->show();
    config_->StopLiveTimer();
    for (int p = 0; p < kConfigPageCount; ++p) {
      const auto id = static_cast<ConfigPageId>(p);
      if (!config_->IsPageVisible(id)) continue;
      config_->SetActivePage(id);
      walk.Window(config_.get());
    }
    config_->hide();

    Windows(walk);
    walk.clashes.removeDuplicates();
    return walk;
  }

  // The windows the program creates where it opens them, each made in the current language.
  void Windows(TextWalk& walk) {
    QFile trace(dir.filePath(QStringLiteral("trace.txt")));
    if (!trace.exists() && trace.open(QIODevice::WriteOnly)) {
      trace.write(TTraceRecorder::HeaderLines(1, QStringLiteral("1 gennaio 2024 08:30:00")));
      trace.write(TTraceRecorder::RecordLine(0, TTraceRecord{}, 1));
      trace.close();
    }
    QWidget* owner = config_.get();
    bool found = false;
    const std::function<QWidget*()> makers[] = {
        [&] { return new TFormVisualizza(owner); },
        [&] { return new TFormDiagnosi(owner); },
        [&] { return new TFormCalibra(owner); },
        [&] { return new TFormCilindrata(owner, false); },
        [&] { return new TFormCilindrata(owner, true); },
        [&] { return new TFormGrafico(owner, false); },
        [&] { return new TFormGrafico(owner, true); },
        [&] { return new TFormGraficoDrt(owner, trace.fileName()); },
        [&] { return new TFormDatiMappati(owner, &dati_); },
        [&] { return new TFormOrdina(owner); },
        [&] { return new TFormParAdatta(owner); },
        [&] { return new TFormParAdattaEcu(owner); },
        [&] { return new TFormCentriCelle(owner); },
        [&] { return new TFormCentriCelleArr(owner); },
        [&] { return new TFormGestioneTracce(owner); },
        [&] { return new TFormFile(owner, nullptr, TFormFile::ModeSave, dir.path()); },
        [&] { return new TFormFile(owner, &found, TFormFile::ModeLoad, dir.path()); },
        [&] { return new TFormScarica(owner); },
        [&] { return new TFormCliente(owner); },
        // The wait and notice windows show only the caption and message their callers give
        // them; the about box is filled as the main window fills it.
        [&] {
          auto* about = new TAboutBox(owner);
          about->setWindowTitle(QString::fromLatin1(GetBrandTitle()));
          about->ProductName->setText(QString::fromLatin1(GetBrandTitle()));
          about->Version->setText(Tr(64) + QStringLiteral(" 0.1.0.0"));
          return about;
        },
    };
    for (const auto& make : makers) {
      std::unique_ptr<QWidget> window(make());
      window->setAttribute(Qt::WA_DontShowOnScreen);
      window->show();
      walk.Window(window.get());
    }
    walk.Window(config_->FormModMappa());
  }
};

TEST_F(EnglishInterfaceTest, NoWindowShowsAnItalianTextInEnglish) {
  settings->SetSetting(SettingLanguage, 0);
  config_ = std::make_unique<TFormConfig>(nullptr);
  FormConfig = config_.get();
  Shown();
  ASSERT_EQ(CurrentLanguage, 0);
  QSet<QString> italian;
  for (const Seen& s : Walk().seen) italian.insert(s.text);

  // Texts both tables give for the same number are the same in both languages, and so are the
  // product title, the customers' names and each language's own name in the language menu.
  QSet<QString> same{Normal(QString::fromLatin1(GetBrandTitle())), Normal(LanguageName(0)),
                     Normal(LanguageName(1))};
  for (int i = 0; i < kBrandLabelSlots; ++i) same.insert(Normal(QString::fromLatin1(GetBrandLabel(i))));
  for (const char* t : kSameInBothLanguages) same.insert(QString::fromUtf8(t));
  for (const char* t : kKeptInEveryLanguage) same.insert(QString::fromUtf8(t));
  for (int k = 0; k < kOwnTextCount; ++k) {
    QString it, en;
    if (!LoadLanguageString(LanguageTextId(0, k), &it)) continue;
    italian.insert(Normal(it));
    if (LoadLanguageString(LanguageTextId(1, k), &en) && Normal(en) == Normal(it)) same.insert(Normal(it));
  }

  // The language changes at run time, as from the language menu.
  Main().MenuLanguageItems()[1]->trigger();
  ASSERT_EQ(CurrentLanguage, 1);
  // Numbers and single letters (injector wires, gauge marks) are no words of either language.
  static const QRegularExpression noWord(
      QStringLiteral("^[^A-Za-zÀ-ÿ]*([A-Za-zÀ-ÿ][^A-Za-zÀ-ÿ]+)*[A-Za-zÀ-ÿ]?$"));
  QStringList italianLeft;
  for (const Seen& s : Walk().seen)
    if (italian.contains(s.text) && !same.contains(s.text) && !noWord.match(s.text).hasMatch())
      italianLeft << s.where + QStringLiteral(": \"") + s.text + QLatin1Char('"');
  italianLeft.removeDuplicates();
  EXPECT_TRUE(italianLeft.isEmpty()) << italianLeft.size() << " Italian texts in English:\n"
                                     << italianLeft.join(QLatin1Char('\n')).toStdString();
}

// No two items of one menu (menu bars, pop-up menus, their submenus) and no two buttons a window
// shows at one time share their Alt letter, in Italian and in English; the language changes at
// run time, as from the language menu.
TEST_F(EnglishInterfaceTest, NoTwoItemsShareAnAltLetter) {
  settings->SetSetting(SettingLanguage, 0);
  config_ = std::make_unique<TFormConfig>(nullptr);
  FormConfig = config_.get();
  Shown();
  for (int language : {0, 1}) {
    SCOPED_TRACE(language);
    if (language != CurrentLanguage) Main().MenuLanguageItems()[language]->trigger();
    ASSERT_EQ(CurrentLanguage, language);
    const QStringList clashes = Walk().clashes;
    EXPECT_TRUE(clashes.isEmpty()) << clashes.size() << " clashes:\n"
                                   << clashes.join(QLatin1Char('\n')).toStdString();
  }
}

// The pressure page keeps its caption and the ignition list its last two kinds in English, while
// the texts around them change.
TEST_F(EnglishInterfaceTest, DesignTextsKeptInEveryLanguage) {
  settings->SetSetting(SettingLanguage, 1);
  config_ = std::make_unique<TFormConfig>(nullptr);
  FormConfig = config_.get();
  Shown();
  ASSERT_EQ(CurrentLanguage, 1);
  EXPECT_EQ(config_->PageControl()->Caption(TabPressione), QStringLiteral("Pressione"));
  EXPECT_EQ(config_->PageControl()->Caption(TabCambio), Tr(111));
  const TKeyComboBox* ignition = static_cast<TPageCambio*>(config_->Page(TabCambio))->ComboAccensione;
  ASSERT_EQ(ignition->count(), 7);
  EXPECT_EQ(ignition->itemText(0), Tr(158));
  EXPECT_NE(ignition->itemText(0), QStringLiteral("3 Cilindri"));
  EXPECT_EQ(ignition->itemText(5), QStringLiteral("Bibobina"));
  EXPECT_EQ(ignition->itemText(6), QStringLiteral("Monobobina"));
}

// The program's own messages (a link pass cut short, no text editor, data folders that cannot
// be made, a recording that cannot start, a trace that cannot be opened) and the petrol lamp of
// the dashboard read in English: no line of the Italian message is left in the English one.
TEST_F(EnglishInterfaceTest, MessagesAndLampFollowTheLanguage) {
  ASSERT_EQ(CurrentLanguage, 0);
  config_ = std::make_unique<TFormConfig>(nullptr);
  FormConfig = config_.get();
  const QString missing = dir.filePath(QStringLiteral("missing/folder"));
  // A folder no recording can be made in: its parent is a file.
  QFile blocker(dir.filePath(QStringLiteral("blocker")));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  const QString unmakeable = dir.filePath(QStringLiteral("blocker/folder"));
  // The last message box the action showed.
  const auto shown = [&](const std::function<void()>& action) {
    const size_t before = prompts.Shown().size();
    action();
    return prompts.Shown().size() > before ? prompts.Shown().back().text : QString();
  };
  // Files a load or a plain copy refuses for their size, and a notice of unsaved recordings.
  const QString huge = dir.filePath(QStringLiteral("huge.trm"));
  const QString nearLimit = dir.filePath(QStringLiteral("near.trm"));
  {
    QFile big(huge), near(nearLimit);
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && near.open(QIODevice::WriteOnly));
    big.write(QByteArray(kMaxConfigFileSize + 1, 'x'));
    near.write("DECRYPTED_DOZA_FILE\n" + QByteArray("[Generale]\nCilindrata=1\n").repeated(42000));
  }
  const QByteArray hugeName = QFile::encodeName(huge), nearName = QFile::encodeName(nearLimit);
  const QByteArray copyName = QFile::encodeName(dir.filePath(QStringLiteral("copy.trm")));
  QStringList recordings;
  for (int n = 0; n < 8; ++n) recordings << dir.filePath(QStringLiteral("Temporanee/__acqtmp%1.txt").arg(n));
  ConfigFileRefusal refused;
  refused.section = "MappaCarburazione";
  refused.key = "Mappa5_6";
  refused.value = "1000000";
  refused.lo = 0;
  refused.hi = 65535;
  const std::pair<const char*, std::function<QString()>> messages[] = {
      {"value beyond the ECU's",
       [&] {
         refused.reason = ConfigFileRefusal::Reason::OutOfRange;
         return FileRefusalText(refused);
       }},
      {"value not a number",
       [&] {
         refused.reason = ConfigFileRefusal::Reason::NotANumber;
         return FileRefusalText(refused);
       }},
      {"no configuration",
       [] {
         ConfigFileRefusal none;
         none.reason = ConfigFileRefusal::Reason::NoConfiguration;
         return FileRefusalText(none);
       }},
      {"too large to copy",
       [&] {
         EcuData->ConvertConfigFile(hugeName.constData(), copyName.constData(), kConfigUnscramble, true);
         return OversizedFileText();
       }},
      {"too large once written back",
       [&] {
         EcuData->LoadConfiguration(nearName.constData());
         return OversizedFileText();
       }},
      {"unsaved recordings",
       [&] { return UnsavedRecordingsText(dir.filePath(QStringLiteral("Temporanee")), recordings); }},
      {"read cut short",
       [] { return PassFailureText(LinkTransfer::PassOutcome::LinkLost, PassAction::Read); }},
      {"load refused", [] { return PassFailureText(LinkTransfer::PassOutcome::Refused, PassAction::Load); }},
      {"base map lost",
       [] { return PassFailureText(LinkTransfer::PassOutcome::LinkLost, PassAction::BaseCalibration); }},
      {"maps lost", [] { return PassFailureText(LinkTransfer::PassOutcome::LinkLost, PassAction::Maps); }},
      {"restore lost",
       [] { return PassFailureText(LinkTransfer::PassOutcome::LinkLost, PassAction::Restore); }},
      {"no editor", [&] { return NoTextEditorText(dir.filePath(QStringLiteral("Dec1.cfg"))); }},
      {"one folder", [&] { return DataSubfolderErrorText({missing}); }},
      {"two folders",
       [&] {
         return DataSubfolderErrorText({missing, missing});
       }},
      {"recording",
       [&] {
         return shown([&] {
           config_->SetAcquisitionFolder(unmakeable);
           config_->MenuCominciaDrtClick();
         });
       }},
      {"trace", [&] { return shown([&] { TFormGraficoDrt chart(nullptr, dir.path()); }); }},
  };
  std::vector<QString> italian;
  for (const auto& [name, message] : messages) italian.push_back(message());
  const auto lamp = [&] {
    TFormVisualizza dashboard(nullptr);
    return dashboard.ImageBenzOn->pixmap().toImage();
  };
  const QImage italianLamp = lamp();

  CurrentLanguage = 1;
  // The file names in the messages are the same in both languages.
  const auto words = [&](QString text) {
    for (const QString& path : recordings) text.remove(QFileInfo(path).fileName());
    for (const QString& path : {missing, unmakeable, dir.filePath(QStringLiteral("Dec1.cfg")), huge,
                                nearLimit, dir.filePath(QStringLiteral("Temporanee")), dir.path()})
      text.remove(QDir::toNativeSeparators(path));
    return text;
  };
  size_t i = 0;
  for (const auto& [name, message] : messages) {
    const QString english = words(message());
    ASSERT_FALSE(italian[i].isEmpty()) << name;
    for (const QString& line : words(italian[i++]).split(QLatin1Char('\n'))) {
      if (!line.trimmed().isEmpty()) {
        EXPECT_FALSE(english.contains(line)) << name << ": \"" << line.toStdString() << "\" in English";
      }
    }
    EXPECT_FALSE(english.trimmed().isEmpty()) << name;
  }
  EXPECT_NE(lamp(), italianLamp);
}
