// The whole-configuration passes and the ECU exchanges against the simulated ECU: golden call
// logs (progress messages and pauses in their places), absent items, the round trip.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Clock.h"
#include "EcuData.h"
#include "EcuFieldList.h"
#include "FakeLink.h"
#include "MessageSink.h"
#include "SimLink.h"

namespace {

// One timeline of the link calls, the progress messages and the pauses.
struct Timeline {
  const SimulatedEcu* ecu = nullptr;
  struct Mark {
    size_t at;  // number of link calls before it
    std::string text;
  };
  std::vector<Mark> marks;
  void Add(std::string text) { marks.push_back({ecu->Calls().size(), std::move(text)}); }
};

class TimelineSink final : public IMessageSink {
 public:
  explicit TimelineSink(Timeline& t) : t_(t) {}
  void PostToForms(unsigned, intptr_t, intptr_t) override {}
  void SendToForms(unsigned, intptr_t, intptr_t) override {}
  void SendToActive(unsigned msg, intptr_t w, intptr_t l) override {
    if (msg == WM_PROGRESS) t_.Add((l == ProgressSet ? "P=" : "P+") + std::to_string(w));
  }

 private:
  Timeline& t_;
};

class TimelineClock final : public IClock {
 public:
  explicit TimelineClock(Timeline& t) : t_(t) {}
  uint32_t GetTickCount() override { return fake.GetTickCount(); }
  void Sleep(uint32_t ms) override {
    t_.Add("Sleep " + std::to_string(ms));
    fake.Sleep(ms);
  }
  FakeClock fake;

