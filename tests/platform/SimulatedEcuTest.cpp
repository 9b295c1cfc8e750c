#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "Clock.h"
#include "MessageSink.h"
#include "SerialWord.h"
#include "SimLink.h"
#include "SimNtc.h"

namespace {

class RecordingSink final : public IMessageSink {
 public:
  std::vector<intptr_t> changes;  // lParam of every WM_ECUCHANGED posted
  void PostToForms(unsigned msg, intptr_t, intptr_t lParam) override {
    if (msg == WM_ECUCHANGED) changes.push_back(lParam);
  }
  void SendToForms(unsigned, intptr_t, intptr_t) override {}
  void SendToActive(unsigned, intptr_t, intptr_t) override {}
};

// A connected ECU on a fake clock, past its ready delay, with a clean log.
class SimEcuTest : public ::testing::Test {
 protected:
  SimEcuTest() : use_(&clock_), link_(ecu_) {
    link_.SetScreen(&sink_);
    link_.OpenLink();
    link_.Connect();
    clock_.Advance(1000);
    ecu_.ClearCalls();
    sink_.changes.clear();
  }

  int32_t Read(int code) {
    int32_t v = -12345;
    EXPECT_TRUE(link_.ReadVariable(code, &v)) << std::hex << code;
    return v;
  }

