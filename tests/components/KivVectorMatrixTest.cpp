#include <gtest/gtest.h>

#include "IniFile.h"
#include "KivMatrix.h"
#include "KivTestSupport.h"
#include "KivVector.h"

using KivArrayLink = LinkTest;

namespace {

std::vector<std::string> OpsOf(SimulatedEcu& ecu, const std::function<void()>& action) {
  ecu.ClearCalls();
  action();
  return Exchanges(ecu);
}

std::string Op(const std::string& call) { return call.substr(0, call.find('(')); }

}  // namespace

TEST_F(KivArrayLink, VectorTransfersByType) {
  // A row of the 12x12 map 0x20E, a column of it, and the whole vector 0x20C.
  TKivVector row(nullptr, 0x0E, 3);
  row.SetDataLength(2);
  row.SetArrayDimension(12);
  row.SetConnection(&conn);
  EXPECT_EQ(row.Type(), vtMatrixRow);
  EXPECT_EQ(
      OpsOf(*ecu, [&] { row.Load(); }),
      (std::vector<std::string>{"ReadRow(0xC20E, 3, " + std::to_string(ecu->Stored(0x20E, 36)) + ") -> 1"}));
  EXPECT_EQ(row.RawValues()[0], ecu->Stored(0x20E, 36));
  EXPECT_TRUE(OpsOf(*ecu, [&] { row.Download(); })[0].starts_with("WriteRow(0xC30E, 3, "));
  EXPECT_EQ(OpsOf(*ecu, [&] { row.SetData(900.0, 5u); }),
            (std::vector<std::string>{"WriteCell(0xC30E, 3, 5, 900) -> 1"}));
  EXPECT_EQ(ecu->Stored(0x20E, 41), 900);

  TKivVector col(nullptr, 0x0E, -1, 2);
  col.SetDataLength(2);
  col.SetArrayDimension(12);
  col.SetConnection(&conn);
  EXPECT_EQ(col.Type(), vtMatrixCol);
  auto reads = OpsOf(*ecu, [&] { col.Load(); });
  ASSERT_EQ(reads.size(), 12u);
  EXPECT_TRUE(reads[4].starts_with("ReadCell(0xC30E, 4, 2, "));
  EXPECT_EQ(OpsOf(*ecu, [&] { col.SetData(901.0, 4u); }),
            (std::vector<std::string>{"WriteCell(0xC30E, 4, 2, 901) -> 1"}));

  TKivVector whole(nullptr, 0x0C);
  whole.SetDataLength(2);
  whole.SetArrayDimension(12);
  whole.SetConnection(&conn);
  std::vector<double> v(12);
  ASSERT_TRUE(whole.GetData(v.data()));
  EXPECT_EQ(v[11], 6000);
  EXPECT_EQ(OpsOf(*ecu, [&] { whole.SetData(7100.0, 11u); }),
            (std::vector<std::string>{"WriteElement(0xC30C, 11, 7100) -> 1"}));
  v[0] = 400;
  auto writes = OpsOf(*ecu, [&] { whole.SetData(v.data()); });
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(Op(writes[0]), "WriteArray");
  EXPECT_EQ(ecu->StoredValues(0x20C)[0], 400);
  double one = -1;
  EXPECT_FALSE(whole.GetData(&one, 12u));
  EXPECT_EQ(one, 0.0);
}

TEST_F(KivArrayLink, VectorByAddressGoesElementByElement) {
  TKivVector v(nullptr, 0x21);
  v.SetDataLength(2);
  v.SetArrayDimension(3);
  v.ByAddress = true;
  v.Address = 0x40;
  v.SetConnection(&conn);
  const int raws[3] = {1, 2, 3};
  EXPECT_EQ(
      OpsOf(*ecu, [&] { v.SetDataInEcu(raws); }),
      (std::vector<std::string>{"WriteAtAddress(0x3321, 64, 1) -> 1", "WriteAtAddress(0x3321, 66, 2) -> 1",
                                "WriteAtAddress(0x3321, 68, 3) -> 1"}));
  EXPECT_EQ(OpsOf(*ecu, [&] { v.Load(); }).size(), 3u);
  EXPECT_EQ(v.RawValues(), (std::vector<int>{1, 2, 3}));
}

