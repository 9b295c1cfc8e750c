// Reprogramming the simulated ECU from the main window: the boot check, the three kinds of
// programming file, the attempt and its one retry, and the configuration in memory written into
// the reprogrammed ECU.
#include <nettle/arcfour.h>
#include <nettle/md5.h>

#include <QDir>
#include <QFile>
#include <QPushButton>

#include "Animate.h"
#include "ConfigFileFormat.h"
#include "DropSweep.h"
#include "EncryptedProgramFile.h"
#include "FormAttesa.h"
#include "Language.h"
#include "MainFixture.h"
#include "OnScreen.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Payload(size_t n) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * 31 + 7);
  return b;
}

Bytes WithLength(const Bytes& clear) {
  const auto n = static_cast<uint32_t>(clear.size());
  Bytes image = {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n >> 16),
                 static_cast<uint8_t>(n >> 24)};
  image.insert(image.end(), clear.begin(), clear.end());
  return image;
}

void Write(const QString& path, const Bytes& content) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(reinterpret_cast<const char*>(content.data()), static_cast<qint64>(content.size()));
}

// An encrypted programming file of `clear`: the RC4 key is the MD5 digest of the key material
// bytes that the mask selects.
Bytes EncryptedFile(const Bytes& clear) {
  Bytes mask(kEncryptedMaskSize), material(kEncryptedKeyMaterialSize);
  for (size_t i = 0; i < mask.size(); ++i) mask[i] = static_cast<uint8_t>(0xA5 ^ (i * 17));
  for (size_t i = 0; i < material.size(); ++i) material[i] = static_cast<uint8_t>(i * 13 + 1);
  Bytes selected;
  for (int i = 0; i < kEncryptedMaskSize; ++i)
    for (int b = 0; b < 8; ++b)
      if (mask[static_cast<size_t>(i)] & (1 << b))
        selected.push_back(material[static_cast<size_t>(i * 8 + b)]);
  md5_ctx md5;
  md5_init(&md5);
  md5_update(&md5, selected.size(), selected.data());
  uint8_t key[MD5_DIGEST_SIZE];
  md5_digest(&md5, sizeof key, key);
  arcfour_ctx rc4;
  arcfour_set_key(&rc4, sizeof key, key);
  Bytes cipher(clear.size());
  arcfour_crypt(&rc4, clear.size(), cipher.data(), clear.data());

  Bytes file(kEncryptedFileMagic, kEncryptedFileMagic + kEncryptedMagicSize);
  file.insert(file.end(), mask.begin(), mask.end());
  file.insert(file.end(), material.begin(), material.end());
  file.insert(file.end(), cipher.begin(), cipher.end());
  return file;
}

constexpr int32_t kMarkedCell = 1234;  // a gas-map value the factory configuration lacks

class MainProgramTest : public MainFixture {
 protected:
  MainProgramTest() {
    Connect();
    data.Mappa[2][3] = kMarkedCell;
    data.Changed = true;
    image = dir.filePath("firmware.ptn");
    Write(image, EncryptedFile(Payload(300)));
    prompts.Clear();
  }

  // Chooses the file in the programming-file window and runs the programming.
  void Program(const QString& file, int filter = kProgramFileFilter) {
    FormScarica->OpenDialogFile.FileName = file;
    FormScarica->OpenDialogFile.FilterIndex = filter;
    OnNextModal([](QDialog* d) {
      ASSERT_EQ(d, FormScarica);
      FormScarica->ButtonRiprogr->click();
    });
    ecu.ClearCalls();
    Main().ActionProgrammaExecute();
    Pump();
  }
  // Rows of the gas map written after the first call `after`.
  int MapRowsWrittenAfter(SimOp after) const {
    bool seen = false;
    int n = 0;
    for (const SimCall& c : ecu.Calls()) {
      if (c.op == after) seen = true;
      if (seen && c.op == SimOp::WriteRow && c.code == 0xC30E) ++n;
    }
    return n;
  }
  // Nothing reached the ECU beyond the boot identity, and the link is closed.
  void ExpectUntouched() {
    EXPECT_EQ(ecu.CountCalls(SimOp::BeginProgramming), 0);
    EXPECT_EQ(ecu.CountCalls(SimOp::ProgramFromImage), 0);
    EXPECT_FALSE(LinkOpen());
    EXPECT_EQ(data.Mappa[2][3], kMarkedCell);
    EXPECT_TRUE(data.Changed);
  }
  QString Retry12V() { return Text(81) + QLatin1Char('\n') + Text(82) + QLatin1Char('\n') + Text(83); }

