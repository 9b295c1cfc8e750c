#include <gtest/gtest.h>

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

#include "Language.h"
#include "LanguageExports.h"
#include "TestPaths.h"

namespace {

// Every test starts and ends with no library loaded and language 0.
class LanguageTest : public ::testing::Test {
 protected:
  void SetUp() override { FreeLanguageLibrary(); }
  void TearDown() override {
    FreeLanguageLibrary();
    qunsetenv("FAKE_LANGUAGE_COUNT");
    qunsetenv("FAKE_TEXT_COUNT");
  }
};

}  // namespace

TEST_F(LanguageTest, OwnTableHoldsTheQuotedTexts) {
  struct Case {
    int k;
    const char* text;
  };
  const Case cases[] = {
      {0, "&Italiano"},
      {1, "0"},
      {2, "1252"},
      {24, "MENU' PRINCIPALE"},
      {54, "Centralina non connessa"},
      {58, "ATTENZIONE: non è stata rilevata la connessione con la centralina"},
      {64, "Versione"},
      {73, "Completato"},
      {96, "Connessione in corso..."},
      {107, "Attensione: i riferimenti VARIAZIONE TPS non sono corretti!"},
      {145, "°C"},
      {274, "N° bancata"},
      {363, "Il file esiste già. Vuoi sovrascriverlo?"},
      {399, "Portare il motore a circa %n giri"},
      {432, "Procedendo i dati acquisiti verranno persi. Continuare ? "},
      {460, "Acquisisci &valore istantaneo  (Space)"},
      {531,
       "Impossibile scaricare i dati di configurazione |precedentemente memorizzati. "
       "Riprovare ?"},
      {532, "Scrittura dati di configurazione in corso..."},
      {538, "Cicchetto all'avviamento per temperatura"},
  };
  for (const auto& c : cases) EXPECT_EQ(OwnText(c.k), QString::fromUtf8(c.text)) << c.k;
  // Numbers without a known text, and numbers outside the table, have none.
  EXPECT_TRUE(OwnText(5).isEmpty());
  EXPECT_TRUE(OwnText(kOwnTextCount).isEmpty());
  EXPECT_TRUE(OwnText(-1).isEmpty());
}

TEST_F(LanguageTest, WithoutLibraryTheOwnTableServesLanguageZero) {
  EXPECT_FALSE(LoadLanguageLibrary(BuiltLibrary("NoSuchLanguages")));
  EXPECT_EQ(LanguageModule, nullptr);
  EXPECT_EQ(LanguageCount, 1);
  EXPECT_EQ(TextsPerLanguage, 1);
  EXPECT_EQ(Tr(55), QStringLiteral("Impossibile connettersi"));
  EXPECT_EQ(LanguageName(0), QStringLiteral("&Italiano"));
  // A text is cut to the buffer size less one.
  EXPECT_EQ(Tr(56, 12), QStringLiteral("Errore nell"));
  QString kept = QStringLiteral("design");
  EXPECT_FALSE(ReadText(5, &kept));
  EXPECT_EQ(kept, QStringLiteral("design"));
  EXPECT_FALSE(ReadText(55, &kept, 1));  // no room for a single character
  EXPECT_EQ(LanguageFromSetting(1), 0);
  ReadLanguageNumbers();
  EXPECT_EQ(LanguageCodePage, 1252);
  EXPECT_EQ(LanguageCharset, 0);
}