TEST_F(KivArrayLink, VectorFailuresKeepTheHeldValues) {
  TKivVector v(nullptr, 0x0C);
  v.SetDataLength(2);
  v.SetArrayDimension(12);
  v.SetConnection(&conn);
  std::vector<std::pair<int, bool>> errors;
  v.OnError = [&](TKivSerialData*, int code, bool w) { errors.push_back({code, w}); };
  ASSERT_TRUE(v.Load());
  const std::vector<int> held = v.RawValues();
  ecu->SetAbsent(0x20C);
  std::vector<double> out(12);
  v.SetDataValid(false);  // held values that are current are not read again
  EXPECT_FALSE(v.GetData(out.data()));
  EXPECT_EQ(v.RawValues(), held);
  double one = 0;
  EXPECT_FALSE(v.GetData(&one, 1u));
  EXPECT_EQ(one, held[1]);
  ecu->SetAbsent(0x20C, false);
  ecu->SetWriteRefused(0x20C);
  EXPECT_FALSE(v.SetData(1.0, 0u));
  EXPECT_FALSE(v.SetData(out.data()));
  EXPECT_EQ(v.RawValues(), held);
  ASSERT_EQ(errors.size(), 4u);
  EXPECT_EQ(errors[0].second, false);
  EXPECT_EQ(errors[3], std::make_pair(2, true));
}

TEST(KivVector, WithoutALinkReadsFailAndWritesAreKept) {
  TKivVector v(nullptr, 0x0C);
  v.SetArrayDimension(2);
  std::vector<std::pair<int, bool>> errors;
  v.OnError = [&](TKivSerialData*, int code, bool w) { errors.push_back({code, w}); };
  EXPECT_FALSE(v.Load());  // no connection: false without an event
  EXPECT_TRUE(errors.empty());
  EXPECT_TRUE(v.SetData(5.0, 1u));
  EXPECT_EQ(v.RawValues()[1], 5);
  TKivConnection missing;
  missing.SetDllName("NoSuchSerialLibrary");
  v.SetConnection(&missing);
  EXPECT_FALSE(v.Load());
  EXPECT_TRUE(v.SetData(6.0, 0u));
  const int raws[2] = {8, 9};
  EXPECT_TRUE(v.SetDataInEcu(raws));
  EXPECT_EQ(v.RawValues(), (std::vector<int>{8, 9}));
  EXPECT_EQ(errors, (std::vector<std::pair<int, bool>>{{-1, true}, {-1, false}, {-1, true}, {-1, true}}));
}

TEST(KivVector, DimensionTypeAndDefaults) {
  TKivVector v(nullptr, 0x0C);
  EXPECT_EQ(v.SerialWord(), 0x110C);  // count bits follow the dimension from the start
  v.SetArrayDimension(300);
  EXPECT_EQ(v.ArrayDimension(), 44);
  EXPECT_EQ(v.SerialWord() >> 12 & 0xFF, 44);
  v.SetArrayDimension(0);
  v.SetArrayDimension(256);
  EXPECT_EQ(v.ArrayDimension(), 44);
  v.SetRowIndex(2);
  EXPECT_EQ(v.RowIndex(), -1);
  v.SetVectorType(vtMatrixRow);
  v.SetRowIndex(2);
  EXPECT_EQ(v.RowIndex(), 2);
  v.SetVectorType(vtMatrixCol);
  EXPECT_EQ(v.RowIndex(), -1);
  EXPECT_EQ(v.ColIndex(), 0);
  v.SetDefValue(3, 7.5);
  v.SetDefValue(44, 1);
  EXPECT_EQ(v.GetDefValue(3), 7.5);
  EXPECT_EQ(v.GetDefValue(44), 0.0);
  EXPECT_TRUE(v.ResetDefault(false));
  EXPECT_EQ(v.RawValues()[3], 7);
  v.SetArrayDimension(4);
  EXPECT_EQ(v.GetDefValue(3), 0.0);  // a new dimension clears the defaults
}

