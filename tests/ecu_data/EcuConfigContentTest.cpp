// Saving and loading whole configurations: the stored file, the round trip, older formats and
// damaged files, failed saves.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "BrandProfile.h"
#include "ConfigFileFormat.h"
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
  for (int i = 0; i < 12; ++i)
    t += "RifGiri" + QByteArray::number(i) + "=" + QByteArray::number(600 + 450 * i + seed) + e;
  t += "[RiferimentiMAP]" + e;
  for (int i = 0; i < 12; ++i)
    t += "RifMAP" + QByteArray::number(i) + "=" + QByteArray::number(10 + 8 * i + seed) + e;
  t += "[MappaCarburazione]" + e;
  for (int c = 0; c < 12; ++c)
    for (int r = 0; r < 12; ++r)
      t += "Mappa" + QByteArray::number(r) + "_" + QByteArray::number(c) + "=" +
           QByteArray::number(1000 + 10 * r + c + seed) + e;
  return t;
}

// What the ECU can hold for each numeric key of a configuration file, by key name without its
// index: the ECU word of the field (byte, signed byte, word, signed word), whatever narrower
// range an editor keeps, since an ECU may hold any value of its word. Vehicle data never reach
// the ECU: any int32.
struct KeyRange {
  const char* key;
  int64_t lo;
  int64_t hi;
};
constexpr int64_t kMin32 = INT32_MIN;
constexpr int64_t kMax32 = INT32_MAX;
// clang-format off
const KeyRange kKeyRanges[] = {
    {"MajorVersionProg", kMin32, kMax32}, {"MinorVersionProg", kMin32, kMax32}, {"Ufficiale", kMin32, kMax32},
    {"CentCubici", kMin32, kMax32}, {"Valvole", kMin32, kMax32}, {"N cilindri", kMin32, kMax32},
    {"Potenza", kMin32, kMax32}, {"AnnoVettura", kMin32, kMax32}, {"Flag1", 0, 65535}, {"MonoFuel", 0, 255},
    {"Cilindrata", 0, 65535}, {"RifGiri", 0, 65535}, {"RifMAP", 0, 255}, {"Mappa", 0, 65535},
    {"MappaBenzina", 0, 65535}, {"TipoDiLambda", 0, 255}, {"RifLambda", 0, 255}, {"OffsetLambda", 0, 255},
    {"RitardoLetturaSonda", 0, 255}, {"TempoSondaFredda", 0, 255}, {"RifSupSondaFredda", 0, 255},
    {"RifInfSondaFredda", 0, 255}, {"RifSupSondaCalda", 0, 255}, {"RifInfSondaCalda", 0, 255},
    {"LivelloGasAlcol", 0, 255}, {"TemperaturaCambio", 0, 255}, {"GiriPerCambio", 0, 65535},
    {"RitardoMinimoCambio", 0, 255}, {"FuoriGiri", 0, 65535}, {"NumeroCilindri", 0, 255},
    {"FasciaGiriMinimo", 0, 65535}, {"GiriCutoff", 0, 65535}, {"ChiusuraCutoff", 0, 255},
    {"AperturaCutoff", 0, 255}, {"CicliCutoff", 0, 255}, {"CoefficienteCutoff", 0, 255},
    {"CoeffTermineCutoff", 0, 255}, {"DeltaCutoff", 0, 255}, {"CorrezioneInRilascio", -32768, 32767},
    {"TipoDiTps", 0, 255}, {"Isteresi", 0, 255}, {"TpsMoltoFuori", 0, 255},
    {"CoefficienteUscitaMinimo", 0, 255}, {"TempoCoefficienteUscitaMinimo", 0, 255}, {"TempoPer100", 0, 255},
    {"RifOpenLoop", 0, 255}, {"PassiInvArr", 0, 255}, {"PassiInvSmg", 0, 255}, {"PassiIngr", 0, 255},
    {"PassiSmag", 0, 255}, {"TempoAlto", 0, 255}, {"TempoBasso", 0, 255}, {"TempoSondaSconnessa", 0, 65535},
    {"NumeroOnde", 0, 255}, {"LivelloAlto", 0, 255}, {"LivelloBasso", 0, 255}, {"TipoSensore", 0, 255},
    {"TempoRitBenzina", 0, 255}, {"RifSensore", 0, 255}, {"MinErroreIntegrale", -32768, 32767},
    {"MaxErroreIntegrale", -32768, 32767}, {"MaxErroreIntegraleAlMinimo", -32768, 32767},
    {"MinErroreIntegraleAlMinimo", -32768, 32767}, {"TpsSbana", 0, 255}, {"GiriSbana", 0, 65535},
    {"TempiInversioneSbana", 0, 255}, {"TempoApSbana", 0, 255}, {"TempoChSbana", 0, 255},
    {"CorrRientroMin", -128, 127}, {"ArrPerTps", 0, 255}, {"VarCumulo", 0, 255}, {"MappaArr", 0, 255},
    {"RifCumulo", -128, 255}, {"MinCumulo", 0, 255}, {"TipoIniezione", 0, 255},
    {"CorrenteMantenimento", 0, 255}, {"DutyCorrenteHold", 0, 255}, {"TempoMaxCorrente", 0, 65535},
    {"Stato", 0, 65535}, {"Abilitazione", 0, 65535}, {"SequenzaIniezione", 0, 255},
    {"CorrezioneLivello", 0, 255}, {"TempoAperturaIniettore", 0, 65535}, {"NumeroInjUscitaMin", 0, 255},
    {"ArricchimentoAccelerazione", -128, 127}, {"ArrUscitaMin", -128, 127},
    {"CorrezioneFuoriMinimo", -32768, 32767}, {"CorrezioneAlMinimo", -32768, 32767},
    {"MassimoValoreCorrezione", 0, 255}, {"TempoTraCorrezioni", 0, 255},
    {"ZonaApprendimentoFuoriMinimo", 0, 255}, {"MinimoValoreCorrettore", 0, 255},
    {"TempoPerCorrezione", 0, 65535}, {"Rif", 0, 255}, {"Coeff", -128, 127}, {"TempoCicchetto", 0, 65535},
    {"TempoCicchettoTemp", 0, 255}, {"TempCicchetto", 0, 255}, {"OffsetMapEsterno", -32768, 32767},
    {"PendenzaMapEsterno", -32768, 32767}, {"OffsetDiff", -32768, 32767}, {"PendenzaDiff", -32768, 32767},
    {"RifPressDiff", 0, 255}, {"CoeffPressDiff", -128, 127}, {"RifGas", 0, 255}, {"CoeffGas", 0, 255},
};
// clang-format on

