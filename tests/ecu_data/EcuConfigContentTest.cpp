// Saving and loading whole configurations: the stored file, the round trip, older formats and
// damaged files, failed saves.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "BrandProfile.h"
#include "ConfigFileTestSupport.h"
#include "EcuData.h"
#include "FakeLink.h"
#include "IniFile.h"
#include "MessageSink.h"

namespace {

QByteArray Name(const QString& path) { return QFile::encodeName(path); }

const QByteArray kStoredHeader = "ENCRYPTED_DOZA_FILE\r\n";

// The INI text of a stored file, unscrambled here with the algorithm and the brand's key.
QByteArray PlainOf(const QString& path) {
  const QByteArray stored = ReadFileBytes(path);
  EXPECT_TRUE(stored.startsWith(kStoredHeader)) << path.toStdString();
  return XorWithKey(stored.mid(kStoredHeader.size()), GetBrandFileKey());
}

// The rpm and MAP axes and the gas map, the part of a file every load needs.
QByteArray CoreText(const char* eol, int seed) {
  QByteArray t;
  const QByteArray e(eol);
  t += "[RiferimentiGiri]" + e;
  for (int i = 0; i < 12; ++i) t += "RifGiri" + QByteArray::number(i) + "=" + QByteArray::number(600 + 450 * i + seed) + e;
  t += "[RiferimentiMAP]" + e;
  for (int i = 0; i < 12; ++i) t += "RifMAP" + QByteArray::number(i) + "=" + QByteArray::number(10 + 8 * i + seed) + e;
  t += "[MappaCarburazione]" + e;
  for (int c = 0; c < 12; ++c)
    for (int r = 0; r < 12; ++r)
      t += "Mappa" + QByteArray::number(r) + "_" + QByteArray::number(c) + "=" +
           QByteArray::number(1000 + 10 * r + c + seed) + e;
  return t;
}

class RecordingSink final : public IMessageSink {
 public:
  std::vector<std::pair<intptr_t, intptr_t>> progress;
  void PostToForms(unsigned, intptr_t, intptr_t) override {}
  void SendToForms(unsigned, intptr_t, intptr_t) override {}
  void SendToActive(unsigned msg, intptr_t w, intptr_t l) override {
    if (msg == WM_PROGRESS) progress.emplace_back(w, l);
  }
};

class EcuConfigContent : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  FakeLink link;
  ScopedLink scopedLink{&link};

  void SetUp() override { SelectBrand(kThisBuildBrandBit); }

  QString Path(const char* name) const { return dir.filePath(name); }

  std::unique_ptr<TEcuData> NewData() {
    auto d = std::make_unique<TEcuData>("default");
    d->SetFileKey(GetBrandFileKey());
    return d;
  }

  // Everything a save writes, taken without leaving a trace on the data set.
  QByteArray Snapshot(TEcuData& d) {
    const std::string path = d.FilePath;
    const bool changed = d.Changed;
    EXPECT_EQ(d.SaveConfiguration(Name(Path("snapshot.trm"))), 1);
    d.SetFilePath(path.c_str());
    d.Changed = changed;
    return PlainOf(Path("snapshot.trm"));
  }
};

