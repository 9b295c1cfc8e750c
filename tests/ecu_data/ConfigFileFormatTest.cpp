#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "ConfigFileFormat.h"

namespace {

QByteArray Scrambled(QByteArray bytes, std::string_view key) {
  ScrambleBytes(reinterpret_cast<uint8_t*>(bytes.data()), static_cast<size_t>(bytes.size()), key);
  return bytes;
}

bool WriteRaw(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray ReadRaw(const QString& path) {
  QByteArray bytes;
  return ReadWholeFile(path, &bytes) ? bytes : QByteArray("<unreadable>");
}

}  // namespace

TEST(ConfigFileFormat, ScramblingShiftsTheKeyByPositionModFiveAndIsItsOwnInverse) {
  // One-character key 'A' (0x41): shifts 0..4, cut to 8 bits, then again from shift 0.
  const QByteArray zeros(7, '\0');
  EXPECT_EQ(Scrambled(zeros, "A"), QByteArray("\x41\x82\x04\x08\x10\x41\x82", 7));
  // Key index i mod L and shift i mod 5 run independently.
  EXPECT_EQ(Scrambled(zeros, "AB"), QByteArray("\x41\x84\x04\x10\x10\x42\x82", 7));

  const QByteArray text = "[Versione]\r\nMajorVersionProg=3\r\n\xE8\x00\xFF";
  for (const std::string_view key : {"k", "OggiPioveSullaCollinaBlu", "0123456789abcdef"}) {
    const QByteArray once = Scrambled(text, key);
    EXPECT_NE(once, text);
    EXPECT_EQ(Scrambled(once, key), text);
  }
}

TEST(ConfigFileFormat, HeaderLineEndsWhereverTheFileEndsIt) {
  struct Case {
    QByteArray content;
    ConfigHeader kind;
    qsizetype bodyStart;
  } cases[] = {
      {"ENCRYPTED_DOZA_FILE\r\nxyz", ConfigHeader::Encrypted, 21},
      {"DECRYPTED_DOZA_FILE\r\n[A]", ConfigHeader::Decrypted, 21},
      {"DECRYPTED_DOZA_FILE\n[A]", ConfigHeader::Decrypted, 20},
      {"DECRYPTED_DOZA_FILE  \t\r\n[A]", ConfigHeader::Decrypted, 24},
      {"DECRYPTED_DOZA_FILE", ConfigHeader::Decrypted, 19},
      {"DECRYPTED_DOZA_FILEX\r\n[A]", ConfigHeader::None, 0},
      {"decrypted_doza_file\r\n[A]", ConfigHeader::None, 0},
      {"[A]\r\nk=v", ConfigHeader::None, 0},
      {"", ConfigHeader::None, 0},
  };
  for (const Case& c : cases) {
    const ConfigHeaderInfo info = ReadConfigHeader(c.content);
    EXPECT_EQ(info.kind, c.kind) << c.content.constData();
    EXPECT_EQ(info.bodyStart, c.bodyStart) << c.content.constData();
  }
}

TEST(ConfigFileFormat, ConversionBetweenStoredFilePlainCopyAndLegacyFile) {
  const std::string_view key = "Chiave";
  const QByteArray ini = "[A]\r\nk=v\r\n";
  const QByteArray stored = "ENCRYPTED_DOZA_FILE\r\n" + Scrambled(ini, key);
  const QByteArray plain = "DECRYPTED_DOZA_FILE\r\n" + ini;

  EXPECT_EQ(ConvertConfigText(plain, kConfigScramble, true, key), stored);
  EXPECT_EQ(ConvertConfigText(stored, kConfigUnscramble, true, key), plain);
  // A plain copy saved with LF line ends keeps the first character of its text.
  EXPECT_EQ(ConvertConfigText("DECRYPTED_DOZA_FILE\n" + ini, kConfigScramble, true, key), stored);
  EXPECT_EQ(ConvertConfigText("DECRYPTED_DOZA_FILE \t\r\n" + ini, kConfigScramble, true, key), stored);
  // Already in the wanted form: unchanged.
  EXPECT_EQ(ConvertConfigText(stored, kConfigScramble, true, key), stored);
  EXPECT_EQ(ConvertConfigText(plain, kConfigUnscramble, true, key), plain);
  // A legacy file has no header and is scrambled from byte 0; the copy gets the header.
  EXPECT_EQ(ConvertConfigText(Scrambled(ini, key), kConfigUnscramble, true, key), plain);
  // Without the header check every byte is converted and no header is written.
  EXPECT_EQ(ConvertConfigText(ini, kConfigScramble, false, key), Scrambled(ini, key));
  EXPECT_EQ(ConvertConfigText(QByteArray(), kConfigUnscramble, true, key), "DECRYPTED_DOZA_FILE\r\n");

  EXPECT_FALSE(ConvertConfigText(plain, kConfigScramble, true, "").has_value());
  EXPECT_FALSE(ConvertConfigText(plain, 2, true, key).has_value());
}

TEST(ConfigFileFormat, ReplacingAFileIsAllOrNothing) {
  QTemporaryDir dir;
  const QString target = dir.filePath("conf.trm");
  ASSERT_TRUE(WriteRaw(target, "old"));
  ASSERT_TRUE(WriteFileReplacing(target, "new content"));
  EXPECT_EQ(ReadRaw(target), "new content");

  // A read-only target is refused even where the user could write it anyway (root).
  ASSERT_TRUE(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::ReadUser));
  EXPECT_FALSE(WriteFileReplacing(target, "lost"));
  QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  EXPECT_EQ(ReadRaw(target), "new content");

