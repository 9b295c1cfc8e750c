// The file layer of the data set: key, path, conversion, the INI copy and programming files.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <string>

#include "ConfigFileFormat.h"
#include "ConfigFileTestSupport.h"
#include "EcuData.h"
#include "EncryptedProgramFile.h"

namespace {

QByteArray Name(const QString& path) { return QFile::encodeName(path); }

// Files of any name in the temporary folder (the test program's own).
int LeftoverCopies() {
  return static_cast<int>(QDir(QDir::tempPath()).entryList(QDir::Files | QDir::Hidden | QDir::System).size());
}

class EcuConfigFile : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  TEcuData data{"default"};
  QString Path(const char* name) const { return dir.filePath(name); }
};

}  // namespace

TEST_F(EcuConfigFile, FileKeyMustBeOneToFortyNineCharacters) {
  EXPECT_STREQ(data.FileKey, "OggiPioveSullaCollinaBlu");
  EXPECT_FALSE(data.SetFileKey(""));
  EXPECT_FALSE(data.SetFileKey(nullptr));
  EXPECT_FALSE(data.SetFileKey(std::string(50, 'k').c_str()));
  EXPECT_STREQ(data.FileKey, "OggiPioveSullaCollinaBlu");
  EXPECT_TRUE(data.SetFileKey(std::string(49, 'k').c_str()));
  EXPECT_EQ(std::string(data.FileKey), std::string(49, 'k'));

  EXPECT_TRUE(data.SetFilePath("/a/b.trm"));
  EXPECT_FALSE(data.SetFilePath(std::string(250, 'p').c_str()));  // a cut path would name another file
  EXPECT_STREQ(data.FilePath, "/a/b.trm");
}

TEST_F(EcuConfigFile, ConvertsBothWaysAndNeverTouchesTheDestinationOnFailure) {
  data.SetFileKey("k3y");
  const QByteArray plain = "DECRYPTED_DOZA_FILE\r\n[A]\r\nk=v\r\n";
  ASSERT_TRUE(WriteFileBytes(Path("plain"), plain));
  ASSERT_TRUE(data.ConvertConfigFile(Name(Path("plain")), Name(Path("stored")), kConfigScramble, true));
  EXPECT_EQ(ReadFileBytes(Path("stored")), "ENCRYPTED_DOZA_FILE\r\n" + XorWithKey("[A]\r\nk=v\r\n", "k3y"));
  ASSERT_TRUE(data.ConvertConfigFile(Name(Path("stored")), Name(Path("back")), kConfigUnscramble, true));
  EXPECT_EQ(ReadFileBytes(Path("back")), plain);
  // An explicit key wins over FileKey.
  ASSERT_TRUE(data.ConvertConfigFile(Name(Path("plain")), Name(Path("other")), kConfigScramble, true, "x"));
  EXPECT_EQ(ReadFileBytes(Path("other")), "ENCRYPTED_DOZA_FILE\r\n" + XorWithKey("[A]\r\nk=v\r\n", "x"));

  EXPECT_FALSE(data.ConvertConfigFile(Name(Path("plain")), Name(Path("plain")), kConfigScramble, true));
  EXPECT_EQ(ReadFileBytes(Path("plain")), plain);
  EXPECT_FALSE(data.ConvertConfigFile(Name(Path("missing")), Name(Path("back")), kConfigUnscramble, true));
  EXPECT_FALSE(data.ConvertConfigFile(Name(Path("plain")), Name(Path("back")), kConfigScramble, true, ""));
  EXPECT_EQ(ReadFileBytes(Path("back")), plain);
}