TEST_F(EcuConfigContent, SavedFileUnscramblesToTwentyOneSectionsOfFormat36) {
  auto d = NewData();
  d->Potenza = 75.35f;
  d->SetDatoVetturaStr(3, "1.4 16V");
  d->Mappa[3][10] = 4321;
  d->Changed = true;
  ASSERT_EQ(d->SaveConfiguration(Name(Path("Polo 1400.trm"))), 1);
  EXPECT_FALSE(d->Changed);
  EXPECT_EQ(QString(d->FilePath), Path("Polo 1400.trm"));

  const QByteArray plain = PlainOf(Path("Polo 1400.trm"));
  ASSERT_TRUE(plain.endsWith("\r\n"));
  IniFile ini;
  ini.SetText(plain);
  const std::vector<std::string> sections{
      "Versione",  "Generale",        "RiferimentiGiri", "RiferimentiMAP", "MappaCarburazione", "Lambda",
      "SensoreDiLivello", "Accensione-Cambio", "Cutoff", "TPS", "OpenLoop", "PassiInversione", "TempiTraPassi",
      "Emulazione", "Carburazione", "Arricchimento", "Iniezione", "Diagnosi", "Adattativita", "Temperatura",
      "PressioneDifferenziale"};
  EXPECT_EQ(ini.Sections(), sections);
  EXPECT_EQ(ini.ReadInteger("Versione", "MajorVersionProg", 0), 3);
  EXPECT_EQ(ini.ReadInteger("Versione", "MinorVersionProg", 0), 6);
  EXPECT_EQ(ini.ReadString("Generale", "NomeConfigurazione", ""), "Polo 1400.trm");
  EXPECT_EQ(ini.ReadInteger("Generale", "Potenza", 0), 7535);
  EXPECT_EQ(ini.ReadString("Generale", "Motore", ""), "1.4 16V");
  EXPECT_EQ(ini.ReadInteger("MappaCarburazione", "Mappa3_10", 0), 4321);
  EXPECT_TRUE(ini.ValueExists("Generale", "N cilindri"));
  EXPECT_FALSE(ini.ValueExists("Cutoff", "CoefficienteCutoff"));
  // Maps go column by column; a section written again later keeps its keys in one place.
  EXPECT_LT(plain.indexOf("\r\nMappa11_0="), plain.indexOf("\r\nMappa0_1="));
  EXPECT_LT(plain.indexOf("\r\nPendenzaDiff="), plain.indexOf("[RiferimentiGiri]"));
  EXPECT_LT(plain.indexOf("\r\nCoeffGas8="), plain.indexOf("[PressioneDifferenziale]"));
}

TEST_F(EcuConfigContent, EveryKeyLoadsIntoTheFieldItIsSavedFrom) {
  // Give every key of a saved file its own value, load that, save again: the same text must
  // come back, so no key is dropped, crossed with another or converted on the way.
  auto source = NewData();
  ASSERT_EQ(source->SaveConfiguration(Name(Path("a.trm"))), 1);
  const QList<QByteArray> lines = PlainOf(Path("a.trm")).split('\n');
  const QList<QByteArray> texts{"ProgFile", "DescrizAuto", "Euro", "Motore", "Centralina", "Cambio"};
  QByteArray edited;
  int n = 0;
  for (QByteArray line : lines) {
    line = line.trimmed();
    if (line.isEmpty()) continue;
    const qsizetype eq = line.indexOf('=');
    if (eq > 0) {
      const QByteArray key = line.left(eq);
      ++n;
      QByteArray value = QByteArray::number(n % 7 == 0 ? -n : n);
      if (key == "NomeConfigurazione") value = "b.trm";
      else if (key == "Potenza") value = QByteArray::number(n);  // trunc(x + 0.5) is for power >= 0
      else if (key == "Ufficiale") value = "1";
      else if (key.startsWith("M") && key.endsWith("VersionProg")) value = line.mid(eq + 1);
      else if (texts.contains(key)) value = "t" + QByteArray::number(n);
      line = key + "=" + value;
    }
    edited += line + "\r\n";
  }
  ASSERT_EQ(n, 590);  // every key of a whole save
  ASSERT_TRUE(WriteFileBytes(Path("b.trm"), "DECRYPTED_DOZA_FILE\r\n" + edited));

  auto loaded = NewData();
  loaded->Changed = true;
  ASSERT_EQ(loaded->LoadConfiguration(Name(Path("b.trm"))), 1);
  EXPECT_FALSE(loaded->Changed);
  EXPECT_EQ(PlainOf(Path("b.trm")), edited);  // a plain copy is stored scrambled once loaded
  EXPECT_TRUE(loaded->IsUfficiale());
  EXPECT_EQ(loaded->HasMonoFuel, loaded->MonoFuel != 0);
  EXPECT_STREQ(loaded->GetDescription(), loaded->DescrizAuto);
  ASSERT_EQ(loaded->SaveConfiguration(Name(Path("b.trm"))), 1);
  EXPECT_EQ(PlainOf(Path("b.trm")), edited);
}