TEST_F(KivArrayLink, VectorIniReadKeepsHeldValuesForMissingKeys) {
  TKivVector v(nullptr, 0x0C);
  v.SetDataLength(2);
  v.SetArrayDimension(12);
  v.SetConnection(&conn);
  v.FileSection = "Giri";
  v.FileKeyName = "G";
  ASSERT_TRUE(v.Load());
  IniFile ini;
  ini.WriteString("Giri", "G0", "450");
  ini.WriteString("Giri", "G3", "x");
  ini.WriteString("Giri", "G11", "6100");
  auto writes = OpsOf(*ecu, [&] { EXPECT_TRUE(v.ReadFromFile(&ini)); });
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(Op(writes[0]), "WriteArray");
  EXPECT_EQ(ecu->StoredValues(0x20C),
            (std::vector<int32_t>{450, 1000, 1500, 2000, 2500, 3000, 3500, 4000, 4500, 5000, 5500, 6100}));

  IniFile out;
  ASSERT_TRUE(v.WriteToFile(&out));
  EXPECT_EQ(out.ReadString("Giri", "G11", ""), "6100");
  v.SetVectorType(vtMatrixRow);
  v.SetRowIndex(2);
  out.SetText("");
  v.WriteToFile(&out);
  EXPECT_TRUE(out.ValueExists("Giri", "G2_11"));
  v.SetVectorType(vtMatrixCol);
  v.SetColIndex(1);
  v.WriteToFile(&out);
  EXPECT_TRUE(out.ValueExists("Giri", "G11_1"));
}

TEST_F(KivArrayLink, MatrixReadsByShape) {
  struct Case {
    int rows, cols;
    int code;
    std::vector<std::string> ops;  // operation names, and the first call in full
    std::string first;
  } cases[] = {
      {1, 12, 0x0C, std::vector<std::string>(1, "ReadVariable"), "ReadVariable(0xC30C, 500) -> 1"},
      {12, 1, 0x0E, std::vector<std::string>(12, "ReadRow"), "ReadRow(0x120E, 0, "},
      {12, 12, 0x0E, std::vector<std::string>(12, "ReadRow"), "ReadRow(0xC30E, 0, "},
      {1, 1, 0x13, std::vector<std::string>(1, "ReadVariable"), "ReadVariable(0x1213, 6500) -> 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.rows) + "x" + std::to_string(c.cols));
    TKivMatrix m(nullptr, c.code);
    m.SetDataLength(2);
    m.SetRowDimension(c.rows);
    m.SetColumnDimension(c.cols);
    m.SetConnection(&conn);
    auto calls = OpsOf(*ecu, [&] { EXPECT_TRUE(m.Load()); });
    std::vector<std::string> ops;
    for (const auto& call : calls) ops.push_back(Op(call));
    EXPECT_EQ(ops, c.ops);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].substr(0, c.first.size()), c.first);
  }
}

TEST_F(KivArrayLink, MatrixWritesByShape) {
  TKivMatrix table(nullptr, 0x0E);
  table.SetDataLength(2);
  table.SetRowDimension(12);
  table.SetColumnDimension(12);
  table.SetConnection(&conn);
  ASSERT_TRUE(table.Load());
  auto all = OpsOf(*ecu, [&] { table.Download(); });
  ASSERT_EQ(all.size(), 12u);
  EXPECT_EQ(Op(all[11]), "WriteRow");
  std::vector<double> row(12, 1000);
  EXPECT_EQ(Op(OpsOf(*ecu, [&] { EXPECT_TRUE(table.SetData(row.data(), 2)); }).at(0)), "WriteRow");
  EXPECT_EQ(ecu->Stored(0x20E, 24 + 11), 1000);
  EXPECT_EQ(OpsOf(*ecu, [&] { table.SetData(1234.0, 2, 3); }),
            (std::vector<std::string>{"WriteCell(0xC30E, 2, 3, 1234) -> 1"}));
  double cell = 0;
  EXPECT_TRUE(table.GetData(&cell, 2, 3));
  EXPECT_EQ(cell, 1234);
  EXPECT_FALSE(table.GetData(&cell, 12, 0));
  EXPECT_FALSE(table.SetData(1.0, 0, 12));

  TKivMatrix line(nullptr, 0x0C);
  line.SetDataLength(2);
  line.SetColumnDimension(12);
  line.SetConnection(&conn);
  std::vector<double> values(12, 700);
  EXPECT_EQ(Op(OpsOf(*ecu, [&] { line.SetData(values.data(), 0); }).at(0)), "WriteArray");
  EXPECT_EQ(OpsOf(*ecu, [&] { line.SetData(800.0, 0, 4); }),
            (std::vector<std::string>{"WriteElement(0xC30C, 4, 800) -> 1"}));

  TKivMatrix column(nullptr, 0x0C);
  column.SetDataLength(2);
  column.SetRowDimension(3);
  column.SetConnection(&conn);
  auto colWrites = OpsOf(*ecu, [&] { column.Download(); });
  EXPECT_EQ(colWrites,
            (std::vector<std::string>{"WriteElement(0x130C, 0, 0) -> 1", "WriteElement(0x130C, 1, 0) -> 1",
                                      "WriteElement(0x130C, 2, 0) -> 1"}));

  TKivMatrix single(nullptr, 0x21);
  single.SetConnection(&conn);
  EXPECT_EQ(OpsOf(*ecu, [&] { single.SetData(5.0, 0, 0); }),
            (std::vector<std::string>{"WriteVariable(0x1121, 5) -> 1"}));
}