TEST_F(LanguageTest, LibraryHoldsItalianAndEnglish) {
  ASSERT_TRUE(LoadLanguageLibrary(BuiltLibrary("Languages")));
  EXPECT_EQ(LanguageCount, 2);
  EXPECT_EQ(TextsPerLanguage, kOwnTextCount);
  EXPECT_EQ(LanguageName(0), QStringLiteral("&Italiano"));
  EXPECT_EQ(LanguageName(1), QStringLiteral("&English"));
  // Language 0 of the library is the program's own table, text for text.
  for (int k = 0; k < kOwnTextCount; ++k) {
    QString fromLibrary;
    const bool has = LoadLanguageString(LanguageTextId(0, k), &fromLibrary);
    EXPECT_EQ(has, !OwnText(k).isEmpty()) << k;
    if (has) {
      EXPECT_EQ(fromLibrary, OwnText(k)) << k;
    }
  }
  CurrentLanguage = 1;
  EXPECT_EQ(LanguageTextId(1, 96), kOwnTextCount + 96);
  EXPECT_EQ(Tr(96), QStringLiteral("Connecting..."));
  EXPECT_EQ(Tr(145), QStringLiteral("°C"));
  // English has every text Italian has.
  for (int k = 0; k < kOwnTextCount; ++k)
    if (!OwnText(k).isEmpty()) {
      QString english;
      EXPECT_TRUE(LoadLanguageString(LanguageTextId(1, k), &english)) << k;
    }
  ReadLanguageNumbers();
  EXPECT_EQ(LanguageCodePage, 1252);
  EXPECT_EQ(LanguageFromSetting(1), 1);
  FreeLanguageLibrary();
  EXPECT_EQ(CurrentLanguage, 0);
  EXPECT_EQ(Tr(96), QStringLiteral("Connessione in corso..."));
}

TEST_F(LanguageTest, ReportedCountsAreClamped) {
  struct Case {
    const char* languages;
    const char* texts;
    int wantLanguages;
    int wantTexts;
  };
  const Case cases[] = {
      {"3", "600", 3, 600},
      {"0", "0", 1, 1},
      {"-4", "-7", 1, 1},
      {"127", "1", 127, 1},
      {"200", "5", 1, 5},  // 200 does not fit: it arrives negative
      {"1", "2000000000", 1, kMaxTextsPerLanguage},
  };
  for (const auto& c : cases) {
    qputenv("FAKE_LANGUAGE_COUNT", c.languages);
    qputenv("FAKE_TEXT_COUNT", c.texts);
    ASSERT_TRUE(LoadLanguageLibrary(BuiltLibrary("FakeLanguages")));
    EXPECT_EQ(LanguageCount, c.wantLanguages) << c.languages;
    EXPECT_EQ(TextsPerLanguage, c.wantTexts) << c.texts;
    // The last language's last text id stays a valid id.
    EXPECT_GE(LanguageTextId(LanguageCount - 1, kOwnTextCount - 1), 0);
  }
}

TEST_F(LanguageTest, EachCountComesThroughItsOwnExport) {
  qputenv("FAKE_LANGUAGE_COUNT", "3");
  qputenv("FAKE_TEXT_COUNT", "600");
  ASSERT_TRUE(LoadLanguageLibrary(BuiltLibrary("FakeLanguagesOnlyCount")));
  EXPECT_EQ(LanguageCount, 3);
  EXPECT_EQ(TextsPerLanguage, 1);
  CurrentLanguage = 2;
  EXPECT_EQ(Tr(5), QStringLiteral("text 7"));  // 2 x 1 + 5
}

TEST_F(LanguageTest, StoredLanguageOutOfRangeMeansLanguageZero) {
  qputenv("FAKE_LANGUAGE_COUNT", "3");
  qputenv("FAKE_TEXT_COUNT", "10");
  ASSERT_TRUE(LoadLanguageLibrary(BuiltLibrary("FakeLanguages")));
  const int cases[][2] = {{-1, 0}, {-128, 0}, {0, 0}, {2, 2}, {3, 0}, {5, 0}};
  for (const auto& c : cases) EXPECT_EQ(LanguageFromSetting(c[0]), c[1]) << c[0];
}