 private:
  Timeline& t_;
};

std::string Render(const SimCall& c) {
  char text[64];
  switch (c.op) {
    case SimOp::ReadRow:
    case SimOp::WriteRow:
    case SimOp::WriteElement:
      std::snprintf(text, sizeof text, "%s 0x%X %d", SimOpName(c.op), c.code, c.a);
      break;
    case SimOp::ReadVariable:
    case SimOp::WriteVariable:
    case SimOp::WriteArray:
    case SimOp::ReadBytes:
      std::snprintf(text, sizeof text, "%s 0x%X", SimOpName(c.op), c.code);
      break;
    default:
      std::snprintf(text, sizeof text, "%s", SimOpName(c.op));
      break;
  }
  return text;
}

// The expected timeline, written step by step as the passes are specified.
struct Golden {
  std::vector<std::string> lines;
  void Add(const char* op, int code) {
    char text[64];
    std::snprintf(text, sizeof text, "%s 0x%X", op, code);
    lines.emplace_back(text);
  }
  void Add(const char* op, int code, int row) {
    char text[64];
    std::snprintf(text, sizeof text, "%s 0x%X %d", op, code, row);
    lines.emplace_back(text);
  }
  void R(std::initializer_list<int> codes) {
    for (int c : codes) Add("ReadVariable", c);
  }
  void W(std::initializer_list<int> codes) {
    for (int c : codes) Add("WriteVariable", c);
  }
  void WA(std::initializer_list<int> codes) {
    for (int c : codes) Add("WriteArray", c);
  }
  void Err() { lines.emplace_back("GetLastErrorCode"); }
  void P(int n) { lines.push_back("P+" + std::to_string(n)); }
  void PSet(int n) { lines.push_back("P=" + std::to_string(n)); }
  void Sleep(int ms) { lines.push_back("Sleep " + std::to_string(ms)); }
};

struct ReadShape {
  bool olderEcu = true;  // version byte below 4 and model below 109
  bool enrichmentMap = true;
  int enrichmentRows = 5;
  bool rowCountMissing = false;  // ReadBytes of the row count fails
  bool rifGasMissing = false;    // the read of 0xA17D fails
};

Golden ReadAllGolden(const ReadShape& s) {
  Golden g;
  g.PSet(0);
  g.R({0x203, 0x81});
  g.Err();
  g.R({0xC30C, 0xC10D});
  g.P(5);
  for (int row = 0; row < 12; ++row) {
    g.P(2);
    g.Add("ReadRow", 0xC30E, row);
  }
  for (int row = 0; row < 12; ++row) {
    g.P(1);
    g.Add("ReadRow", 0xC34F, row);
    g.Err();
  }
  g.R({0x04, 0x05, 0x2F, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x70});
  g.P(5);
  g.R({0x0F, 0x210, 0x12, 0x11, 0x213});
  g.P(5);
  g.R({0x14, 0x215, 0x216, 0x17, 0x4D, 0x18, 0x59, 0x5A, 0x57, 0x1A, 0x1B, 0x3F});
  if (s.olderEcu) g.W({0x64, 0x65, 0x66});
  g.R({0x64, 0x65, 0x66});
  g.P(5);
  g.R({0xC11C, 0xC11D, 0xC119});
  g.P(5);
  g.R({0xC11E, 0xC11F});
  g.P(5);
  g.R({0x20, 0x21, 0x222, 0x23, 0x47, 0x48, 0x24, 0x4125});
  g.P(5);
  g.R({0x627, 0x626, 0x628, 0x629, 0x2C, 0x22D, 0x2E, 0x46, 0x45});
  if (s.enrichmentMap) {
    g.R({0x5132});
    g.Add("ReadBytes", 0x4);
    if (s.rowCountMissing) g.Err();  // a failed read: an item the ECU lacks, or a lost link?
    for (int row = 0; row < s.enrichmentRows; ++row) g.Add("ReadRow", 0x6136, row);
  } else {
    g.R({0x6131});
  }
  g.R({0x6130});
  g.P(4);
  g.R({0x33, 0x34, 0x38, 0x7F, 0x14135});
  g.Add("WriteElement", 0x35, 0);  // the official flag as read
  g.P(2);
  g.R({0x2339, 0x233A, 0x43, 0x44, 0x23B, 0x23C, 0x3E, 0x449, 0x66C, 0x24A, 0x24B, 0x814E, 0x5150});
  g.P(2);
  g.R({0x253, 0x9113D, 0x91737, 0x56, 0x6555, 0x458, 0x671, 0x672, 0x73, 0x74, 0x75, 0x76, 0x277, 0xA12A,
       0x9578});
  g.Err();
  g.R({0x26D});
  g.Err();
  g.R({0x3184});
  g.Err();
  g.R({0x3185, 0x477A});
  g.Err();
  g.R({0x917B, 0x957C, 0xA17D});
  if (s.rifGasMissing) g.Err();
  g.R({0x917E});
  g.lines.emplace_back("IsLinkOpen");  // the pass asks whether the link stayed open
  g.PSet(100);
  g.Sleep(400);
  return g;
}

struct WriteShape {
  bool mapsOnly = false;
  bool olderEcu = false;  // version byte 0: the legacy ramp
  bool enrichmentMap = true;
  int enrichmentRows = 4;
  bool monoFuel = false, coeffTemp = true, tempoCicchetto = false, cicchettoTemp = true,
       datiAggiuntivi = true;
};

Golden WriteAllGolden(const WriteShape& s) {
  Golden g;
  g.PSet(0);
  g.WA({0xC30C, 0xC10D});
  g.P(s.mapsOnly ? 15 : 5);
  for (int row = 0; row < 12; ++row) {
    g.Add("WriteRow", 0xC30E, row);
    g.P(s.mapsOnly ? 9 : 2);
  }
  if (s.mapsOnly) return g;
  for (int row = 0; row < 12; ++row) {
    g.Add("WriteRow", 0xC34F, row);
    g.P(2);
  }
  g.W({0x203});
  if (s.monoFuel) g.W({0x81});
  g.W({0x04, 0x05, 0x2F, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x70});
  g.P(5);
  g.W({0x0F, 0x210, 0x12, 0x11, 0x213});
  g.P(5);
  g.W({0x14, 0x215, 0x216});
  if (s.olderEcu)
    g.W({0x17, 0x4D, 0x18});
  else
    g.W({0x59, 0x5A, 0x57});
  g.W({0x1A, 0x1B, 0x3F, 0x64, 0x65, 0x66});
  g.P(5);
  g.WA({0xC11C, 0xC11D, 0xC119});
  g.P(5);
  g.WA({0xC11E, 0xC11F});
  g.P(5);
  g.W({0x20, 0x21, 0x222, 0x23, 0x47, 0x48, 0x24});
  g.WA({0x4125});
  g.P(5);
  g.W({0x627, 0x626, 0x628, 0x629, 0x2C, 0x22D, 0x2E, 0x46, 0x45});
  if (s.enrichmentMap) {
    for (int row = 0; row < s.enrichmentRows; ++row) g.Add("WriteRow", 0x6136, row);
    for (int i = 0; i < s.enrichmentRows; ++i) g.Add("WriteElement", 0x432, i);
  } else {
    g.WA({0x6131});
  }
  g.WA({0x6130});
  g.P(4);
  g.W({0x33, 0x34, 0x38, 0x7F});
  g.WA({0x14135});
  g.P(2);
  g.WA({0x2339, 0x233A});
  g.W({0x23B, 0x23C, 0x3E, 0x449, 0x66C, 0x24A, 0x24B});
  g.WA({0x814E, 0x5150});
  g.W({0x253, 0x56});
  g.WA({0x6555});
  g.W({0x458, 0x671, 0x672, 0x73, 0x74, 0x75, 0x76, 0x277});
  g.WA({0xA12A});
  if (s.coeffTemp) g.WA({0x9578});
  if (s.tempoCicchetto) g.W({0x26D});
  if (s.cicchettoTemp) g.WA({0x3184});
  g.WA({0x3185});
  if (s.datiAggiuntivi) g.WA({0x477A});
  g.WA({0x917B, 0x957C, 0xA17D, 0x917E});
  g.PSet(100);
  g.Sleep(400);
  return g;
}

class ExchangeTest : public ::testing::Test {
 protected:
  ExchangeTest() : clock(timeline), useClock(&clock), sink(timeline), link(ecu), useLink(&link) {
    timeline.ecu = &ecu;
    previousSink = &MessageSink();
    SetMessageSink(&sink);
    link.OpenLink();
    link.Connect();
    clock.Sleep(1000);  // the ECU becomes ready
    ecu.ClearCalls();
    timeline.marks.clear();
  }
  ~ExchangeTest() override { SetMessageSink(previousSink); }