// A conversion takes no source beyond the configuration limit and makes no copy beyond it (an
// older file gains its header line): the copy must be a file the program opens.
TEST_F(EcuConfigFile, ConversionStaysWithinTheConfigurationLimit) {
  const QByteArray text = "[A]\r\nk=" + QByteArray(kMaxConfigFileSize - 30, 'v') + "\r\n";
  ASSERT_EQ(text.size() + 21, kMaxConfigFileSize);
  const struct {
    const char* what;
    QByteArray source;
    qint64 refusedSize;  // 0: converted
    bool rewrite;
  } cases[] = {
      {"stored file at the limit", "ENCRYPTED_DOZA_FILE\r\n" + XorWithKey(text, data.FileKey), 0, false},
      {"older file whose copy reaches the limit", XorWithKey(text, data.FileKey), 0, false},
      {"older file whose copy would pass it", XorWithKey(text + "v", data.FileKey), kMaxConfigFileSize + 1,
       true},
      {"source past the limit", "ENCRYPTED_DOZA_FILE\r\n" + XorWithKey(text + "v", data.FileKey),
       kMaxConfigFileSize + 1, false},
      {"source of 4 MiB", QByteArray(4 * kMaxConfigFileSize, 'x'), 4 * kMaxConfigFileSize, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(WriteFileBytes(Path("source"), c.source));
    QFile::remove(Path("copy"));
    EXPECT_EQ(data.ConvertConfigFile(Name(Path("source")), Name(Path("copy")), kConfigUnscramble, true),
              c.refusedSize == 0);
    EXPECT_EQ(data.OversizedFile().size, c.refusedSize);
    EXPECT_EQ(data.OversizedFile().rewrite, c.rewrite);
    EXPECT_EQ(data.OversizedFile().path, c.refusedSize ? Name(Path("source")).toStdString() : "");
    if (c.refusedSize == 0)
      EXPECT_EQ(ReadFileBytes(Path("copy")), "DECRYPTED_DOZA_FILE\r\n" + text);
    else
      EXPECT_FALSE(QFile::exists(Path("copy")));
    EXPECT_EQ(ReadFileBytes(Path("source")), c.source);
  }
}

TEST_F(EcuConfigFile, OpeningAnUnreadableFileRaisesTheFileErrorAndLeavesNoCopy) {
  const int before = LeftoverCopies();
  for (const QString& path : {Path("missing.trm"), dir.path()}) {
    ASSERT_TRUE(data.SetFilePath(Name(path)));
    try {
      data.OpenConfigIni(true);
      ADD_FAILURE() << "no error for " << path.toStdString();
    } catch (const EConfigFileError& e) {
      EXPECT_STREQ(e.what(), "Impossibile aprire il file");
    }
    EXPECT_FALSE(data.IniOpen);
  }
  EXPECT_EQ(LeftoverCopies(), before);
}

TEST_F(EcuConfigFile, IniAccessorsWorkOnTheOpenCopyOnly) {
  int32_t n = 5;
  EXPECT_FALSE(data.ReadIniInteger(n, "K", "S"));  // nothing open: nothing read, nothing raised
  data.WriteIniInteger(1, "K", "S");

  ASSERT_TRUE(data.SetFilePath(Name(Path("conf.trm"))));
  const int before = LeftoverCopies();
  data.OpenConfigIni(false);
  EXPECT_TRUE(data.IniOpen);
  EXPECT_EQ(LeftoverCopies(), before);  // the open document lives in memory only
  data.WriteIniInteger(-42, "N", "S");
  data.WriteIniBool(true, "B", "S");
  data.WriteIniString("Golf 1.6 TDI", "T", "S");
  data.WriteIniString("abc", "X", "S");
  EXPECT_TRUE(data.IniValueExists("s", "n"));
  EXPECT_TRUE(data.ReadIniInteger(n, "N", "S"));
  EXPECT_EQ(n, -42);
  EXPECT_FALSE(data.ReadIniInteger(n, "X", "S"));  // not a number: field kept
  EXPECT_FALSE(data.ReadIniInteger(n, "Missing", "S"));
  EXPECT_EQ(n, -42);
  bool b = false;
  EXPECT_TRUE(data.ReadIniBool(b, "B", "S"));
  EXPECT_TRUE(b);
  char text[5] = "zzzz";
  EXPECT_TRUE(data.ReadIniString(text, "T", "S", sizeof text));
  EXPECT_STREQ(text, "Golf");  // size - 1 characters
  EXPECT_FALSE(data.ReadIniString(text, "T", "S", 0));
  EXPECT_FALSE(data.ReadIniString(text, "Missing", "S", sizeof text));
  EXPECT_STREQ(text, "Golf");

  ASSERT_TRUE(data.CloseConfigIni());
  EXPECT_FALSE(data.IniOpen);
  EXPECT_EQ(LeftoverCopies(), before);
  const QByteArray stored = ReadFileBytes(Path("conf.trm"));
  ASSERT_TRUE(stored.startsWith("ENCRYPTED_DOZA_FILE\r\n"));
  EXPECT_EQ(XorWithKey(stored.mid(21), data.FileKey), "[S]\r\nN=-42\r\nB=1\r\nT=Golf 1.6 TDI\r\nX=abc\r\n");
}

TEST_F(EcuConfigFile, ProgrammingFileBecomesLengthWordAndUnscrambledBytes) {
  // A file of no image size gives no image: empty, a few bytes, one byte short or over.
  for (const qint64 size : {qint64{0}, qint64{3}, kMinProgramImageSize - 1, kMaxProgramImageSize + 1}) {
    SCOPED_TRACE(size);
    ASSERT_TRUE(WriteFileBytes(Path("small.ptn"), QByteArray(size, '\x21')));
    std::vector<uint8_t> image{9, 9};
    EXPECT_FALSE(data.LoadProgrammingFile(Name(Path("small.ptn")), &image));
    EXPECT_TRUE(image.empty());
  }
  std::vector<uint8_t> image;

  // 300 bytes: the length word carries a second byte; the body is unscrambled from byte 0,
  // a header line included.
  QByteArray body = "ENCRYPTED_DOZA_FILE\r\n" + QByteArray(279, '\x5A');
  ASSERT_TRUE(WriteFileBytes(Path("fw.ptn"), body));
  ASSERT_TRUE(data.LoadProgrammingFile(Name(Path("fw.ptn")), &image, true, "Brand"));
  ASSERT_EQ(image.size(), 304u);
  EXPECT_EQ(std::vector<uint8_t>(image.begin(), image.begin() + 4), (std::vector<uint8_t>{0x2C, 0x01, 0, 0}));
  const QByteArray expected = XorWithKey(body, "Brand");
  EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(image.data() + 4), 300), expected);

  EXPECT_FALSE(data.LoadProgrammingFile(Name(Path("missing.ptn")), &image));
  EXPECT_TRUE(image.empty());
  EXPECT_FALSE(data.LoadProgrammingFile(Name(Path("fw.ptn")), nullptr));
  EXPECT_FALSE(data.LoadProgrammingFile(Name(Path("fw.ptn")), &image, false, ""));
}