// The range of a key ("Mappa3_10" is a "Mappa" key); nullptr for a text key.
const KeyRange* RangeOf(const QByteArray& key) {
  QByteArray base = key;
  for (const KeyRange& r : kKeyRanges)
    if (base == r.key) return &r;
  while (!base.isEmpty() && (std::isdigit(static_cast<unsigned char>(base.back())) || base.back() == '_'))
    base.chop(1);
  for (const KeyRange& r : kKeyRanges)
    if (base == r.key) return &r;
  return nullptr;
}

// The key=value lines of a configuration text, the others as they stand, each without its line end.
struct TextLine {
  QByteArray key;  // empty for a section line
  QByteArray line;
};
std::vector<TextLine> LinesOf(const QByteArray& text) {
  std::vector<TextLine> lines;
  for (QByteArray line : text.split('\n')) {
    line = line.trimmed();
    if (line.isEmpty()) continue;
    const qsizetype eq = line.indexOf('=');
    lines.push_back({eq > 0 ? line.left(eq) : QByteArray(), line});
  }
  return lines;
}
QByteArray TextOf(const std::vector<TextLine>& lines) {
  QByteArray text;
  for (const TextLine& l : lines) text += l.line + "\r\n";
  return text;
}
// The text with the value of `key` replaced.
QByteArray WithValue(std::vector<TextLine> lines, const QByteArray& key, const QByteArray& value) {
  for (TextLine& l : lines)
    if (l.key == key) l.line = key + "=" + value;
  return TextOf(lines);
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
  const std::vector<std::string> sections{"Versione",
                                          "Generale",
                                          "RiferimentiGiri",
                                          "RiferimentiMAP",
                                          "MappaCarburazione",
                                          "Lambda",
                                          "SensoreDiLivello",
                                          "Accensione-Cambio",
                                          "Cutoff",
                                          "TPS",
                                          "OpenLoop",
                                          "PassiInversione",
                                          "TempiTraPassi",
                                          "Emulazione",
                                          "Carburazione",
                                          "Arricchimento",
                                          "Iniezione",
                                          "Diagnosi",
                                          "Adattativita",
                                          "Temperatura",
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
      // A value of its own inside what the ECU holds (the axes keep rising with n).
      int64_t v = n % 7 == 0 ? -n : n;
      if (const KeyRange* range = RangeOf(key); range && (v < range->lo || v > range->hi))
        v = range->lo + n % (range->hi - range->lo + 1);
      QByteArray value = QByteArray::number(v);
      if (key == "NomeConfigurazione")
        value = "b.trm";
      else if (key == "Potenza")
        value = QByteArray::number(n);  // trunc(x + 0.5) is for power >= 0
      else if (key == "Ufficiale")
        value = "1";
      else if (key.startsWith("M") && key.endsWith("VersionProg"))
        value = line.mid(eq + 1);
      else if (texts.contains(key))
        value = "t" + QByteArray::number(n);
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
      {"a damaged byte", flipped},
      {"a value too large for 32 bits",
       "DECRYPTED_DOZA_FILE\r\n" + WithValue(LinesOf(plain), "Mappa3_10", "2147483648")},
      {"noise", noise},
      {"another brand's key", kStoredHeader + XorWithKey(plain, "AnotherBrand")},
      {"another program's INI",
       kStoredHeader + XorWithKey("[Impostazioni]\r\nLingua=0\r\n", GetBrandFileKey())},
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
    // A file that reads as a configuration says which value is wrong.
    if (QByteArray(c.what).startsWith("a ")) {
      EXPECT_FALSE(d->FileRefusal().empty());
    }
    EXPECT_EQ(Snapshot(*d), before);
  }
  EXPECT_EQ(d->LoadConfiguration(Name(Path("missing.trm"))), 0);
  EXPECT_EQ(d->LoadConfiguration(Name(dir.path())), 0);
  EXPECT_EQ(Snapshot(*d), before);
}