TEST_F(LanguageTest, CharsetAndCodePageMustBeDecimal) {
  const struct {
    const char* text;
    bool ok;
    int value;
  } cases[] = {{"1252", true, 1252}, {"-3", true, -3},  {"0", true, 0},     {"", false, 0},
               {" 1", false, 0},     {"12a", false, 0}, {"0x10", false, 0}, {"1.5", false, 0}};
  for (const auto& c : cases) {
    if (c.ok) {
      EXPECT_EQ(StrToIntStrict(QString::fromLatin1(c.text)), c.value) << c.text;
    } else {
      EXPECT_THROW(StrToIntStrict(QString::fromLatin1(c.text)), EConvertError) << c.text;
    }
  }
  // A library whose text 1 and 2 are not numbers fails the conversion and changes nothing.
  qputenv("FAKE_LANGUAGE_COUNT", "1");
  qputenv("FAKE_TEXT_COUNT", "10");
  ASSERT_TRUE(LoadLanguageLibrary(BuiltLibrary("FakeLanguages")));
  LanguageCodePage = 1252;
  EXPECT_THROW(ReadLanguageNumbers(), EConvertError);
  EXPECT_EQ(LanguageCodePage, 1252);
}

TEST_F(LanguageTest, CaptionsChangeOnlyWhenTheTextExists) {
  QWidget window;
  QLabel label(QStringLiteral("design"), &window);
  QPushButton button(QStringLiteral("design"), &window);
  QGroupBox group(QStringLiteral("design"), &window);
  QMenu menu(QStringLiteral("design"));
  QAction action(QStringLiteral("design"));
  EXPECT_TRUE(TranslateCaption(&window, 110));
  EXPECT_TRUE(TranslateCaption(&label, 96));
  EXPECT_TRUE(TranslateCaption(&button, 103));
  EXPECT_TRUE(TranslateCaption(&group, 101));
  EXPECT_TRUE(TranslateCaption(&menu, 34));
  EXPECT_TRUE(TranslateCaption(&action, 44, 3));
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Configurazione veicolo"));
  EXPECT_EQ(label.text(), QStringLiteral("Connessione in corso..."));
  EXPECT_EQ(button.text(), QStringLiteral("&OK"));
  EXPECT_EQ(group.title(), QStringLiteral("Righe del MAP (volt)"));
  EXPECT_EQ(menu.title(), QStringLiteral("&File"));
  EXPECT_EQ(action.text(), QStringLiteral("&E"));
  EXPECT_FALSE(TranslateCaption(&label, 5));
  EXPECT_EQ(label.text(), QStringLiteral("Connessione in corso..."));
}

// Qt's own texts follow the language: the buttons of a message box, Italian for language 0,
// Qt's English for English and wherever Qt has no translation.
TEST_F(LanguageTest, MessageBoxButtonsFollowTheLanguage) {
  ASSERT_TRUE(LoadLanguageLibrary(BuiltLibrary("Languages")));
  const auto buttons = [] {
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return QStringList{box.button(QMessageBox::Yes)->text(), box.button(QMessageBox::No)->text(),
                       box.button(QMessageBox::Cancel)->text()};
  };
  const QStringList italian{QStringLiteral("&S\u00EC"), QStringLiteral("&No"), QStringLiteral("Annulla")};
  const QStringList english{QStringLiteral("&Yes"), QStringLiteral("&No"), QStringLiteral("Cancel")};
  CurrentLanguage = 0;
  EXPECT_TRUE(InstallQtTranslations());
  EXPECT_EQ(buttons(), italian);
  CurrentLanguage = 1;
  InstallQtTranslations();
  EXPECT_EQ(buttons(), english);
  CurrentLanguage = 0;
  EXPECT_TRUE(InstallQtTranslations());
  EXPECT_EQ(buttons(), italian);
  // A folder without Qt's translations: Qt's own texts, the Italian ones taken away.
  EXPECT_FALSE(InstallQtTranslations(QStringLiteral("/nonexistent")));
  EXPECT_EQ(buttons(), english);
}