  QString image;
};

}  // namespace

TEST_F(MainProgramTest, EncryptedImageProgramsAndTheConfigurationGoesBack) {
  Program(image);
  EXPECT_TRUE(prompts.Shown().empty());  // the reconnect found nothing unsaved
  EXPECT_EQ(ecu.ProgramCalls(), 1);
  EXPECT_EQ(ecu.LastImage(), WithLength(Payload(300)));
  EXPECT_EQ(ecu.CountCalls(SimOp::EndProgramming), 1);
  // Written into the reprogrammed ECU, then read back by the connect.
  EXPECT_EQ(MapRowsWrittenAfter(SimOp::ProgramFromImage), 12);
  EXPECT_EQ(data.Mappa[2][3], kMarkedCell);
  EXPECT_TRUE(LinkOpen());
  EXPECT_EQ(Panel(0), Text(53));
}

TEST_F(MainProgramTest, ScrambledImageAndSRecordFile) {
  // A file without the marker goes through the scrambled-image reader with the build's key.
  const Bytes content = Payload(64);
  const QString scrambled = dir.filePath("scrambled.ptn");
  Write(scrambled, content);
  Program(scrambled);
  Bytes clear = content;
  ScrambleBytes(clear.data(), clear.size(), GetBrandFileKey());
  EXPECT_EQ(ecu.LastImage(), WithLength(clear));
  EXPECT_EQ(ecu.CountCalls(SimOp::ProgramFromFile), 0);

  // An S-record file goes to the serial library by its path.
  const QString s19 = dir.filePath("firmware.s19");
  Write(s19, Bytes{'S', '0', '0', '3'});
  Program(s19, kSRecordFileFilter);
  EXPECT_EQ(ecu.CountCalls(SimOp::ProgramFromFile), 1);
  EXPECT_EQ(ecu.CountCalls(SimOp::ProgramFromImage), 0);
  EXPECT_EQ(ecu.LastProgramFile(), QFile::encodeName(s19).toStdString());
  EXPECT_TRUE(prompts.Shown().empty());
}