TEST_F(EcuConfigContent, PowerAndLongDescriptionsKeepTheirLimits) {
  auto source = NewData();
  source->Potenza = 101.29f;
  source->SetDatoVetturaStr(1, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
  ASSERT_EQ(source->SaveConfiguration(Name(Path("p.trm"))), 1);
  auto loaded = NewData();
  ASSERT_EQ(loaded->LoadConfiguration(Name(Path("p.trm"))), 1);
  EXPECT_NEAR(loaded->Potenza, 101.29f, 0.005f);
  EXPECT_STREQ(loaded->DescrizAuto, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
  EXPECT_STREQ(loaded->Descrizione, "ABCDEFGHIJKLMNOPQRS");  // the 19 characters read for the ECU
  EXPECT_STREQ(loaded->GetDescription(), "ABCDEFGHIJKLMNOPQR");
}

TEST_F(EcuConfigContent, MapsOnlySaveAndLoadTouchOnlyTheMaps) {
  auto source = NewData();
  source->Mappa[0][0] = 111;
  source->RifGiri[11] = 7777;
  source->MappaBenzina[1][1] = 222;
  source->Flag1 = 0x7F;
  source->SetDatoVetturaStr(1, "Bravo");
  source->SetUfficiale(true);
  ASSERT_EQ(source->SaveConfiguration(Name(Path("maps.trm")), true), 1);
  IniFile ini;
  ini.SetText(PlainOf(Path("maps.trm")));
  const std::vector<std::string> sections{"Versione", "Generale", "RiferimentiGiri", "RiferimentiMAP",
                                          "MappaCarburazione"};
  EXPECT_EQ(ini.Sections(), sections);
  EXPECT_TRUE(ini.ValueExists("Generale", "Cilindrata"));
  EXPECT_FALSE(ini.ValueExists("Generale", "DescrizAuto"));
  EXPECT_FALSE(ini.ValueExists("MappaCarburazione", "MappaBenzina0_0"));

  ASSERT_EQ(source->SaveConfiguration(Name(Path("full.trm"))), 1);
  auto loaded = NewData();
  const int32_t flag1 = loaded->Flag1;
  ASSERT_EQ(loaded->LoadConfiguration(Name(Path("full.trm")), true), 1);
  EXPECT_EQ(loaded->Mappa[0][0], 111);
  EXPECT_EQ(loaded->RifGiri[11], 7777);
  EXPECT_STREQ(loaded->GetDescription(), "Bravo");
  EXPECT_TRUE(loaded->IsUfficiale());
  EXPECT_EQ(loaded->MappaBenzina[1][1], 0);
  EXPECT_EQ(loaded->Flag1, flag1);
  EXPECT_STREQ(loaded->DescrizAuto, "");
}

TEST_F(EcuConfigContent, OlderFormatLoadsThroughItsLegacyKeys) {
  // No version, no header (scrambled from byte 0), the cut-off as a ramp, no newer sections.
  const QByteArray text = "[Generale]\r\nFlag1=108\r\nDescrizAuto=Punto 60\r\n" + CoreText("\r\n", 3) +
                          "[Cutoff]\r\nGiriCutoff=2100\r\nCoefficienteCutoff=60\r\nCoeffTermineCutoff=20\r\n"
                          "DeltaCutoff=1\r\n";
  ASSERT_TRUE(WriteFileBytes(Path("old.trm"), XorWithKey(text, GetBrandFileKey())));
  auto d = NewData();
  d->RifPressDiff[4] = 81;  // not in the file: kept
  ASSERT_EQ(d->LoadConfiguration(Name(Path("old.trm"))), 1);
  EXPECT_EQ(d->MajorVersionProg, 0);
  EXPECT_EQ(d->MinorVersionProg, 0);
  EXPECT_EQ(d->RifGiri[2], 1503);
  EXPECT_EQ(d->Mappa[11][11], 1124);
  EXPECT_EQ(d->GiriCutoff, 2100);
  EXPECT_EQ(d->RampaChiusura, 60);
  EXPECT_EQ(d->RampaApertura, 20);
  EXPECT_EQ(d->RampaValida, 1);
  EXPECT_EQ(d->ChiusuraCutoff, 30);  // 60 / 1 / (3 cycles - 1)
  EXPECT_EQ(d->AperturaCutoff, 40);  // (100 - 20) / (3 - 1)
  EXPECT_EQ(d->RifPressDiff[4], 81);
  EXPECT_STREQ(d->DescrizAuto, "Punto 60");
  // Opening it converted the file to the stored form with the header.
  EXPECT_EQ(ReadFileBytes(Path("old.trm")), kStoredHeader + XorWithKey(text, GetBrandFileKey()));

  ASSERT_EQ(d->SaveConfiguration(), 1);
  IniFile saved;
  saved.SetText(PlainOf(Path("old.trm")));
  EXPECT_EQ(saved.ReadInteger("Versione", "MinorVersionProg", 0), 6);
  EXPECT_EQ(saved.ReadInteger("Cutoff", "ChiusuraCutoff", 0), 30);
  EXPECT_EQ(saved.ReadInteger("Cutoff", "AperturaCutoff", 0), 40);
  EXPECT_TRUE(saved.ValueExists("Cutoff", "CicliCutoff"));
  EXPECT_FALSE(saved.ValueExists("Cutoff", "CoefficienteCutoff"));
}

TEST_F(EcuConfigContent, PlainCopyWithLfLineEndsLoadsWholeAndOnlyThatIsRewritten) {
  const QByteArray text = "[Versione]\nMajorVersionProg=3\nMinorVersionProg=6\n" + CoreText("\n", 0);
  ASSERT_TRUE(WriteFileBytes(Path("plain.trm"), "DECRYPTED_DOZA_FILE\n" + text));
  auto d = NewData();
  d->MinorVersionProg = 9;
  ASSERT_EQ(d->LoadConfiguration(Name(Path("plain.trm"))), 1);
  EXPECT_EQ(d->MajorVersionProg, 3);
  EXPECT_EQ(d->MinorVersionProg, 6);
  // Loading stored it scrambled, every character kept.
  EXPECT_EQ(PlainOf(Path("plain.trm")), QByteArray(text).replace("\n", "\r\n"));

  // A file already in the stored form is read, never rewritten (here its LF line ends would
  // become CR LF).
  const QByteArray stored = kStoredHeader + XorWithKey(text, GetBrandFileKey());
  ASSERT_TRUE(WriteFileBytes(Path("stored.trm"), stored));
  ASSERT_EQ(d->LoadConfiguration(Name(Path("stored.trm"))), 1);
  EXPECT_EQ(ReadFileBytes(Path("stored.trm")), stored);
  int32_t map[12][12] = {};
  int32_t rpm[12] = {};
  int32_t volts[12] = {};
  ASSERT_EQ(d->LoadMapOnly(Name(Path("stored.trm")), map, rpm, volts), 1);
  EXPECT_EQ(ReadFileBytes(Path("stored.trm")), stored);
}

TEST_F(EcuConfigContent, LoadMapOnlyFillsTheCallersBuffers) {
  const QByteArray text = CoreText("\r\n", 5);
  ASSERT_TRUE(WriteFileBytes(Path("base.trm"), kStoredHeader + XorWithKey(text, GetBrandFileKey())));
  auto d = NewData();
  const QByteArray before = Snapshot(*d);
  int32_t map[12][12] = {};
  int32_t rpm[12] = {};
  int32_t volts[12] = {};
  ASSERT_EQ(d->LoadMapOnly(Name(Path("base.trm")), map, rpm, volts), 1);
  EXPECT_EQ(rpm[0], 605);
  EXPECT_EQ(volts[11], 103);
  EXPECT_EQ(map[4][7], 1052);
  EXPECT_EQ(QString(d->FilePath), Path("base.trm"));
  EXPECT_EQ(Snapshot(*d), before);
}

TEST_F(EcuConfigContent, DamagedOrForeignFilesAreRefusedAndChangeNothing) {
  auto good = NewData();
  good->Mappa[3][10] = 1234;
  ASSERT_EQ(good->SaveConfiguration(Name(Path("good.trm"))), 1);
  const QByteArray stored = ReadFileBytes(Path("good.trm"));
  const QByteArray plain = PlainOf(Path("good.trm"));
  const auto cutAt = [&](const char* marker) { return stored.left(kStoredHeader.size() + plain.indexOf(marker)); };
  QByteArray flipped = stored;
  flipped[kStoredHeader.size() + plain.indexOf("Mappa3_10=") + 10] ^= 0x40;  // '1' becomes 'q'
  QByteArray noise(2000, '\0');
  uint32_t seed = 12345;
  for (char& c : noise) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);

  struct Case {
    const char* what;
    QByteArray content;
  } cases[] = {
      {"empty", {}},
      {"header only", kStoredHeader},
      {"cut in half", stored.left(stored.size() / 2)},
      {"cut one byte short", stored.chopped(1)},
      {"cut inside the gas map at a line end", cutAt("Mappa5_5=")},
      {"cut after the maps at a line end", cutAt("[Cutoff]")},
      {"a damaged byte", flipped},
      {"noise", noise},
      {"another brand's key", kStoredHeader + XorWithKey(plain, "AnotherBrand")},
      {"another program's INI", kStoredHeader + XorWithKey("[Impostazioni]\r\nLingua=0\r\n", GetBrandFileKey())},
      {"plain text without maps", "DECRYPTED_DOZA_FILE\r\n[Generale]\r\nFlag1=1\r\n"},
  };
  auto d = NewData();
  d->Mappa[0][0] = 4444;
  d->SetDatoVetturaStr(1, "Prima");
  d->SetDescription("Prima");
  d->Changed = true;
  ASSERT_TRUE(d->SetFilePath("/before/path.trm"));
  const QByteArray before = Snapshot(*d);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(WriteFileBytes(Path("bad.trm"), c.content));
    link.Clear();
    int32_t map[12][12] = {};
    int32_t rpm[12] = {7};
    int32_t volts[12] = {};
    EXPECT_EQ(d->LoadConfiguration(Name(Path("bad.trm"))), 0);
    EXPECT_EQ(d->LoadConfiguration(Name(Path("bad.trm")), true), 0);
    EXPECT_EQ(d->LoadMapOnly(Name(Path("bad.trm")), map, rpm, volts), 0);
    EXPECT_EQ(rpm[0], 7);
    EXPECT_TRUE(link.log.empty());  // nothing reached the ECU
    EXPECT_STREQ(d->FilePath, "/before/path.trm");
    EXPECT_TRUE(d->Changed);
    EXPECT_FALSE(d->IniOpen);
    EXPECT_STREQ(d->GetDescription(), "Prima");
    EXPECT_EQ(ReadFileBytes(Path("bad.trm")), c.content);  // never rewritten
    EXPECT_EQ(Snapshot(*d), before);
  }
  EXPECT_EQ(d->LoadConfiguration(Name(Path("missing.trm"))), 0);
  EXPECT_EQ(d->LoadConfiguration(Name(dir.path())), 0);
  EXPECT_EQ(Snapshot(*d), before);
}