TEST_F(EcuConfigContent, EveryKeyRefusesOneBelowItsMinimumAndOneAboveItsMaximum) {
  auto source = NewData();
  ASSERT_EQ(source->SaveConfiguration(Name(Path("whole.trm"))), 1);
  const std::vector<TextLine> lines = LinesOf(PlainOf(Path("whole.trm")));
  std::vector<TextLine> legacy = lines;
  for (size_t i = 0; i < legacy.size(); ++i)
    if (legacy[i].line == "[Cutoff]") {
      legacy.insert(legacy.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                    {{"CoefficienteCutoff", "CoefficienteCutoff=60"},
                     {"CoeffTermineCutoff", "CoeffTermineCutoff=20"},
                     {"DeltaCutoff", "DeltaCutoff=1"}});
      break;
    }
  // The first and the last key of every numeric key name: one below the minimum goes to the
  // first, one above the maximum to the last.
  std::map<std::string, std::pair<QByteArray, QByteArray>> keys;
  for (const TextLine& l : legacy)
    if (const KeyRange* range = RangeOf(l.key)) {
      auto [it, added] = keys.try_emplace(range->key, l.key, l.key);
      if (!added) it->second.second = l.key;
    }
  ASSERT_EQ(keys.size(), std::size(kKeyRanges));  // every name of the table is in a file

  auto d = NewData();
  d->Changed = true;
  ASSERT_TRUE(d->SetFilePath("/before/path.trm"));
  const QByteArray before = Snapshot(*d);
  int refused = 0;
  for (const auto& [name, firstAndLast] : keys) {
    const KeyRange& range = *RangeOf(firstAndLast.first);
    // The legacy ramp keys are read only from a file that holds them in place of the steps.
    const bool ramp = std::none_of(lines.begin(), lines.end(),
                                   [&](const TextLine& l) { return l.key == firstAndLast.first; });
    for (const auto& [key, value] :
         {std::pair{firstAndLast.first, range.lo - 1}, std::pair{firstAndLast.second, range.hi + 1}}) {
      SCOPED_TRACE(key.toStdString() + "=" + std::to_string(value));
      const QByteArray number = QByteArray::number(static_cast<qlonglong>(value));
      ASSERT_TRUE(WriteFileBytes(Path("bad.trm"),
                                 "DECRYPTED_DOZA_FILE\r\n" + WithValue(ramp ? legacy : lines, key, number)));
      link.Clear();
      refused += d->LoadConfiguration(Name(Path("bad.trm"))) == 0;
      EXPECT_EQ(d->FileRefusal().key, key.toStdString());
      EXPECT_EQ(d->FileRefusal().value, number.toStdString());
      // Beyond 32 bits a value is no number the file can hold at all.
      if (range.lo == INT32_MIN) {
        EXPECT_EQ(d->FileRefusal().reason, ConfigFileRefusal::Reason::NotANumber);
      } else {
        EXPECT_EQ(d->FileRefusal().reason, ConfigFileRefusal::Reason::OutOfRange);
        EXPECT_EQ(d->FileRefusal().lo, range.lo);
        EXPECT_EQ(d->FileRefusal().hi, range.hi);
      }
      EXPECT_TRUE(link.log.empty());
    }
  }
  EXPECT_EQ(refused, static_cast<int>(2 * keys.size()));
  EXPECT_STREQ(d->FilePath, "/before/path.trm");
  EXPECT_TRUE(d->Changed);
  EXPECT_EQ(Snapshot(*d), before);  // no refused file changed anything
}