TEST_F(MainProgramTest, BootIdentityDecides) {
  struct Case {
    int customer, type;
    bool accepted;
  } cases[] = {{-1, 3, true}, {-1, 10, true}, {-1, 7, false}, {0, 10, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    prompts.Clear();
    data.Mappa[2][3] = kMarkedCell;
    data.Changed = true;
    ecu.SetBootIdentity(c.customer, c.type);
    Program(image);
    if (c.accepted) {
      EXPECT_EQ(ecu.CountCalls(SimOp::ProgramFromImage), 1);
      EXPECT_TRUE(prompts.Shown().empty());
    } else {
      EXPECT_EQ(Asked(), (std::vector<QString>{Text(78)}));
      EXPECT_EQ(prompts.Shown()[0].icon, PromptIcon::Stop);
      ExpectUntouched();
    }
  }
}

TEST_F(MainProgramTest, FilesThatCannotBeReadReachNothing) {
  // A file whose size cannot be an image is refused before it is read, and the message names the
  // file and the image size it would give; a missing file says only that programming failed.
  Bytes shortEncrypted(kEncryptedFileMagic, kEncryptedFileMagic + kEncryptedMagicSize);
  shortEncrypted.resize(kEncryptedHeaderSize - 1, 0x55);  // the marker without its whole header
  Bytes headerOnly = EncryptedFile(Payload(0));
  const struct {
    const char* name;
    Bytes content;
    qint64 imageSize;  // -1: no file
  } cases[] = {
      {"cut.ptn", shortEncrypted, 0},
      {"header.ptn", headerOnly, 0},
      {"tiny-encrypted.ptn", EncryptedFile(Payload(kMinProgramImageSize - 1)), kMinProgramImageSize - 1},
      {"empty.ptn", Bytes(), 0},
      {"three.ptn", Bytes(3, 1), 3},
      {"tiny.ptn", Bytes(10, 1), 10},
      {"small.ptn", Payload(kMinProgramImageSize - 1), kMinProgramImageSize - 1},
      {"huge.ptn", Payload(kMaxProgramImageSize + 1), kMaxProgramImageSize + 1},
      {"missing.ptn", Bytes(), -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString file = dir.filePath(c.name);
    if (c.imageSize >= 0) Write(file, c.content);
    prompts.Clear();
    Program(file);
    QString expected = Text(78);
    if (c.imageSize >= 0)
      expected += QLatin1Char('\n') + Tr(601)
                                          .arg(QDir::toNativeSeparators(file))
                                          .arg(c.imageSize)
                                          .arg(kMinProgramImageSize)
                                          .arg(kMaxProgramImageSize);
    EXPECT_EQ(Asked(), (std::vector<QString>{expected}));
    ExpectUntouched();
  }
  // The smallest and the largest image go through.
  for (const qint64 n : {kMinProgramImageSize, kMaxProgramImageSize}) {
    SCOPED_TRACE(n);
    Write(image, EncryptedFile(Payload(static_cast<size_t>(n))));
    prompts.Clear();
    Program(image);
    EXPECT_EQ(ecu.LastImage(), WithLength(Payload(static_cast<size_t>(n))));
    EXPECT_TRUE(prompts.Shown().empty());
  }
}

TEST_F(MainProgramTest, AttemptAndOneRetry) {
  struct Case {
    const char* name;
    std::vector<int> results;
    std::vector<int> answers;
    int calls;
    bool programmed;
  } cases[] = {
      {"low battery, then ok", {1, 0}, {PromptYes}, 2, true},
      {"failed twice", {5, 5}, {PromptYes}, 2, false},
      {"low battery twice: no third", {1, 1}, {PromptYes, PromptYes}, 2, false},
      {"retry refused", {5}, {PromptNo}, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    prompts.Clear();
    data.Mappa[2][3] = kMarkedCell;
    data.Changed = true;
    for (int a : c.answers) prompts.Answer(a);
    ecu.QueueProgramResults(c.results);
    const int before = ecu.ProgramCalls();
    Program(image);
    EXPECT_EQ(ecu.ProgramCalls() - before, c.calls);
    ASSERT_FALSE(prompts.Shown().empty());
    // The question after a first failure: the battery with result 1, the 12 V one otherwise.
    EXPECT_EQ(prompts.Shown()[0].text, c.results[0] == 1 ? Text(89) : Retry12V());
    EXPECT_EQ(prompts.Shown()[0].buttons, PromptYesNo);
    EXPECT_EQ(prompts.Shown()[0].icon, PromptIcon::Stop);
    EXPECT_EQ(ecu.CountCalls(SimOp::BeginProgramming), 1);
    EXPECT_EQ(ecu.CountCalls(SimOp::EndProgramming), 1);
    if (c.programmed) {
      EXPECT_EQ(prompts.Shown().size(), 1u);
      EXPECT_EQ(MapRowsWrittenAfter(SimOp::EndProgramming), 12);
      EXPECT_TRUE(LinkOpen());
    } else {
      EXPECT_EQ(prompts.Shown().back().text, Text(78));
      EXPECT_EQ(MapRowsWrittenAfter(SimOp::EndProgramming), 0);
      EXPECT_FALSE(LinkOpen());
      EXPECT_TRUE(data.Changed);
    }
  }
}

TEST_F(MainProgramTest, ConnectAfterProgrammingRetriedOrGivenUp) {
  ecu.FailConnects(1);
  prompts.Answer(PromptNo);
  Program(image);
  EXPECT_EQ(Asked(), (std::vector<QString>{Text(531)}));
  EXPECT_EQ(prompts.Shown()[0].buttons, PromptYesNo);
  EXPECT_FALSE(LinkOpen());
  EXPECT_EQ(MapRowsWrittenAfter(SimOp::EndProgramming), 0);
  EXPECT_TRUE(data.Changed);
  EXPECT_EQ(data.Mappa[2][3], kMarkedCell);

  prompts.Clear();
  ecu.FailConnects(1);
  prompts.Answer(PromptYes);
  Program(image);
  EXPECT_EQ(Asked(), (std::vector<QString>{Text(531)}));
  EXPECT_EQ(MapRowsWrittenAfter(SimOp::EndProgramming), 12);
  EXPECT_TRUE(LinkOpen());
}

TEST_F(MainProgramTest, RefusedWritesKeepTheConfigurationUnsaved) {
  // The ECU refuses part of the configuration: told so and asked again, and given up, nothing
  // counts as saved.
  ecu.SetWriteRefused(0x203);
  prompts.Answer(PromptYes);
  prompts.Answer(PromptNo);
  Program(image);
  const QString refused =
      QStringLiteral(
          "La centralina non ha accettato tutti i dati.\n"
          "La centralina non ha ricevuto tutta la configurazione; la configurazione in memoria è "
          "conservata.\n") +
      Text(531);
  EXPECT_EQ(Asked(), (std::vector<QString>{refused, refused}));
  EXPECT_EQ(MapRowsWrittenAfter(SimOp::EndProgramming), 24);  // written twice
  EXPECT_TRUE(data.Changed);
  EXPECT_FALSE(LinkOpen());
  ecu.SetWriteRefused(0x203, false);

  // All taken: saved.
  prompts.Clear();
  Program(image);
  EXPECT_TRUE(prompts.Shown().empty());
  EXPECT_TRUE(LinkOpen());
}

TEST_F(MainProgramTest, TheWritesDecideNotTheReadyWait) {
  // However long the ECU takes to get ready after the programming, once it has taken every value
  // the configuration is in and counts as saved (the reconnect asks nothing) and is read back.
  struct Case {
    const char* name;
    uint32_t readyMs;
  } cases[] = {
      {"ready within the wait", 1000},
      {"ready only after the wait ran out", 25000},
      {"not ready by the end of either wait", 60000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    prompts.Clear();
    data.Mappa[2][3] = kMarkedCell;
    data.Changed = true;
    ecu.SetReadyDelay(c.readyMs);
    prompts.Answer(PromptNo);  // a question to retry, were one asked, is given up
    Program(image);
    EXPECT_TRUE(prompts.Shown().empty());  // no question, and the reconnect found nothing unsaved
    EXPECT_EQ(MapRowsWrittenAfter(SimOp::EndProgramming), 12);  // written once
    EXPECT_EQ(ecu.Stored(0xC30E, 27), kMarkedCell);
    EXPECT_TRUE(LinkOpen());
    EXPECT_EQ(data.Mappa[2][3], kMarkedCell);
  }
}

TEST_F(MainProgramTest, EveryWayOutTakesTheHourglassAwayBeforeTheLastWord) {
  // Questions during the pass come under the hourglass; what ends it is said without it, and no
  // way out leaves a cursor set.
  constexpr Qt::CursorShape none = Qt::ArrowCursor, hourglass = Qt::WaitCursor;
  const struct {
    const char* name;
    std::function<void()> arrange;
    QString file;
    std::vector<Qt::CursorShape> shapes;
  } cases[] = {
      {"boot refused", [&] { ecu.SetBootIdentity(0, 10); }, image, {none}},
      {"image unreadable", [] {}, dir.filePath("missing.ptn"), {none}},
      {"programming failed", [&] { ecu.QueueProgramResults({5}); }, image, {hourglass, none}},
      {"not restored", [&] { ecu.FailConnects(1); }, image, {hourglass}},
      {"restored", [] {}, image, {}},
  };
  FirstIdle();  // the splash's start-up cursor goes
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CursorWatchingPrompts watch;
    ScopedPrompts use(&watch);
    for (int i = 0; i < 3; ++i) watch.inner.Answer(PromptNo);
    ecu.SetBootIdentity(-1, 10);
    c.arrange();
    Program(c.file);
    EXPECT_EQ(watch.shapes, c.shapes);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }
}

TEST_F(MainProgramTest, RetryIsCaptionedAsAttemptTwo) {
  // Notes the wait window's caption whenever a question is asked.
  struct CaptionWatch final : IPromptService {
    int Show(const PromptRequest& r) override {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* a = qobject_cast<TFormAttesa*>(w); a && a->isVisible()) {
          captions.push_back(a->windowTitle());
          animations.push_back(a->Animate1->FileName());
        }
      return inner.Show(r);
    }
    ScriptedPrompts inner;
    std::vector<QString> captions;
    std::vector<QString> animations;
  } watch;
  ScopedPrompts use(&watch);
  // The animation of the data folder, whatever the case of its name.
  QDir().mkpath(dir.filePath("Immagini"));
  Write(dir.filePath("Immagini/ATTESA.AVI"), Bytes{1});
  watch.inner.Answer(PromptYes);  // the battery question: once more
  watch.inner.Answer(PromptNo);   // the reconnect afterwards: given up
  ecu.QueueProgramResults({1, 0});
  ecu.FailConnects(1);
  Program(image);
  EXPECT_EQ(ecu.ProgramCalls(), 2);
  ASSERT_EQ(watch.captions.size(), 2u);
  EXPECT_EQ(watch.captions[0], QStringLiteral("Aggiornamento software centralina"));
  EXPECT_EQ(watch.captions[1], QStringLiteral("Aggiornamento software centralina - Tentativo 2"));
  EXPECT_EQ(watch.animations[0], dir.filePath("Immagini/ATTESA.AVI"));
}

TEST_F(MainProgramTest, ProgressReachesTheWaitWindow) {
  ProgressOnScreen watch(QStringLiteral("wait-programming"));
  Program(image);
  ASSERT_TRUE(LinkOpen());
  ExpectFollowed(watch, "TFormAttesa");
}

using MainProgramDropSweep = MainProgramTest;  // a sweep: the drop-sweep label runs it

TEST_F(MainProgramDropSweep, LinkDropAnywhereLosesNothing) {
  // Values the factory configuration lacks, in the first, a middle and the last item written.
  const auto mark = [](TEcuDataFields& f) {
    f.RifGiri[11] = 6789;
    f.Mappa[2][3] = kMarkedCell;
    f.CoeffGas[8] = 77;
  };
  const auto ecuHoldsMarks = [&] {
    return ecu.Stored(0xC30C, 11) == 6789 && ecu.Stored(0xC30E, 27) == kMarkedCell &&
           ecu.Stored(0x917E, 8) == 77;
  };
  // The questions answered Yes (retry), or No (give up).
  for (int answer : {PromptYes, PromptNo}) {
    SCOPED_TRACE(answer);
    for (const LinkFault fault : {LinkFault::Drop, LinkFault::Silence}) {
      SCOPED_TRACE(LinkFaultName(fault));
      TEcuDataFields before;
      const DropSweepResult sweep = DropSweep(
          ecu,
          [&] {
            mark(data);
            data.Changed = true;
            data.GetDescription();  // the description buffer holds what the window shows
            before = data;
            prompts.Clear();
            for (int i = 0; i < 8; ++i) prompts.Answer(answer);
            for (int i = 0; i < 20; ++i) prompts.Answer(PromptNo);  // a retry loop ends all the same
          },
          [&] { Program(image); },
          [&]() -> std::string {
            if (QApplication::overrideCursor()) return "the hourglass left set";
            if (ecuHoldsMarks()) {
              if (data.RifGiri[11] != 6789 || data.Mappa[2][3] != kMarkedCell || data.CoeffGas[8] != 77)
                return "the configuration went in, and memory holds something else";
              return "";
            }
            if (!Told()) return "the ECU lacks the configuration, without a word";
            if (!(static_cast<const TEcuDataFields&>(data) == before)) return "memory replaced";
            if (!data.Changed) return "memory counts as saved";
            return "";
          },
          fault);
      EXPECT_GT(sweep.positions, 200);
      EXPECT_TRUE(sweep.wrong.empty()) << sweep.Text();
    }
  }
}
