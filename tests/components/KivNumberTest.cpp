#include <gtest/gtest.h>

#include "IniFile.h"
#include "KivNumber.h"
#include "KivTestSupport.h"

namespace {

struct ErrorLog {
  std::vector<std::pair<int, bool>> errors;  // code, writing
  void Attach(TKivSerialData& d) {
    d.OnError = [this](TKivSerialData*, int code, bool writing) { errors.push_back({code, writing}); };
  }
};

}  // namespace

using KivNumberLink = LinkTest;

TEST_F(KivNumberLink, ReadsAndWritesByItsKind) {
  struct Case {
    const char* name;
    int code, row, col, length;
    bool byAddress;
    const char* read;
    const char* write;
  } cases[] = {
      {"scalar", 0x21, -1, -1, 1, false, "ReadVariable(0x21, 18) -> 1", "WriteVariable(0x21, 7) -> 1"},
      {"element", 0x0C, 2, -1, 2, false, "ReadRow(0x20C, 2, 1500) -> 1", "WriteElement(0x20C, 2, 7) -> 1"},
      {"cell", 0x0E, 3, 5, 2, false, "ReadCell(0x20E, 3, 5, 1781) -> 1", "WriteCell(0x20E, 3, 5, 7) -> 1"},
      {"address", 0x21, -1, -1, 1, true, "ReadAtAddress(0x21, 256, 0) -> 1",
       "WriteAtAddress(0x21, 256, 7) -> 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TKivNumber n(nullptr, c.code, c.row, c.col);
    n.SetDataLength(c.length);
    n.ByAddress = c.byAddress;
    n.Address = 0x100;
    n.SetConnection(&conn);
    ecu->ClearCalls();
    double v = -1;
    EXPECT_TRUE(n.GetData(&v));
    ASSERT_EQ(Exchanges(*ecu).size(), 1u);
    EXPECT_EQ(Exchanges(*ecu)[0], c.read);
    EXPECT_EQ(v, n.RawValue());
    // A current value is not read again; Load reads it again.
    EXPECT_TRUE(n.GetData(&v));
    EXPECT_EQ(Exchanges(*ecu).size(), 1u);
    EXPECT_TRUE(n.Load());
    EXPECT_EQ(Exchanges(*ecu).size(), 2u);
    ecu->ClearCalls();
    EXPECT_TRUE(n.SetData(7));
    ASSERT_EQ(Exchanges(*ecu).size(), 1u);
    EXPECT_EQ(Exchanges(*ecu)[0], c.write);
    EXPECT_EQ(n.RawValue(), 7);
  }
}

TEST_F(KivNumberLink, EventsAndControlsFollowEachTransfer) {
  TKivNumber n(nullptr, 0x21);
  n.SetConnection(&conn);
  std::vector<std::string> events;
  n.BeforeGetData = [&](TKivSerialData*) { events.push_back("before get"); };
  n.OnGetData = [&](TKivSerialData*) { events.push_back("get"); };
  n.BeforeSetData = [&](TKivSerialData*) { events.push_back("before set"); };
  n.OnSetData = [&](TKivSerialData*) { events.push_back("set"); };
  MessageProbe control;
  n.AddNotificationList(&control);
  n.Load();
  n.SetData(9);
  EXPECT_EQ(events, (std::vector<std::string>{"before get", "get", "before set", "set"}));
  EXPECT_EQ(control.Count(WM_DATACHANGED), 2);
  EXPECT_EQ(control.received[0].wParam, reinterpret_cast<intptr_t>(&n));
}

TEST_F(KivNumberLink, FailuresKeepTheHeldValueAndReportTheLinkError) {
  TKivNumber n(nullptr, 0x21);
  n.SetConnection(&conn);
  ErrorLog log;
  log.Attach(n);
  MessageProbe control;
  n.AddNotificationList(&control);
  ASSERT_TRUE(n.Load());
  ASSERT_EQ(n.RawValue(), 18);

  ecu->SetWriteRefused(0x21);
  EXPECT_FALSE(n.SetData(30));
  EXPECT_EQ(n.RawValue(), 18);
  EXPECT_EQ(ecu->Stored(0x21), 18);
  ecu->SetWriteRefused(0x21, false);

  ecu->SetAbsent(0x21);
  double v = 0;
  EXPECT_FALSE(n.Load());
  EXPECT_FALSE(n.GetData(&v));
  EXPECT_EQ(v, 18);
  ecu->SetAbsent(0x21, false);

  ASSERT_EQ(log.errors.size(), 3u);
  EXPECT_EQ(log.errors[0], std::make_pair(2, true));
  EXPECT_EQ(log.errors[1], std::make_pair(kGetLastErrorItemMissing, false));
  EXPECT_EQ(control.Count(WM_DATACHANGED), 1);  // only the first read succeeded

  // Read-only: refused, the controls show the value again.
  n.SetReadOnly(true);
  EXPECT_FALSE(n.SetData(3));
  EXPECT_FALSE(n.SetEcuData(3));
  EXPECT_EQ(control.Count(WM_DATACHANGED), 2);
}

TEST_F(KivNumberLink, ClosedLineCountsAsARead) {
  conn.LinkObject()->CloseLink();
  ecu->ClearCalls();
  TKivNumber n(nullptr, 0x21);
  n.SetConnection(&conn);
  MessageProbe control;
  n.AddNotificationList(&control);
  EXPECT_TRUE(n.Load());
  EXPECT_TRUE(n.DataValid());
  EXPECT_TRUE(Exchanges(*ecu).empty());
  EXPECT_EQ(control.Count(WM_DATACHANGED), 1);
}

TEST(KivNumber, WithoutALinkWritesAreKeptAndReported) {
  TKivConnection missing;
  missing.SetDllName("NoSuchSerialLibrary");
  for (TKivConnection* c : {static_cast<TKivConnection*>(nullptr), &missing}) {
    TKivNumber n(nullptr, 0x21);
    n.SetConnection(c);
    ErrorLog log;
    log.Attach(n);
    double v = -1;
    EXPECT_TRUE(n.GetData(&v));  // no transfer, no event
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(n.SetData(12));
    EXPECT_EQ(n.RawValue(), 12);
    ASSERT_EQ(log.errors.size(), 1u);
    EXPECT_EQ(log.errors[0], std::make_pair(-1, true));
  }
}

TEST(KivNumber, ValueWithoutRawFormIsRefused) {
  TKivNumber n(nullptr, 0x21);
  n.SetTransformation(ttTabled);
  ErrorLog log;
  log.Attach(n);
  MessageProbe control;
  n.AddNotificationList(&control);
  EXPECT_FALSE(n.SetData(5));
  EXPECT_EQ(n.RawValue(), 0);
  EXPECT_EQ(log.errors.size(), 1u);
  EXPECT_EQ(control.Count(WM_DATACHANGED), 1);
}

TEST_F(KivNumberLink, PartialMaskMergesIntoTheBitsReadAgain) {
  ecu->Store(0x21, 0, 0xC5);
  TKivNumber n(nullptr, 0x21);
  n.SetConnection(&conn);
  n.SetDataMask(0x30);
  int held = 0;
  EXPECT_EQ(n.ConvertValueToEcu(0x20, &held), 0x20);  // nothing read yet into `held`
  EXPECT_TRUE(n.SetEcuData(0x20));
  EXPECT_EQ(ecu->Stored(0x21), 0xE5);
  ecu->SetAbsent(0x21);
  EXPECT_FALSE(n.SetEcuData(0x10));  // the re-read failed: nothing written
  ecu->SetAbsent(0x21, false);
  EXPECT_EQ(ecu->Stored(0x21), 0xE5);
  // The user-value path merges the same way.
  ecu->Store(0x21, 0, 0xC5);
  n.SetData(0x20);
  EXPECT_EQ(ecu->Stored(0x21), 0xE5);
}

TEST(KivNumber, TypeAndIndexesChangeOnlyWithinTheType) {
  TKivNumber n(nullptr, 0x21, 2);
  EXPECT_EQ(n.Type(), ntVectorElement);
  n.SetIndexCol(3);
  EXPECT_EQ(n.ColIndex(), -1);
  n.SetNumberType(ntMatrixElement);
  EXPECT_EQ(n.ColIndex(), 0);
  n.SetIndexCol(3);
  EXPECT_EQ(n.ColIndex(), 3);
  n.SetNumberType(ntSingle);
  n.SetIndexRow(4);
  EXPECT_EQ(n.RowIndex(), -1);
  EXPECT_EQ(n.Type(), ntSingle);
}

TEST(KivNumber, IntegerValueRoundsHalfUpTowardZero) {
  TKivNumber n(nullptr, 0x21);
  n.SetTransformation(ttFormula);
  n.SetDataSigned(true);
  n.CoeffD = 10;
  struct Case {
    int raw;
    int expected;
  } cases[] = {{-27 & 0xFF, -2}, {25, 3}, {24, 2}, {-25 & 0xFF, -2}};
  for (const Case& c : cases) {
    n.InitData(&c.raw);
    EXPECT_EQ(n.GetInt(), c.expected) << c.raw;
  }
}

TEST(KivNumber, DeliveredBufferAndDefaults) {
  TKivNumber n(nullptr, 0x13);
  n.SetDataLength(2);
  n.SetDataSigned(true);
  const uint8_t buffer[4] = {0xFE, 0xFF, 9, 9};
  MessageProbe control;
  n.AddNotificationList(&control);
  n.UpdateData(buffer);
  EXPECT_EQ(n.RawValue(), -2);
  n.DefaultValue = 40;
  EXPECT_TRUE(n.ResetDefault(false));
  EXPECT_EQ(n.RawValue(), 40);
  EXPECT_EQ(control.Count(WM_DATACHANGED), 2);
}

TEST(KivNumber, IniStoresAndRestoresTheValue) {
  struct Case {
    int row, col;
    bool user;
    const char* key;
    const char* text;
  } cases[] = {
      {-1, -1, true, "Soglia", "1.5"}, {4, -1, false, "Soglia4", "15"}, {3, 7, true, "Soglia3_7", "1.5"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    TKivNumber n(nullptr, 0x21, c.row, c.col);
    n.SetTransformation(ttFormula);
    n.CoeffD = 10;
    n.FileSection = "Sez";
    n.FileKeyName = "Soglia";
    n.StoreUserValue = c.user;
    int raw = 15;
    n.InitData(&raw);
    IniFile ini;
    ASSERT_TRUE(n.WriteToFile(&ini));
    EXPECT_EQ(ini.ReadString("Sez", c.key, "?"), c.text);

    TKivNumber back(nullptr, 0x21, c.row, c.col);
    back.SetTransformation(ttFormula);
    back.CoeffD = 10;
    back.FileSection = "Sez";
    back.FileKeyName = "Soglia";
    back.StoreUserValue = c.user;
    ASSERT_TRUE(back.ReadFromFile(&ini));  // no link: kept locally
    EXPECT_EQ(back.RawValue(), 15);
  }
}

TEST(KivNumber, IniGuardsAndBadEntries) {
  TKivNumber n(nullptr, 0x21);
  IniFile ini;
  EXPECT_TRUE(n.WriteToFile(&ini));  // neither name: nothing to do
  EXPECT_TRUE(n.ReadFromFile(&ini));
  EXPECT_TRUE(ini.Sections().empty());
  n.FileSection = "Sez";
  EXPECT_FALSE(n.WriteToFile(&ini));
  EXPECT_FALSE(n.ReadFromFile(&ini));
  n.FileKeyName = "K";
  EXPECT_FALSE(n.ReadFromFile(&ini));  // missing key
  ini.WriteString("Sez", "K", "abc");
  int raw = 3;
  n.InitData(&raw);
  EXPECT_FALSE(n.ReadFromFile(&ini));
  n.StoreUserValue = false;
  EXPECT_FALSE(n.ReadFromFile(&ini));
  EXPECT_EQ(n.RawValue(), 3);
}

TEST_F(KivNumberLink, IniReadWritesToTheEcuUnlessInOldMode) {
  IniFile ini;
  ini.WriteString("Sez", "K", "42");
  TKivNumber n(nullptr, 0x21);
  n.SetConnection(&conn);
  n.FileSection = "Sez";
  n.FileKeyName = "K";
  MessageProbe control;
  n.AddNotificationList(&control);
  n.OldReadFileMode = true;
  EXPECT_TRUE(n.ReadFromFile(&ini));
  EXPECT_EQ(n.RawValue(), 42);
  EXPECT_TRUE(Exchanges(*ecu).empty());
  EXPECT_EQ(control.Count(WM_DATACHANGED), 1);

  n.OldReadFileMode = false;
  ini.WriteString("Sez", "K", "43");
  EXPECT_TRUE(n.ReadFromFile(&ini));
  EXPECT_EQ(ecu->Stored(0x21), 43);

  ecu->SetWriteRefused(0x21);
  ini.WriteString("Sez", "K", "44");
  EXPECT_FALSE(n.ReadFromFile(&ini));
  EXPECT_EQ(n.RawValue(), 43);
  EXPECT_EQ(control.Count(WM_DATACHANGED), 3);  // the write of 43, then the refusal
}