TEST_F(EcuConfigContent, EveryKeyTakesItsMinimumAndItsMaximum) {
  auto source = NewData();
  ASSERT_EQ(source->SaveConfiguration(Name(Path("whole.trm"))), 1);
  const std::vector<TextLine> lines = LinesOf(PlainOf(Path("whole.trm")));
  for (const bool maximum : {false, true}) {
    SCOPED_TRACE(maximum ? "maximum" : "minimum");
    // The first key of each name at its minimum, or the last one at its maximum.
    std::vector<TextLine> edited = lines;
    std::map<std::string, TextLine*> chosen;
    for (TextLine& l : edited)
      if (const KeyRange* range = RangeOf(l.key))
        if (!maximum ? !chosen.count(range->key) : true) chosen[range->key] = &l;
    for (auto& [name, line] : chosen) {
      const KeyRange& range = *RangeOf(line->key);
      line->line = line->key + "=" +
                   QByteArray::number(static_cast<qlonglong>(maximum ? range.hi : range.lo));
    }
    ASSERT_TRUE(WriteFileBytes(Path("edge.trm"), "DECRYPTED_DOZA_FILE\r\n" + TextOf(edited)));
    auto d = NewData();
    ASSERT_EQ(d->LoadConfiguration(Name(Path("edge.trm"))), 1) << d->FileRefusal().Where();
    EXPECT_TRUE(d->FileRefusal().empty());
    // Saved again, every value comes back but those the save writes its own way.
    IniFile saved;
    saved.SetText(Snapshot(*d));
    for (const auto& [name, line] : chosen) {
      if (name == "MajorVersionProg" || name == "MinorVersionProg" || name == "Ufficiale" ||
          name == "Potenza")
        continue;
      const QByteArray section = [&] {
        QByteArray current;
        for (const TextLine& l : edited) {
          if (l.key.isEmpty()) current = l.line.mid(1, l.line.size() - 2);
          if (&l == line) break;
        }
        return current;
      }();
      EXPECT_EQ(saved.ReadString(section.toStdString(), line->key.toStdString(), "?"),
                line->line.mid(line->key.size() + 1).toStdString())
          << line->key.toStdString();
    }
  }
}

