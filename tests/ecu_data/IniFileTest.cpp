#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "IniFile.h"

TEST(IniFile, WritesKeepOrderAppendToTheirSectionAndEndLinesWithCrLf) {
  IniFile ini;
  ini.WriteInteger("Versione", "Major", 3);
  ini.WriteString("Generale", "Nome", "Polo");
  ini.WriteInteger("Mappa", "M0_0", -12);
  ini.WriteBool("GENERALE", "Ufficiale", true);  // same section, other spelling
  ini.WriteInteger("versione", "major", 4);      // same key: replaced where it stands
  EXPECT_TRUE(ini.IsModified());
  EXPECT_EQ(ini.Text(),
            "[Versione]\r\nMajor=4\r\n"
            "[Generale]\r\nNome=Polo\r\nUfficiale=1\r\n"
            "[Mappa]\r\nM0_0=-12\r\n");
  const std::vector<std::string> sections{"Versione", "Generale", "Mappa"};
  EXPECT_EQ(ini.Sections(), sections);
}

TEST(IniFile, ReadsProfileStyleTextWithLfOrCrLf) {
  IniFile ini;
  ini.SetText(
      "DECRYPTED_DOZA_FILE\r\n"
      "[Generale]\n"
      "; a comment\r\n"
      "  Nome  =  \"Golf 1.6\"  \r\n"
      "Citt\xE0=Forl\xEC\n"
      "Nome=second is ignored\n"
      "no equals sign here\n"
      "[ Vuota ]\r\n"
      "[generale]\n"
      "Extra=1\n"
      "Last=7");  // no final line end
  EXPECT_FALSE(ini.IsModified());
  EXPECT_EQ(ini.ReadString("GENERALE", "nome", "x"), "Golf 1.6");
  EXPECT_EQ(ini.ReadString("Generale", "CITT\xC0", ""), "Forl\xEC");  // Latin-1 letters fold too
  EXPECT_TRUE(ini.SectionExists("vuota"));
  EXPECT_FALSE(ini.ValueExists("Generale", "no equals sign here"));
  // A section written twice is read where it first appears, as the profile functions do.
  EXPECT_FALSE(ini.ValueExists("Generale", "Extra"));
  EXPECT_EQ(ini.ReadString("Missing", "Nome", "dflt"), "dflt");
  EXPECT_EQ(ini.Sections().size(), 2u);

  // Untouched lines come back as they were; a changed key is rewritten in place.
  ini.WriteInteger("generale", "NOME", 5);
  EXPECT_EQ(
      ini.Text(),
      "DECRYPTED_DOZA_FILE\r\n[Generale]\r\n; a comment\r\nNome=5\r\nCitt\xE0=Forl\xEC\r\n"
      "Nome=second is ignored\r\nno equals sign here\r\n[ Vuota ]\r\n[generale]\r\nExtra=1\r\nLast=7\r\n");
}

TEST(IniFile, IntegersAreStrictDecimal) {
  struct Case {
    const char* text;
    std::optional<int32_t> value;
  } cases[] = {{"12", 12},
               {" -5 ", -5},
               {"+7", 7},
               {"007", 7},
               {"2147483647", INT32_MAX},
               {"-2147483648", INT32_MIN},
               {"2147483648", std::nullopt},
               {"99999999999999999999", std::nullopt},
               {"12a", std::nullopt},
               {"", std::nullopt},
               {"-", std::nullopt},
               {"0x10", std::nullopt},
               {"1.5", std::nullopt},
               {"1 2", std::nullopt}};
  for (const Case& c : cases) EXPECT_EQ(IniFile::ParseInteger(c.text), c.value) << c.text;

  IniFile ini;
  ini.SetText("[S]\nA=abc\nB=0\nC=-3\n");
  EXPECT_EQ(ini.ReadInteger("S", "A", 42), 42);
  EXPECT_EQ(ini.ReadInteger("S", "C", 42), -3);
  EXPECT_FALSE(ini.ReadBool("S", "B", true));
  EXPECT_TRUE(ini.ReadBool("S", "C", false));
  EXPECT_TRUE(ini.ReadBool("S", "A", true));
}

TEST(IniFile, AValueCannotBreakItsLine) {
  IniFile ini;
  ini.WriteString("S", "K", "a\r\n[X]\nb=c");
  IniFile back;
  back.SetText(ini.Text());
  EXPECT_EQ(back.Sections().size(), 1u);
  EXPECT_EQ(back.ReadString("S", "K", ""), "a  [X] b=c");
  EXPECT_EQ(ini.ReadString("S", "K", ""), back.ReadString("S", "K", ""));
}

TEST(IniFile, FileRoundTripAndUnreadableFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("a.ini");
  IniFile ini;
  EXPECT_FALSE(ini.UpdateFile());  // opened on no file
  EXPECT_FALSE(ini.LoadFromFile(path));
  ini.WriteString("S", "K", "v");
  ASSERT_TRUE(ini.UpdateFile());
  IniFile back;
  ASSERT_TRUE(back.LoadFromFile(path));
  EXPECT_EQ(back.Text(), ini.Text());
  EXPECT_FALSE(back.LoadFromFile(dir.filePath("missing.ini")));
  EXPECT_TRUE(back.Sections().empty());
  IniFile nowhere;
  nowhere.LoadFromFile(dir.filePath("no/such/folder.ini"));
  EXPECT_FALSE(nowhere.UpdateFile());
}