  // The merged timeline since the last Reset.
  std::vector<std::string> Log() const {
    std::vector<std::string> out;
    size_t m = 0;
    const auto& calls = ecu.Calls();
    for (size_t i = 0; i <= calls.size(); ++i) {
      while (m < timeline.marks.size() && timeline.marks[m].at == i) out.push_back(timeline.marks[m++].text);
      if (i < calls.size()) out.push_back(Render(calls[i]));
    }
    return out;
  }
  // The shape with what this ECU lacks of the read's last items.
  ReadShape Shape(ReadShape s) const {
    s.rifGasMissing = ecu.StoredValues(0xA17D).size() < 10;
    return s;
  }
  void Reset() {
    ecu.ClearCalls();
    timeline.marks.clear();
  }
  int ProgressSum() const {
    int sum = 0;
    for (const auto& m : timeline.marks)
      if (m.text.rfind("P+", 0) == 0) sum += std::stoi(m.text.substr(2));
    return sum;
  }

  Timeline timeline;
  TimelineClock clock;
  ScopedClock useClock;
  TimelineSink sink;
  IMessageSink* previousSink = nullptr;
  SimulatedEcu ecu;
  SimLink link;
  ScopedLink useLink;
  TEcuData data{"exchange"};
};

TEST_F(ExchangeTest, ReadAllGoldenLog) {
  ASSERT_EQ(data.ReadAll(), 1);
  EXPECT_EQ(Log(), ReadAllGolden(Shape({})).lines);
  EXPECT_TRUE(data.Changed);
  EXPECT_EQ(data.NumeroRigheArr, 5);
  EXPECT_EQ(data.NumeroZone, TEcuData::kZone);
  EXPECT_STREQ(data.DescrizAuto, data.GetDescription());
  EXPECT_EQ(clock.fake.Slept(), 1000u + 400u);  // the fixture's wait, then the pass's pause
}

TEST_F(ExchangeTest, ReadAllBranchesOnVersionEnrichmentAndRowCount) {
  struct Case {
    const char* name;
    int model, software;
    int flag1;
    int rows;  // what ReadBytes reports; -1 fails
    ReadShape shape;
  } cases[] = {
      {"newer software", 1, 4, 0x6C, 5, {false, true, 5}},
      {"newer model", 109, 1, 0x6C, 5, {false, true, 5}},
      {"seven rows read as five", 1, 1, 0x6C, 7, {true, true, 5}},
      {"row count unknown", 1, 1, 0x6C, -1, {true, true, 4, true}},
      {"enrichment per throttle step", 1, 1, 0x64, 5, {true, false, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    data.Identita[2] = static_cast<uint8_t>(c.model);
    data.Identita[3] = static_cast<uint8_t>(c.software);
    ecu.Store(0x203, 0, c.flag1);
    ecu.SetEnrichmentRows(c.rows);
    Reset();
    data.ReadAll();
    EXPECT_EQ(Log(), ReadAllGolden(Shape(c.shape)).lines);
    if (c.shape.enrichmentMap) {
      EXPECT_EQ(data.NumeroRigheArr, c.shape.enrichmentRows);
    }
  }
}

TEST_F(ExchangeTest, ReadAllRecordsAbsentItemsAndKeepsTheirFields) {
  data.SetMappaBenzina(3, 4, 2.0);
  const int32_t petrol = data.MappaBenzina[3][4];
  ecu.SetAbsent(0xC34F);
  ecu.SetAbsent(0x81);
  ecu.SetAbsent(0x9578);
  ecu.SetAbsent(0x26D);
  ecu.SetAbsent(0x3184);
  ecu.SetAbsent(0x477A);
  data.OffsetDiff = 77;
  data.ReadAll();
  EXPECT_FALSE(data.HasMappaBenzina);
  EXPECT_FALSE(data.HasMonoFuel);
  EXPECT_FALSE(data.HasCoeffTemp);
  EXPECT_FALSE(data.HasTempoCicchetto);
  EXPECT_FALSE(data.HasCicchettoTemp);
  EXPECT_FALSE(data.HasDatiAggiuntivi);
  EXPECT_EQ(data.MappaBenzina[3][4], petrol);
  EXPECT_EQ(data.OffsetDiff, 77);

  // WriteAll leaves out what the ECU lacks.
  Reset();
  data.Identita[3] = 1;
  data.WriteAll(false);
  WriteShape shape;
  shape.enrichmentRows = 5;
  shape.coeffTemp = shape.cicchettoTemp = shape.datiAggiuntivi = false;
  EXPECT_EQ(Log(), WriteAllGolden(shape).lines);
}

TEST_F(ExchangeTest, WriteAllGoldenLogs) {
  WriteShape whole;
  ASSERT_EQ(data.WriteAll(false), 0);
  EXPECT_EQ(Log(), WriteAllGolden(whole).lines);
  EXPECT_EQ(ecu.Stored(0x671), 0);

  Reset();
  data.Identita[3] = 0;  // older ECU: the legacy ramp, derived from the steps first
  data.HasMonoFuel = data.HasTempoCicchetto = true;
  data.Flag1 &= ~0x08;
  data.WriteAll(false);
  WriteShape older;
  older.olderEcu = true;
  older.monoFuel = older.tempoCicchetto = true;
  older.enrichmentMap = false;
  EXPECT_EQ(Log(), WriteAllGolden(older).lines);
  EXPECT_EQ(data.RampaChiusura, 2 * 20);
  EXPECT_EQ(data.RampaApertura, 100 - 2 * 20);
  EXPECT_EQ(ecu.Stored(0x17), 40);

  Reset();
  data.WriteAll(true);
  WriteShape maps;
  maps.mapsOnly = true;
  EXPECT_EQ(Log(), WriteAllGolden(maps).lines);
  EXPECT_EQ(ecu.CountCalls(SimOp::WriteArray), 2);
  EXPECT_EQ(ecu.CountCalls(SimOp::WriteRow), 12);
  EXPECT_EQ(ProgressSum(), 123);
  EXPECT_EQ(clock.fake.Slept(), 1000u + 2 * 400u);  // no pause after a maps-only write
}

// 0xA17D carries ten elements, RifGas holds nine: the tenth never reaches the next field.
TEST_F(ExchangeTest, GasTemperatureWordNeverSpillsIntoTheNextField) {
  ecu.Store(0xA17D, 9, 77);
  ecu.SetAbsent(0x917E);  // so nothing read later hides a spill into CoeffGas
  const int32_t coeff0 = data.CoeffGas[0];
  data.ReadAll();
  EXPECT_EQ(data.CoeffGas[0], coeff0);
  EXPECT_EQ(data.RifGas[8], ecu.Stored(0xA17D, 8));
  data.WriteAll(false);
  EXPECT_EQ(ecu.Stored(0xA17D, 9), 0);  // written from a zero-padded copy
  EXPECT_EQ(ecu.Stored(0xA17D, 8), data.RifGas[8]);
}

void ExpectEveryFieldEqual(const TEcuData& a, const TEcuData& b) {
#define SAME(field) EXPECT_EQ(std::memcmp(&a.field, &b.field, sizeof a.field), 0) << #field;
  ECU_FIELDS(SAME)
#undef SAME
  EXPECT_EQ(a.Ini == nullptr, b.Ini == nullptr);
}

TEST_F(ExchangeTest, DefaultsSurviveWriteAllAndReadAll) {
  // Every variable of the ECU starts out different from the defaults, so that what comes back
  // can only be what the write-all sent.
  for (int key = 0; key < 0x300; ++key) {
    if (!ecu.HasVariable(key)) continue;
    const int n = static_cast<int>(ecu.StoredValues(key).size());
    for (int i = 0; i < n; ++i) ecu.Store(key, i, (key * 7 + i * 3 + 1) & 0x7F);
  }
  ecu.SetEnrichmentRows(4);
  TEcuData expected("round trip");
  expected.WriteAll(false);

  TEcuData back("round trip");
  back.Identita[2] = 109;  // read as a newer ECU: nothing written during the read
  expected.Identita[2] = 109;
  Reset();
  back.ReadAll();
  EXPECT_EQ(ecu.CountCalls(SimOp::WriteVariable, 0x64), 0);

  // What the read-all pass itself decides, and what the write-all never sends: the legacy
  // ramp (this ECU takes the steps), the zone tables, the live values, the variables the
  // defaults call absent.
  expected.Changed = true;
  expected.SetDatoVetturaStr(1, expected.GetDescription());
  expected.HasMonoFuel = expected.HasTempoCicchetto = true;
  expected.MonoFuel = ecu.Stored(0x81);
  expected.TempoCicchetto = ecu.Stored(0x26D);
  expected.RampaChiusura = ecu.Stored(0x17);
  expected.RampaApertura = ecu.Stored(0x4D);
  expected.RampaValida = ecu.Stored(0x18);
  expected.Live43 = ecu.Stored(0x43);
  expected.Live44 = ecu.Stored(0x44);
  expected.RifCumulo[4] = ecu.Stored(0x5132, 4);  // only the breakpoints of the rows in use go
  for (int z = 0; z < TEcuData::kZone; ++z) {
    expected.CoefficienteZona[z] = ecu.Stored(0x9113D, z);
    expected.CorrezioneZona[z] = ecu.Stored(0x91737, z);
  }
  expected.NumeroZone = TEcuData::kZone;
  ExpectEveryFieldEqual(expected, back);
}

// The accumulation references are read as the unsigned bytes the live accumulator is compared
// with, and written signed: every byte an ECU holds reads as 0..255, and whatever the read or an
// edit put in the data set is saved, opened again and written back as the same byte.
TEST_F(ExchangeTest, AccumulationReferencesOfEveryByteRoundTrip) {
  ASSERT_TRUE(data.IsMappaArricchimento());
  ecu.SetEnrichmentRows(5);
  QTemporaryDir dir;
  const QByteArray file = QFile::encodeName(dir.filePath("cumulo.trm"));
  const struct {
    int32_t held;  // by the data set, read from the ECU or set by an edit
    bool edited;
    int32_t byte;  // what the ECU holds
  } cases[] = {{0, false, 0},     {100, false, 100}, {127, false, 127}, {128, false, 128}, {200, false, 200},
               {255, false, 255}, {-56, true, 200},  {-128, true, 128}, {255, true, 255}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.held) + (c.edited ? " set" : " read"));
    if (c.edited) {
      data.SetRifCumulo(2, c.held);
    } else {
      ecu.Store(0x432, 2, c.byte);
      data.ReadAll();
    }
    EXPECT_EQ(data.GetRifCumulo(2), c.held);
    EXPECT_EQ(ecu.Stored(0x5132, 2), c.byte);
    ASSERT_EQ(data.SaveConfiguration(file.constData()), 1);
    TEcuData opened("opened");
    ASSERT_EQ(opened.LoadConfiguration(file.constData()), 1) << opened.FileRefusal().Where();
    EXPECT_EQ(opened.GetRifCumulo(2), c.held);
    ecu.Store(0x432, 2, 7);
    opened.WriteAll(false);
    EXPECT_EQ(ecu.Stored(0x5132, 2), c.byte);
  }
  // What neither word carries is refused.
  for (const int beyond : {256, -129}) {
    data.SetRifCumulo(2, beyond);
    EXPECT_EQ(data.GetRifCumulo(2), 255) << beyond;
  }
}

TEST_F(ExchangeTest, WaitEcuStateReadyLateAndNever) {
  // Ready at once: no pause.
  EXPECT_TRUE(data.WaitEcuState(20000));
  EXPECT_EQ(clock.fake.Sleeps(), 1);  // the fixture's own

  // Ready 1700 ms after a reset: polled every 500 ms.
  ecu.SetReadyDelay(1700);
  link.WriteVariable(2, 240);
  Reset();
  EXPECT_TRUE(data.WaitEcuState(20000));
  EXPECT_EQ(Log(), (std::vector<std::string>{"IsLinkOpen", "ReadVariable 0x2", "Sleep 500",
                                             "ReadVariable 0x2", "Sleep 500", "ReadVariable 0x2", "Sleep 500",
                                             "ReadVariable 0x2", "Sleep 500", "ReadVariable 0x2"}));

  // Never ready: gives up when the time is over.
  ecu.SetReadyDelay(100000);
  link.WriteVariable(2, 240);
  const uint64_t before = clock.fake.Slept();
  EXPECT_FALSE(data.WaitEcuState(20000));
  EXPECT_EQ(clock.fake.Slept() - before, 20000u);

  // No link open: false without reading.
  link.CloseLink();
  Reset();
  EXPECT_FALSE(data.WaitEcuState(20000));
  EXPECT_EQ(Log(), (std::vector<std::string>{"IsLinkOpen"}));
}

TEST_F(ExchangeTest, IdentityCustomerCodeAndBlocks) {
  ecu.SetIdentity(255, 10, 3, 7);
  ASSERT_TRUE(data.ReadIdentificazione());
  EXPECT_EQ(data.Identita[0], 255);
  EXPECT_EQ(data.Identita[3], 7);
  data.WriteThrough = false;  // written whatever the flag says
  EXPECT_TRUE(data.SetCodiceCliente(10));
  EXPECT_EQ(data.Identita[0], 10);
  EXPECT_EQ(ecu.CustomerCode(), 10);

  EXPECT_TRUE(data.ReadBlock(0x54));
  EXPECT_EQ(ecu.CountCalls(SimOp::ReadRow, 0xC154), 12);
  EXPECT_TRUE(data.ReadBlock(0x45C));
  EXPECT_EQ(data.NumeroZone, TEcuData::kZone);
  EXPECT_TRUE(data.ReadBlock(0x99));
  ecu.SetAbsent(0x3D);
  EXPECT_FALSE(data.ReadBlock(0x3D));
  link.CloseLink();
  EXPECT_FALSE(data.ReadBlock(0x637));
  EXPECT_FALSE(data.ReadIdentificazione());
}

TEST_F(ExchangeTest, PresetsAndUndo) {
  data.TipoDiLambda = 4 | 0x40;  // type index 3
  EXPECT_TRUE(data.ApplyPresetLambda());
  EXPECT_EQ(data.RifLambda, 69);     // 1.35 V
  EXPECT_EQ(data.LivelloBasso, 41);  // 0.8 V
  EXPECT_EQ(ecu.Stored(0x47), 82);   // 1.6 V
  data.TipoDiLambda = 7;
  EXPECT_FALSE(data.ApplyPresetLambda());

  data.SetFlag1(4, true);  // CNG
  EXPECT_TRUE(data.ApplyPresetArricchimento());
  EXPECT_EQ(data.GetMappaArr(4, 5), 0);
  EXPECT_EQ(data.GetArrUscitaMin(0), 10);
  data.SetFlag1(4, false);
  EXPECT_TRUE(data.ApplyPresetArricchimento());
  EXPECT_EQ(data.GetMappaArr(0, 0), 80);
  EXPECT_EQ(data.GetArrUscitaMin(3), 80);
  ecu.SetWriteRefused(0x36);
  data.SetFlag1(4, true);
  EXPECT_FALSE(data.ApplyPresetArricchimento());  // the map stayed LPG

  data.SaveUndoMappa(false);
  data.SetMappa(0, 0, 9.0);
  Reset();
  EXPECT_TRUE(data.RestoreUndoMappa(false));
  EXPECT_EQ(data.Mappa[0][0], 1002);
  EXPECT_TRUE(ecu.Calls().empty());  // restoring writes nothing
  EXPECT_FALSE(data.RestoreUndoMappa(false));
  data.SaveUndoMappa(true);
  data.SetMappaBenzina(1, 1, 3.0);
  EXPECT_TRUE(data.RestoreUndoMappa(true));
  EXPECT_EQ(data.MappaBenzina[1][1], 0);
}

TEST(ExchangeWithoutLink, NothingHappensAndNothingCrashes) {
  ScopedLink none(nullptr);
  TEcuData data("alone");
  data.Changed = false;
  EXPECT_EQ(data.ReadAll(), 0);
  EXPECT_FALSE(data.Changed);
  EXPECT_EQ(data.WriteAll(false), 0);
  EXPECT_FALSE(data.WaitEcuState(20000));
  EXPECT_FALSE(data.ReadIdentificazione());
  EXPECT_FALSE(data.SetCodiceCliente(10));
  EXPECT_FALSE(data.ReadBlock(0x54));
  EXPECT_EQ(data.SetValue(0x213, 5000), 0);
  EXPECT_EQ(data.GetValue(0x05), 28 * 5.0 / 255);
}

}  // namespace