TEST_F(EcuConfigContent, MapBreakpointsLoadAsAnEcuHoldsThem) {
  // Equal or falling neighbours are what an ECU may hold and a data set read from it saves: the
  // file loads them as they are, for a whole load and for a map read alone.
  auto d = NewData();  // rpm breakpoints 500, 1000 ... 6000
  const std::vector<TextLine> whole = LinesOf(Snapshot(*d));
  const struct {
    QByteArray text;
    int index;  // of the breakpoint the file sets
    bool rpm;
    int32_t value;
  } cases[] = {
      {WithValue(whole, "RifGiri5", "100"), 5, true, 100},
      {WithValue(whole, "RifMAP3", "17"), 3, false, 17},          // below RifMAP2 (24)
      {"[RiferimentiGiri]\r\nRifGiri5=2500\r\n", 5, true, 2500},  // equal to the held RifGiri4
      {"[RiferimentiGiri]\r\nRifGiri0=1000\r\n", 0, true, 1000},  // equal to the held RifGiri1
      {"[RiferimentiMAP]\r\nRifMAP10=30\r\nRifMAP11=0\r\n", 11, false, 0},
      {"[RiferimentiGiri]\r\nRifGiri11=9000\r\nRifGiri10=9000\r\n", 10, true, 9000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    ASSERT_TRUE(WriteFileBytes(Path("axes.trm"), "DECRYPTED_DOZA_FILE\r\n" + c.text));
    auto data = NewData();
    EXPECT_EQ(data->LoadConfiguration(Name(Path("axes.trm"))), 1) << data->FileRefusal().Where();
    EXPECT_EQ((c.rpm ? data->RifGiri : data->RifMAP)[c.index], c.value);
    int32_t map[12][12] = {};
    int32_t rpm[12] = {};
    int32_t volts[12] = {};
    EXPECT_EQ(d->LoadMapOnly(Name(Path("axes.trm")), map, rpm, volts), 1) << d->FileRefusal().Where();
    EXPECT_EQ((c.rpm ? rpm : volts)[c.index], c.value);
  }
}

// Vehicle texts come back as they were set: a reader drops blanks around a value and a pair of
// quotes around it, so such texts are saved in quotes; control characters (an ECU description
// may hold any byte) are blanks in the data set already.
TEST_F(EcuConfigContent, VehicleTextsComeBackAsTheyWereSet) {
  const struct {
    const char* set;
    const char* held;
  } cases[] = {
      {"  Golf", "  Golf"},
      {"Golf  ", "Golf  "},
      {"\"Golf\"", "\"Golf\""},
      {"'Golf'", "'Golf'"},
      {"\"", "\""},
      {"Golf\r\n[Lambda]", "Golf  [Lambda]"},
      {"a\tb\x7F", "a b "},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.set);
    auto d = NewData();
    for (int id = 1; id <= 5; ++id) d->SetDatoVetturaStr(id, c.set);
    EXPECT_STREQ(d->Motore, c.held);
    ASSERT_EQ(d->SaveConfiguration(Name(Path("texts.trm"))), 1);
    auto back = NewData();
    ASSERT_EQ(back->LoadConfiguration(Name(Path("texts.trm"))), 1) << back->FileRefusal().Where();
    EXPECT_STREQ(back->DescrizAuto, d->DescrizAuto);
    EXPECT_STREQ(back->Euro, d->Euro);  // the shortest field, cut to 10 characters
    EXPECT_STREQ(back->Motore, d->Motore);
    EXPECT_STREQ(back->Centralina, d->Centralina);
    EXPECT_STREQ(back->Cambio, d->Cambio);
  }
}