  FakeClock clock_;
  ScopedClock use_;
  SimulatedEcu ecu_;
  SimLink link_;
  RecordingSink sink_;
};

TEST_F(SimEcuTest, StartsWithTheFactoryVehicle) {
  EXPECT_EQ(Read(0x203), 0x6C);
  EXPECT_EQ(Read(0x210), 1801);
  EXPECT_EQ(Read(0x627), -200);  // signed two-byte
  EXPECT_EQ(Read(0x24C), 774);
  EXPECT_EQ(Read(0x25B), 774);
  std::array<int32_t, 12> row{};
  ASSERT_TRUE(link_.ReadRow(0xC30E, row.data(), 0));
  EXPECT_EQ(row[0], 1002);  // 4.008 ms
  EXPECT_EQ(row[11], 1660);
  ASSERT_TRUE(link_.ReadVariable(0xC30C, row.data()));
  EXPECT_EQ(row[0], 500);
  EXPECT_EQ(row[11], 6000);
  std::array<int32_t, 10> rif{};
  ASSERT_TRUE(link_.ReadVariable(0xA12A, rif.data()));
  EXPECT_EQ(rif[0], 0);
  EXPECT_EQ(rif[9], 255);
  EXPECT_NEAR(SimNtc::Celsius(rif[1]), 80.0, 0.5);
  EXPECT_EQ(SimNtc::Reading(25.0f), 128);
  std::array<int32_t, 20> d35{};
  ASSERT_TRUE(link_.ReadVariable(0x14135, d35.data()));
  EXPECT_EQ(d35[2], 'S');
  EXPECT_EQ(d35[10], 0);

  uint8_t rows = 0;
  int count = 1;
  ASSERT_TRUE(link_.ReadBytes(4, &rows, &count, 1));
  EXPECT_EQ(count, 1);
  EXPECT_EQ(rows, 5);
  ecu_.SetEnrichmentRows(-1);
  EXPECT_FALSE(link_.ReadBytes(4, &rows, &count, 1));
  EXPECT_EQ(link_.GetLastErrorCode() & kGetLastErrorItemMissing, kGetLastErrorItemMissing);
}

// Every data shape writes and reads back through the words that name it.
TEST_F(SimEcuTest, RoundTripsPerShape) {
  struct Case {
    const char* name;
    int writeCode;
    int readCode;
    int row, col;  // -1 when unused
    int32_t written;
    int32_t readBack;
  };
  const Case cases[] = {
      {"scalar", 0x216, 0x216, -1, -1, 2200, 2200},
      {"scalar cut to one byte", 0x14, 0x14, -1, -1, 300, 44},
      {"scalar cut to two bytes", 0x213, 0x213, -1, -1, 70000, 70000 & 0xFFFF},
      {"signed scalar", 0x629, 0x629, -1, -1, -90, -90},
      {"sign only in the reading word", 0x432, 0x5132, 2, -1, -5, 251},
      {"element", 0x20C, 0xC30C, 3, -1, 1750, 1750},
      {"cell", 0x20E, 0xC30E, 11, 11, 4321, 4321},
      {"enrichment cell", 0x36, 0x6136, 4, 5, 77, 77},
      {"zone id cell read as rows", 0x54, 0xC154, 7, 3, 9, 9},
      {"bit-field word", 0x3000034, 0x34, -1, -1, 5, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::array<int32_t, 255> buf{};
    if (c.col >= 0) {
      ASSERT_TRUE(link_.WriteCell(c.writeCode, c.row, c.col, c.written));
      int32_t cell = 0;
      ASSERT_TRUE(link_.ReadCell(c.readCode, &cell, c.row, c.col));
      EXPECT_EQ(cell, c.readBack);
      ASSERT_TRUE(link_.ReadRow(c.readCode, buf.data(), c.row));
      EXPECT_EQ(buf[static_cast<size_t>(c.col)], c.readBack);
    } else if (c.row >= 0) {
      ASSERT_TRUE(link_.WriteElement(c.writeCode, c.row, c.written));
      ASSERT_TRUE(link_.ReadVariable(c.readCode, buf.data()));
      EXPECT_EQ(buf[static_cast<size_t>(c.row)], c.readBack);
    } else {
      ASSERT_TRUE(link_.WriteVariable(c.writeCode, c.written));
      EXPECT_EQ(Read(c.readCode), c.readBack);
    }
    EXPECT_EQ(link_.GetLastErrorCode(), 0);
  }

  // Whole arrays and rows.
  std::array<int32_t, 12> axis{}, back{};
  for (int i = 0; i < 12; ++i) axis[static_cast<size_t>(i)] = 600 + 450 * i;
  ASSERT_TRUE(link_.WriteArray(0xC30C, axis.data()));
  ASSERT_TRUE(link_.ReadVariable(0xC30C, back.data()));
  EXPECT_EQ(back, axis);
  ASSERT_TRUE(link_.WriteRow(0xC34F, axis.data(), 6));
  ASSERT_TRUE(link_.ReadRow(0xC34F, back.data(), 6));
  EXPECT_EQ(back, axis);
  EXPECT_EQ(ecu_.Stored(0x24F, 6 * 12 + 11), axis[11]);
  EXPECT_EQ(ecu_.Stored(0x24F, 5 * 12), 0);  // neighbouring rows untouched

  // The call log keeps the word as the caller passed it.
  EXPECT_EQ(ecu_.CountCalls(SimOp::WriteVariable, 0x3000034), 1);
}

// A transfer that does not fit the variable fails, reports the missing item and never touches
// the caller's buffer.
TEST_F(SimEcuTest, OutOfBoundsAndUnknownItemsFail) {
  const int32_t values[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  struct Case {
    const char* name;
    bool (*run)(TSerialLink&, int32_t*, const int32_t*);
  };
  const Case cases[] = {
      {"row past the table",
       [](TSerialLink& l, int32_t* d, const int32_t*) { return l.ReadRow(0xC30E, d, 12); }},
      {"negative row", [](TSerialLink& l, int32_t* d, const int32_t*) { return l.ReadRow(0xC30E, d, -1); }},
      {"row longer than the table's",
       [](TSerialLink& l, int32_t* d, const int32_t*) { return l.ReadRow(0xD136, d, 0); }},
      {"enrichment row 5",
       [](TSerialLink& l, int32_t* d, const int32_t*) { return l.ReadRow(0x6136, d, 5); }},
      {"array longer than the variable",
       [](TSerialLink& l, int32_t* d, const int32_t*) { return l.ReadVariable(0xD30C, d); }},
      {"cell column 12",
       [](TSerialLink& l, int32_t* d, const int32_t*) { return l.ReadCell(0x20E, d, 0, 12); }},
      {"unknown variable",
       [](TSerialLink& l, int32_t* d, const int32_t*) { return l.ReadVariable(0x99, d); }},
      {"element 12", [](TSerialLink& l, int32_t*, const int32_t*) { return l.WriteElement(0x20C, 12, 7); }},
      {"write row 12", [](TSerialLink& l, int32_t*, const int32_t* v) { return l.WriteRow(0xC30E, v, 12); }},
      {"write array too long",
       [](TSerialLink& l, int32_t*, const int32_t* v) { return l.WriteArray(0xD30C, v); }},
      {"write cell row 12",
       [](TSerialLink& l, int32_t*, const int32_t*) { return l.WriteCell(0x20E, 12, 0, 7); }},
      {"write unknown", [](TSerialLink& l, int32_t*, const int32_t*) { return l.WriteVariable(0x99, 7); }},
  };
  const auto before = ecu_.StoredValues(0x20C);
  const auto mapBefore = ecu_.StoredValues(0x20E);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::array<int32_t, 16> buf;
    buf.fill(-7);
    EXPECT_FALSE(c.run(link_, buf.data(), values));
    for (int32_t v : buf) EXPECT_EQ(v, -7);
    EXPECT_EQ(link_.GetLastErrorCode(), kGetLastErrorItemMissing);
    Read(0x203);  // a present item clears the error
    EXPECT_EQ(link_.GetLastErrorCode(), 0);
  }
  EXPECT_EQ(ecu_.StoredValues(0x20C), before);
  EXPECT_EQ(ecu_.StoredValues(0x20E), mapBefore);
}

TEST_F(SimEcuTest, AbsentItemsAndRefusedWrites) {
  ecu_.SetAbsent(0x24F);
  std::array<int32_t, 12> row;
  row.fill(3);
  EXPECT_FALSE(link_.ReadRow(0xC34F, row.data(), 0));
  EXPECT_EQ(row[0], 3);
  EXPECT_EQ(link_.GetLastErrorCode() & 4, 4);
  EXPECT_FALSE(link_.WriteCell(0x24F, 0, 0, 9));
  ASSERT_TRUE(link_.ReadRow(0xC30E, row.data(), 0));
  EXPECT_EQ(link_.GetLastErrorCode(), 0);

  ecu_.SetWriteRefused(0x216);
  EXPECT_FALSE(link_.WriteVariable(0x216, 3000));
  EXPECT_EQ(link_.GetLastErrorCode(), 2);
  EXPECT_EQ(Read(0x216), 1800);
  EXPECT_TRUE(link_.WriteVariable(0x215, 1100));  // other variables still take writes
  ecu_.SetWriteRefused(0x216, false);
  EXPECT_TRUE(link_.WriteVariable(0x216, 3000));
  EXPECT_EQ(Read(0x216), 3000);
}

TEST_F(SimEcuTest, ClosedLinkAcceptsWritesStoresNothingAndFailsReads) {
  link_.Disconnect();
  EXPECT_EQ(sink_.changes, std::vector<intptr_t>{EcuLinkClosed});
  EXPECT_EQ(link_.IsLinkOpen(), 0);
  const int32_t row[12] = {};
  EXPECT_TRUE(link_.WriteVariable(0x216, 3000));
  EXPECT_TRUE(link_.WriteRow(0xC30E, row, 0));
  EXPECT_TRUE(link_.WriteAtAddress(0x200, 0x10, 5));
  EXPECT_TRUE(link_.WriteVariable(0x40, 3));
  EXPECT_EQ(ecu_.Stored(0x216), 1800);
  EXPECT_EQ(ecu_.Stored(0x20E, 0), 1002);
  EXPECT_EQ(ecu_.CustomerCode(), 10);

  int32_t v = -1;
  EXPECT_FALSE(link_.ReadVariable(0x216, &v));
  EXPECT_FALSE(link_.ReadCell(0x20E, &v, 0, 0));
  EXPECT_FALSE(link_.ReadAtAddress(0x200, 0x10, &v));
  EXPECT_EQ(v, -1);
  uint8_t packet[30] = {};
  int size = 30;
  EXPECT_FALSE(link_.ReadPacket(0, packet, &size));
  EXPECT_EQ(size, 30);
  uint8_t id[4] = {};
  EXPECT_FALSE(link_.ReadEcuIdentity(id));
  link_.CloseLink();  // already closed: no second message
  EXPECT_EQ(sink_.changes.size(), 1u);
}

TEST_F(SimEcuTest, LinkMessagesGoToTheScreen) {
  link_.OpenLink();  // already open: nothing
  ecu_.RequestReconnect();
  link_.CloseLink();
  link_.Connect();  // opens a closed link
  EXPECT_EQ(sink_.changes, (std::vector<intptr_t>{EcuReconnect, EcuLinkClosed, EcuLinkOpened}));
  link_.SetScreen(nullptr);
  link_.Disconnect();
  ecu_.RequestReconnect();
  EXPECT_EQ(sink_.changes.size(), 3u);
}

TEST_F(SimEcuTest, LinkDropsMidSequence) {
  ecu_.DropLinkAfter(2);
  EXPECT_EQ(Read(0x216), 1800);
  EXPECT_TRUE(link_.WriteVariable(0x215, 1000));
  EXPECT_EQ(link_.IsLinkOpen(), 1);
  int32_t v = -1;
  EXPECT_FALSE(link_.ReadVariable(0x216, &v));
  EXPECT_EQ(link_.IsLinkOpen(), 0);
  EXPECT_EQ(sink_.changes, std::vector<intptr_t>{EcuLinkClosed});
  EXPECT_TRUE(link_.WriteVariable(0x215, 1400));  // offline from here on
  EXPECT_EQ(ecu_.Stored(0x215), 1000);
  link_.OpenLink();
  EXPECT_EQ(Read(0x215), 1000);  // the drop happens once
}

TEST_F(SimEcuTest, EcuFallsSilentMidSequenceWithTheLineOpen) {
  ecu_.FallSilentAfter(2);
  EXPECT_EQ(Read(0x216), 1800);
  EXPECT_TRUE(link_.WriteVariable(0x215, 1000));
  EXPECT_TRUE(ecu_.SilencePending());
  EXPECT_FALSE(link_.WriteVariable(0x215, 1400));
  EXPECT_FALSE(ecu_.SilencePending());
  EXPECT_EQ(link_.GetLastErrorCode(), 1);  // no answer
  EXPECT_EQ(link_.IsLinkOpen(), 1);
  EXPECT_TRUE(sink_.changes.empty());  // the line never closed
  int32_t v = -1;
  EXPECT_FALSE(link_.ReadVariable(0x216, &v));  // silent from here on
  EXPECT_EQ(ecu_.Stored(0x215), 1000);
  ecu_.SetNoAnswer(false);
  EXPECT_EQ(Read(0x215), 1000);
}

TEST_F(SimEcuTest, SilentEcuFailsEverything) {
  ecu_.SetNoAnswer(true);
  int32_t v = -1;
  EXPECT_FALSE(link_.ReadVariable(0x216, &v));
  EXPECT_FALSE(link_.WriteVariable(0x216, 5));
  EXPECT_EQ(link_.GetLastErrorCode() & 4, 0);  // not a missing item
  EXPECT_EQ(link_.Connect(), 0);
  uint8_t id[4] = {};
  EXPECT_FALSE(link_.ReadEcuIdentity(id));
  EXPECT_FALSE(link_.ReadBootIdentity(id));
  link_.BeginProgramming();
  const uint8_t image[5] = {1, 0, 0, 0, 0xAA};
  EXPECT_NE(link_.ProgramFromImage(image, 2, 0, 1), 0);
  ecu_.SetNoAnswer(false);
  EXPECT_EQ(Read(0x216), 1800);
}

TEST_F(SimEcuTest, IdentityReadinessAndReset) {
  uint8_t id[4] = {};
  ASSERT_TRUE(link_.ReadEcuIdentity(id));
  EXPECT_EQ(id[0], 10);
  EXPECT_EQ(id[1], 10);
  EXPECT_TRUE(link_.WriteVariable(0x40, 255));
  ASSERT_TRUE(link_.ReadEcuIdentity(id));
  EXPECT_EQ(id[0], 255);
  ecu_.SetVersionWords(0x8307, 12);
  EXPECT_EQ(Read(0x24C), 0x8307);
  EXPECT_EQ(Read(0x25B), 12);
  EXPECT_FALSE(link_.WriteVariable(0x24C, 1));

  EXPECT_EQ(Read(2), 172);
  ecu_.SetReadyDelay(3000);
  link_.WriteVariable(0x216, 2500);
  ASSERT_TRUE(link_.WriteVariable(2, 240));  // reset: factory data, not ready for a while
  EXPECT_EQ(Read(2), 0);
  clock_.Advance(2999);
  EXPECT_EQ(Read(2), 0);
  clock_.Advance(1);
  EXPECT_EQ(Read(2), 172);
  EXPECT_EQ(Read(0x216), 1800);
  EXPECT_FALSE(link_.WriteVariable(2, 7));  // other states are not taken

  ecu_.FailConnects(2);
  EXPECT_EQ(link_.Connect(), 0);
  EXPECT_EQ(link_.Connect(), 0);
  EXPECT_EQ(link_.Connect(), 1);
  EXPECT_EQ(Read(2), 0);  // a connect restarts the ready delay
  ecu_.FailOpenLinks(1);
  link_.Disconnect();
  EXPECT_FALSE(link_.OpenLink());
  EXPECT_TRUE(link_.OpenLink());
}

TEST_F(SimEcuTest, ProgrammingResultsAndRecords) {
  link_.Disconnect();
  uint8_t boot[2] = {};
  ASSERT_TRUE(link_.ReadBootIdentity(boot));  // the boot loader answers with the link closed
  EXPECT_EQ(boot[0], 10);
  EXPECT_EQ(boot[1], 10);
  ecu_.SetBootIdentity(-1, 3);
  ecu_.SetCustomerCode(4);
  ASSERT_TRUE(link_.ReadBootIdentity(boot));
  EXPECT_EQ(boot[0], 4);
  EXPECT_EQ(boot[1], 3);

  const uint8_t image[7] = {3, 0, 0, 0, 0x11, 0x22, 0x33};
  EXPECT_EQ(link_.ProgramFromImage(image, 2, 0, 1), 2);  // not in programming mode
  ecu_.Store(0x216, 0, 2500);
  ecu_.QueueProgramResults({1, 5});
  link_.BeginProgramming();
  EXPECT_EQ(link_.ProgramFromImage(image, 2, 0, 1), 1);
  EXPECT_EQ(ecu_.Stored(0x216), 2500);  // a failed attempt leaves the configuration
  EXPECT_EQ(link_.ProgramFromFile("/tmp/fw.s19", 2, 0, 1), 5);
  EXPECT_EQ(link_.ProgramFromImage(image, 2, 0, 1), 0);  // queue empty: success
  link_.EndProgramming();
  EXPECT_EQ(ecu_.LastImage(), std::vector<uint8_t>(image, image + 7));
  EXPECT_EQ(ecu_.LastProgramFile(), "/tmp/fw.s19");
  EXPECT_EQ(ecu_.ProgramCalls(), 4);
  EXPECT_EQ(ecu_.Stored(0x216), 1800);  // new firmware, factory configuration

  EXPECT_EQ(link_.Connect(), 1);
  EXPECT_EQ(Read(2), 0);
  clock_.Sleep(1000);
  EXPECT_EQ(Read(2), 172);
}

TEST_F(SimEcuTest, AddressSpaceAndCallLog) {
  ASSERT_TRUE(link_.WriteAtAddress(0x600, 0x136, -2));
  int32_t v = 0;
  ASSERT_TRUE(link_.ReadAtAddress(0x600, 0x136, &v));
  EXPECT_EQ(v, -2);
  ASSERT_TRUE(link_.ReadAtAddress(0x200, 0x136, &v));
  EXPECT_EQ(v, 0xFFFE);
  EXPECT_FALSE(link_.ReadAtAddress(0x200, 0xFFFF, &v));

  ecu_.ClearCalls();
  link_.WriteCell(0x20E, 3, 5, 1002);
  link_.ReadVariable(0x216, &v);
  link_.GetLastErrorCode();
  EXPECT_EQ(ecu_.CallText(),
            "WriteCell(0x20E, 3, 5, 1002) -> 1\n"
            "ReadVariable(0x216, 1800) -> 1\n"
            "GetLastErrorCode() -> 0\n");
  EXPECT_EQ(ecu_.CountCalls(SimOp::ReadVariable), 1);
  ecu_.ClearCalls();
  EXPECT_TRUE(ecu_.Calls().empty());
}

}  // namespace