  EXPECT_FALSE(WriteFileReplacing(dir.filePath("missing/conf.trm"), "x"));
  EXPECT_FALSE(WriteFileReplacing(dir.path(), "x"));  // a folder is not a file
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"conf.trm"});

  QByteArray content;
  EXPECT_FALSE(ReadWholeFile(dir.filePath("absent"), &content));
  EXPECT_FALSE(ReadWholeFile(dir.path(), &content));
}

// On a file system without unnamed temporary files a save killed before its rename leaves its
// sibling: the next save of that file removes it, and the start-up sweep those of any file, but
// never a file that only looks like one, a link or a folder.
TEST(ConfigFileFormat, SiblingsOfCutShortSavesGoWithTheNextSave) {
  struct NamedSiblings {
    NamedSiblings() { SetUnnamedTemporaryFiles(false); }
    ~NamedSiblings() { SetUnnamedTemporaryFiles(true); }
  } named;
  QTemporaryDir dir;
  const QString target = dir.filePath("conf.trm");
  ASSERT_TRUE(WriteFileReplacing(target, "first"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"conf.trm"});

  const QStringList own = {"conf.trm.AbCdEf.ecusave", "conf.trm.q1W2e3.ecusave"};
  const QStringList ofAnother = {"altro.trm.ZyXwVu.ecusave"};
  const QStringList lookAlikes = {"conf.trm.backup",         "conf.trm.AbCdEf",
                                  "conf.trm.AbCdE.ecusave",  "conf.trm.AbCdEfG.ecusave",
                                  "conf.trm.Ab-dEf.ecusave", "conf.trmAbCdEf.ecusave",
                                  ".AbCdEf.ecusave",         "conf.trm.àbCdEf.ecusave"};
  for (const QString& name : own + ofAnother + lookAlikes) ASSERT_TRUE(WriteRaw(dir.filePath(name), "left"));
  ASSERT_TRUE(QDir(dir.path()).mkdir("conf.trm.FoLdEr.ecusave"));
  ASSERT_TRUE(WriteRaw(dir.filePath("elsewhere"), "kept"));
  ASSERT_TRUE(QFile::link(dir.filePath("elsewhere"), dir.filePath("conf.trm.LiNkEd.ecusave")));
  const auto present = [&](const QStringList& names) {
    int n = 0;
    for (const QString& name : names) n += QFileInfo::exists(dir.filePath(name));
    return n;
  };

  ASSERT_TRUE(WriteFileReplacing(target, "second"));
  EXPECT_EQ(ReadRaw(target), "second");
  EXPECT_EQ(present(own), 0);
  EXPECT_EQ(present(ofAnother), 1);
  EXPECT_EQ(present(lookAlikes), lookAlikes.size());
  EXPECT_EQ(RemoveSaveSiblings(dir.path()), 1);  // the start-up sweep: any file's
  EXPECT_EQ(present(ofAnother), 0);
  EXPECT_EQ(present(lookAlikes), lookAlikes.size());
  EXPECT_TRUE(QFileInfo(dir.filePath("conf.trm.FoLdEr.ecusave")).isDir());
  EXPECT_TRUE(QFileInfo(dir.filePath("conf.trm.LiNkEd.ecusave")).isSymLink());
  EXPECT_EQ(ReadRaw(dir.filePath("elsewhere")), "kept");
}