// A file far larger than any configuration is refused before it is read, for a whole load and
// for a map read alone, and the refusal names the file and its size; at the limit it loads.
TEST_F(EcuConfigContent, FarLargerFilesAreRefusedBeforeTheyAreRead) {
  const QByteArray head = "DECRYPTED_DOZA_FILE\r\n[Generale]\r\nCilindrata=1600\r\n";
  const QByteArray filler = "Altro=1\r\n";
  // Ends with its line end, so the copy written back after the load is no larger.
  QByteArray atLimit = head + filler.repeated((kMaxConfigFileSize - head.size()) / filler.size() - 1);
  atLimit += QByteArray(kMaxConfigFileSize - atLimit.size() - 2, ' ') + "\r\n";
  ASSERT_EQ(atLimit.size(), kMaxConfigFileSize);
  for (const bool over : {false, true}) {
    SCOPED_TRACE(over);
    const QByteArray content = over ? atLimit + " " : atLimit;
    ASSERT_TRUE(WriteFileBytes(Path("big.trm"), content));
    auto d = NewData();
    d->Cilindrata = 0;
    EXPECT_EQ(d->LoadConfiguration(Name(Path("big.trm"))), over ? 0 : 1) << d->FileRefusal().Where();
    EXPECT_EQ(d->Cilindrata, over ? 0 : 1600);
    EXPECT_EQ(d->OversizedFile().size, over ? content.size() : 0);
    EXPECT_EQ(d->OversizedFile().path, over ? Name(Path("big.trm")).toStdString() : "");
    EXPECT_TRUE(d->FileRefusal().empty());
    int32_t map[12][12] = {}, rpm[12] = {}, volts[12] = {};
    ASSERT_TRUE(WriteFileBytes(Path("big.trm"), content));  // the load above stored it anew
    EXPECT_EQ(d->LoadMapOnly(Name(Path("big.trm")), map, rpm, volts), over ? 0 : 1);
    EXPECT_EQ(d->OversizedFile().size, over ? content.size() : 0);
  }
  // The next load that is not refused for its size clears the note.
  auto d = NewData();
  ASSERT_TRUE(WriteFileBytes(Path("big.trm"), atLimit + " "));
  EXPECT_EQ(d->LoadConfiguration(Name(Path("big.trm"))), 0);
  EXPECT_EQ(d->LoadConfiguration(Name(Path("missing.trm"))), 0);
  EXPECT_EQ(d->OversizedFile().size, 0);
}

// An INI text with CR LF line ends, padded to `size` bytes: a configuration's core and filler.
QByteArray PaddedText(qsizetype size) {
  QByteArray text = "[Versione]\r\nMajorVersionProg=3\r\nMinorVersionProg=6\r\n" + CoreText("\r\n", 0) +
                    "[Altro]\r\n";
  const QByteArray filler = "Riga=" + QByteArray(993, '1') + "\r\n";  // long lines read fast
  text += filler.repeated((size - text.size()) / filler.size() - 1);
  text += "Riga=" + QByteArray(size - text.size() - 7, '1') + "\r\n";
  EXPECT_EQ(text.size(), size);
  return text;
}