TEST_F(KivArrayLink, MatrixCellByAddress) {
  TKivMatrix m(nullptr, 0x21);
  m.SetDataLength(2);
  m.SetRowDimension(12);
  m.SetColumnDimension(12);
  m.ByAddress = true;
  m.Address = 0x100;
  m.SetConnection(&conn);
  EXPECT_EQ(OpsOf(*ecu, [&] { m.SetData(77.0, 2, 3); }),
            (std::vector<std::string>{"WriteAtAddress(0xC321, 310, 77) -> 1"}));  // 0x136
}

TEST(KivMatrix, ShapeChangesAreToldToTheControls) {
  TKivMatrix m(nullptr, 0x0E);
  MessageProbe grid;
  m.AddNotificationList(&grid);
  EXPECT_EQ(m.Type(), mtSingle);
  m.SetMatrixType(mtMatrix);
  EXPECT_EQ(m.ColCount(), 5);
  EXPECT_EQ(m.RowCount(), 4);
  ASSERT_EQ(grid.Count(WM_CHANGEDATADIM), 1);
  EXPECT_EQ(grid.received[0].wParam, 5);
  EXPECT_EQ(grid.received[0].lParam, 4);
  EXPECT_EQ(m.SerialWord() >> 12 & 0xFF, 5);
  m.SetMatrixType(mtVector);
  EXPECT_EQ(m.RowCount(), 1);
  m.SetColumnDimension(0);
  m.SetRowDimension(-3);
  EXPECT_EQ(grid.Count(WM_CHANGEDATADIM), 2);
  m.SetRowDimension(3);
  EXPECT_EQ(m.Type(), mtMatrix);
  EXPECT_EQ(grid.Count(WM_CHANGEDATADIM), 3);
  m.SetDefValue(2, 4, 9);
  EXPECT_EQ(m.GetDefValue(2, 4), 9);
  EXPECT_EQ(m.GetDefValue(3, 0), 0);
}

TEST(KivMatrix, WithoutAConnectionRowAndCellWritesAreKeptSilently) {
  TKivMatrix m(nullptr, 0x0E);
  m.SetRowDimension(2);
  m.SetColumnDimension(2);
  int errors = 0;
  m.OnError = [&](TKivSerialData*, int, bool) { ++errors; };
  EXPECT_TRUE(m.SetData(3.0, 1, 1));
  EXPECT_EQ(m.RawCell(1, 1), 3);
  EXPECT_EQ(errors, 0);
  TKivConnection missing;
  missing.SetDllName("NoSuchSerialLibrary");
  m.SetConnection(&missing);
  EXPECT_FALSE(m.SetData(4.0, 1, 1));
  EXPECT_EQ(m.RawCell(1, 1), 3);
  EXPECT_EQ(errors, 1);
}

TEST(KivMatrix, IniKeysByShapeAndRoundTrip) {
  struct Case {
    int rows, cols;
    const char* key;
  } cases[] = {{1, 1, "M"}, {1, 3, "M2"}, {3, 1, "M2"}, {3, 4, "M2_3"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    TKivMatrix m(nullptr, 0x0E);
    m.SetRowDimension(c.rows);
    m.SetColumnDimension(c.cols);
    m.FileSection = "Mappa";
    m.FileKeyName = "M";
    for (int r = 0; r < c.rows; ++r)
      for (int col = 0; col < c.cols; ++col) m.SetData(r * 10.0 + col, r, col);
    IniFile ini;
    ASSERT_TRUE(m.WriteToFile(&ini));
    const int last = (c.rows - 1) * 10 + c.cols - 1;
    EXPECT_EQ(ini.ReadString("Mappa", c.key, ""), std::to_string(last));
    TKivMatrix back(nullptr, 0x0E);
    back.SetRowDimension(c.rows);
    back.SetColumnDimension(c.cols);
    back.FileSection = "Mappa";
    back.FileKeyName = "M";
    back.OldReadFileMode = true;
    ASSERT_TRUE(back.ReadFromFile(&ini));
    EXPECT_EQ(back.RawValues(), m.RawValues());
  }
}