TEST_F(EcuConfigContent, FailedSaveLeavesTheOldFileAndTheChangedFlag) {
  auto d = NewData();
  ASSERT_EQ(d->SaveConfiguration(Name(Path("conf.trm"))), 1);
  const QByteArray old = ReadFileBytes(Path("conf.trm"));
  d->Mappa[5][5] = 999;
  d->Changed = true;

  ASSERT_TRUE(QFile::setPermissions(Path("conf.trm"), QFileDevice::ReadOwner));
  EXPECT_EQ(d->SaveConfiguration(Name(Path("conf.trm"))), 0);
  EXPECT_EQ(d->SaveConfiguration(), 0);
  ASSERT_TRUE(QFile::setPermissions(Path("conf.trm"), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
  EXPECT_EQ(ReadFileBytes(Path("conf.trm")), old);
  EXPECT_TRUE(d->Changed);

  ASSERT_TRUE(QDir(dir.path()).mkdir("folder.trm"));
  EXPECT_EQ(d->SaveConfiguration(Name(Path("folder.trm"))), 0);
  EXPECT_EQ(d->SaveConfiguration(Name(Path("no such folder/conf.trm"))), 0);
  EXPECT_EQ(d->SaveConfiguration(std::string(300, 'x').c_str()), 0);
  EXPECT_EQ(QString(d->FilePath), Path("conf.trm"));
  EXPECT_TRUE(d->Changed);

  if (geteuid() != 0) {  // folder permissions do not hold back the superuser
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    EXPECT_EQ(d->SaveConfiguration(), 0);
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(ReadFileBytes(Path("conf.trm")), old);
  }
  // Nothing was left beside the target.
  const QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
  EXPECT_EQ(files, QStringList{"conf.trm"});

  ASSERT_EQ(d->SaveConfiguration(), 1);
  EXPECT_FALSE(d->Changed);
  EXPECT_NE(ReadFileBytes(Path("conf.trm")), old);
}

TEST_F(EcuConfigContent, ProgressRunsFromZeroToAHundred) {
  RecordingSink sink;
  SetMessageSink(&sink);
  auto d = NewData();
  ASSERT_EQ(d->SaveConfiguration(Name(Path("m.trm")), true), 1);
  const auto sumOfSteps = [&] {
    int sum = 0;
    for (const auto& [amount, mode] : sink.progress)
      if (mode == ProgressAdd) sum += static_cast<int>(amount);
    return sum;
  };
  ASSERT_GE(sink.progress.size(), 2u);
  EXPECT_EQ(sink.progress.front(), std::make_pair(intptr_t{0}, intptr_t{ProgressSet}));
  EXPECT_EQ(sink.progress.back(), std::make_pair(intptr_t{100}, intptr_t{ProgressSet}));
  EXPECT_EQ(sumOfSteps(), 3 + 12 * 6);  // axes, then each gas-map column

  for (const bool mapsOnly : {false, true}) {
    sink.progress.clear();
    ASSERT_EQ(d->LoadConfiguration(Name(Path("m.trm")), mapsOnly), 1);
    EXPECT_EQ(sink.progress.front(), std::make_pair(intptr_t{0}, intptr_t{ProgressSet}));
    EXPECT_EQ(sink.progress.back(), std::make_pair(intptr_t{100}, intptr_t{ProgressSet}));
    EXPECT_LE(sumOfSteps(), 100);
  }
  sink.progress.clear();
  int32_t map[12][12] = {};
  int32_t rpm[12] = {};
  int32_t volts[12] = {};
  ASSERT_EQ(d->LoadMapOnly(Name(Path("m.trm")), map, rpm, volts), 1);
  EXPECT_EQ(sumOfSteps(), 4 + 12 * 8);
  SetMessageSink(nullptr);
}

}  // namespace