// A plain copy or an older file is written back in the stored form when it is opened, and gains
// a header or CR LF line ends on the way: it opens only when what is written stays within the
// limit, so the next open takes it too. One that would pass it is refused before anything is
// written, naming the size it would have, and stays byte for byte as it was.
TEST_F(EcuConfigContent, AFileWrittenBackOnOpenStaysWithinTheLimit) {
  constexpr qsizetype kHeader = 21;  // "ENCRYPTED_DOZA_FILE" CR LF
  for (const qsizetype stored : {qsizetype{kMaxConfigFileSize}, qsizetype{kMaxConfigFileSize + 1}}) {
    const QByteArray body = PaddedText(stored - kHeader);
    const struct {
      const char* what;
      QByteArray content;
    } forms[] = {
        {"plain copy with LF line ends", "DECRYPTED_DOZA_FILE\n" + QByteArray(body).replace("\r\n", "\n")},
        {"plain copy without its last line end", "DECRYPTED_DOZA_FILE\r\n" + body.chopped(2)},
        {"older file without header", XorWithKey(body, GetBrandFileKey())},
    };
    for (const auto& f : forms) {
      const bool fits = stored <= kMaxConfigFileSize;
      SCOPED_TRACE(std::string(f.what) + ", stored " + std::to_string(stored));
      for (const int load : {0, 1, 2}) {  // whole, maps only, the map of a base calibration
        SCOPED_TRACE(load);
        ASSERT_TRUE(WriteFileBytes(Path("near.trm"), f.content));
        auto d = NewData();
        d->Mappa[0][0] = 4444;
        int32_t map[12][12] = {}, rpm[12] = {}, volts[12] = {};
        const int result = load == 2 ? d->LoadMapOnly(Name(Path("near.trm")), map, rpm, volts)
                                     : d->LoadConfiguration(Name(Path("near.trm")), load == 1);
        EXPECT_EQ(result, fits ? 1 : 0);
        EXPECT_EQ(d->OversizedFile().size, fits ? 0 : stored);
        EXPECT_EQ(d->OversizedFile().rewrite, !fits);
        EXPECT_EQ(d->OversizedFile().path, fits ? "" : Name(Path("near.trm")).toStdString());
        if (!fits) {
          EXPECT_EQ(ReadFileBytes(Path("near.trm")), f.content);
          EXPECT_EQ(d->Mappa[0][0], 4444);
          EXPECT_EQ(rpm[0], 0);
          continue;
        }
        EXPECT_EQ(ReadFileBytes(Path("near.trm")), kStoredHeader + XorWithKey(body, GetBrandFileKey()));
        EXPECT_EQ(load == 2 ? map[0][0] : d->Mappa[0][0], 1000);
        auto again = NewData();
        EXPECT_EQ(again->LoadConfiguration(Name(Path("near.trm"))), 1);
        EXPECT_EQ(again->Mappa[0][0], 1000);
      }
    }
  }
}

TEST_F(EcuConfigContent, ValuesThatAreNotWholeNumbersRefuseTheFile) {
  auto source = NewData();
  source->Flag1 = 0x6C;
  ASSERT_EQ(source->SaveConfiguration(Name(Path("whole.trm"))), 1);
  const std::vector<TextLine> lines = LinesOf(PlainOf(Path("whole.trm")));
  const struct {
    const char* key;
    QByteArray value;
    int loads;
    int32_t flag1;  // after the load
  } cases[] = {
      {"Flag1", "12abc", 0, 1},          {"Flag1", "1.5", 0, 1},
      {"Flag1", "0x10", 0, 1},           {"Mappa3_10", "--3", 0, 1},
      {"Ufficiale", "si", 0, 1},         {"Potenza", "75,5", 0, 1},
      {"MajorVersionProg", "3.6", 0, 1}, {"Flag1", " 108 ", 1, 108},
      {"Flag1", "+108", 1, 108},         {"Flag1", "", 1, 1},  // an empty value keeps the field
      {"Motore", "1.4 16V", 1, 0x6C},                          // a text is a text
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.key) + "=" + c.value.toStdString());
    ASSERT_TRUE(WriteFileBytes(Path("n.trm"), "DECRYPTED_DOZA_FILE\r\n" + WithValue(lines, c.key, c.value)));
    auto d = NewData();
    d->Flag1 = 1;
    EXPECT_EQ(d->LoadConfiguration(Name(Path("n.trm"))), c.loads);
    EXPECT_EQ(d->Flag1, c.flag1);
    if (!c.loads) {
      EXPECT_EQ(d->FileRefusal().key, c.key);
      EXPECT_EQ(d->FileRefusal().value, c.value.toStdString());
      EXPECT_EQ(d->FileRefusal().reason, ConfigFileRefusal::Reason::NotANumber);
    }
  }
}

TEST_F(EcuConfigContent, MissingKeysKeepTheirFields) {
  auto source = NewData();
  source->Mappa[3][10] = 4321;
  source->GiriCutoff = 2200;
  ASSERT_EQ(source->SaveConfiguration(Name(Path("whole.trm"))), 1);
  const QByteArray plain = PlainOf(Path("whole.trm"));
  const QByteArray without =
      QByteArray(plain).replace("Mappa3_10=4321\r\n", "").replace("CicliCutoff=51\r\n", "");
  ASSERT_EQ(without.size() + 32, plain.size());
  // A 3.6 file with the legacy ramp in place of the steps.
  QByteArray ramp = plain;
  const qsizetype cut = ramp.indexOf("ChiusuraCutoff=");
  ramp.remove(cut, ramp.indexOf("CorrezioneInRilascio=") - cut);
  ramp.insert(cut, "CoefficienteCutoff=60\r\nCoeffTermineCutoff=20\r\nDeltaCutoff=1\r\n");
  const char* const key = GetBrandFileKey();
  const struct {
    const char* what;
    QByteArray content;
    int32_t mappa, cicli, giriCutoff;  // after the load, from a data set holding 1111, 0x35, 1800
  } cases[] = {
      {"a line deleted by hand", "DECRYPTED_DOZA_FILE\r\n" + without, 1111, 0x35, 2200},
      {"no line end after the last line", "DECRYPTED_DOZA_FILE\r\n" + plain.chopped(2), 4321, 0x33, 2200},
      {"stored, cut after the maps", kStoredHeader + XorWithKey(plain.left(plain.indexOf("[Lambda]")), key),
       4321, 0x35, 1800},
      {"stored, one byte short", kStoredHeader + XorWithKey(plain.chopped(1), key), 4321, 0x33, 2200},
      {"the cut-off as a ramp", "DECRYPTED_DOZA_FILE\r\n" + ramp, 4321, 0x35, 2200},
      {"a few values", "DECRYPTED_DOZA_FILE\r\n[Generale]\r\nFlag1=108\r\n", 1111, 0x35, 1800},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(WriteFileBytes(Path("part.trm"), c.content));
    auto d = NewData();
    d->Mappa[3][10] = 1111;
    d->CicliCutoff = 0x35;
    d->Changed = true;
    EXPECT_EQ(d->LoadConfiguration(Name(Path("part.trm"))), 1) << d->FileRefusal().Where();
    EXPECT_FALSE(d->Changed);
    EXPECT_EQ(d->Mappa[3][10], c.mappa);
    EXPECT_EQ(d->CicliCutoff, c.cicli);
    EXPECT_EQ(d->GiriCutoff, c.giriCutoff);
    if (QByteArray(c.what).contains("ramp")) {
      EXPECT_EQ(d->ChiusuraCutoff, 15);  // 60 / 1 / (5 cycles - 1)
      EXPECT_EQ(d->AperturaCutoff, 20);  // (100 - 20) / 4
    }
  }
  // A map read alone changes only what the file holds.
  ASSERT_TRUE(
      WriteFileBytes(Path("part.trm"), "DECRYPTED_DOZA_FILE\r\n[MappaCarburazione]\r\nMappa3_10=4321\r\n"));
  auto d = NewData();
  int32_t map[12][12];
  int32_t rpm[12];
  int32_t volts[12];
  std::fill(&map[0][0], &map[0][0] + 144, 7);
  std::copy(std::begin(d->RifGiri), std::end(d->RifGiri), rpm);
  std::copy(std::begin(d->RifMAP), std::end(d->RifMAP), volts);
  ASSERT_EQ(d->LoadMapOnly(Name(Path("part.trm")), map, rpm, volts), 1);
  EXPECT_EQ(map[3][10], 4321);
  EXPECT_EQ(std::count(&map[0][0], &map[0][0] + 144, 7), 143);
  EXPECT_EQ(std::memcmp(rpm, d->RifGiri, sizeof rpm), 0);
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
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
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
