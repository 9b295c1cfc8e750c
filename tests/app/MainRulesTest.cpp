// The main window's rules that need no window: entry layout, selection keys, screen scaling,
// firmware and customer checks, the software-version text and the status-text list.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "BrandProfile.h"
#include "EcuChecks.h"
#include "MainLayout.h"
#include "StatusTextList.h"

namespace {
constexpr std::array<bool, kMenuCount> kAllVisible = {true, true, true, true, true, true, true, true};
}  // namespace

TEST(MainLayout, RowsFollowTheClientHeight) {
  const MenuRows r = LayoutMenuRows(550, kAllVisible, {});
  EXPECT_EQ(r.rowHeight, 50);
  EXPECT_EQ(r.titleTop, 16);
  EXPECT_EQ(r.firstRowTop, 91);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(r.tops[static_cast<size_t>(i)], 91 + 50 * i) << i;
  EXPECT_EQ(r.tops[7], r.tops[6] + 75);  // "ESCI" one and a half rows below entry 6

  // Hidden entries keep their place and the visible ones close up; halves round to even.
  std::array<bool, kMenuCount> visible = kAllVisible;
  visible[1] = visible[3] = false;
  std::array<int, kMenuCount> old{};
  old[1] = 999;
  const MenuRows h = LayoutMenuRows(561, visible, old);  // rows of 51: 17 + 76.5 -> 94 (even)
  EXPECT_EQ(h.rowHeight, 51);
  EXPECT_EQ(h.firstRowTop, 94);
  EXPECT_EQ(h.tops[0], 94);
  EXPECT_EQ(h.tops[1], 999);
  EXPECT_EQ(h.tops[2], 94 + 51);
  EXPECT_EQ(h.tops[6], 94 + 4 * 51);
  EXPECT_EQ(h.tops[7], h.tops[6] + 76);  // 298 + 76.5 -> 374.5 -> 374 (even)

  EXPECT_EQ(LayoutMenuRows(-40, kAllVisible, {}).rowHeight, 0);
}

TEST(MainLayout, ColumnsCentreTheWidestVisibleEntry) {
  std::array<int, kMenuCount> widths = {300, 200, 150, 150, 420, 410, 390, 80};
  std::array<bool, kMenuCount> visible = kAllVisible;
  MenuColumns c = CentreMenuColumns(1001, 501, widths, visible);
  EXPECT_EQ(c.titleLeft, 250);
  EXPECT_EQ(c.entryLeft, 290);  // (1001 - 420) / 2, truncated
  EXPECT_EQ(c.arrowLeft, 240);
  visible[4] = false;
  EXPECT_EQ(CentreMenuColumns(1001, 501, widths, visible).entryLeft, 295);
  // A window narrower than an entry truncates toward zero.
  EXPECT_EQ(CentreMenuColumns(100, 501, widths, visible).titleLeft, -200);
}

TEST(MainLayout, SelectionKeysStepOverHiddenEntries) {
  std::array<bool, kMenuCount> visible = kAllVisible;
  visible[2] = visible[3] = false;
  EXPECT_EQ(MenuSelectionAfterKey(1, true, visible), 4);
  EXPECT_EQ(MenuSelectionAfterKey(4, false, visible), 1);
  EXPECT_EQ(MenuSelectionAfterKey(7, true, visible), -1);   // Down on the last entry
  EXPECT_EQ(MenuSelectionAfterKey(0, false, visible), -1);  // Up on entry 0
  EXPECT_EQ(MenuSelectionAfterKey(0, true, visible), 1);
  visible[7] = false;
  EXPECT_EQ(MenuSelectionAfterKey(6, true, visible), -1);
}

TEST(MainLayout, ScreenScaling) {
  EXPECT_EQ(ScaleToScreen(240, 1024), 307);
  EXPECT_EQ(ScaleToScreen(285, 1024), 364);
  EXPECT_EQ(ScaleToScreen(240, 800), 240);
  EXPECT_EQ(ScaleToScreen(50, 640), 40);
}

TEST(EcuChecks, FirmwareWords) {
  struct Case {
    int a, b;
    FirmwareVerdict verdict;
  } cases[] = {
      {774, 0, FirmwareVerdict::Accept},
      {0, 774, FirmwareVerdict::Accept},
      {0x8000 | 700, 774, FirmwareVerdict::Accept},  // the bit alone changes nothing
      {775, 774, FirmwareVerdict::Refuse},
      {774, 775, FirmwareVerdict::Refuse},
      {0x8307, 774, FirmwareVerdict::Warn},
      {0x8307, 0x8400, FirmwareVerdict::Warn},
      {0x8307, 776, FirmwareVerdict::Refuse},  // one newer word without the bit refuses
      {0x7FFF, 0, FirmwareVerdict::Refuse},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CheckFirmwareWords(c.a, c.b), c.verdict) << std::hex << c.a << " " << c.b;
}

TEST(EcuChecks, CustomerCodeOfTheChosenItem) {
  SelectBrand(kThisBuildBrandBit);
  EXPECT_EQ(CustomerCodeForItem(3), 10);    // this build's brand
  EXPECT_EQ(CustomerCodeForItem(12), 255);  // the neutral customer leaves the ECU without one
  EXPECT_EQ(CustomerCodeForItem(-1), 10);
}

TEST(EcuChecks, SoftwareVersionTexts) {
  const QString caption = QStringLiteral("Versione software");
  EXPECT_EQ(SoftwareVersionText(caption, 3, 10, QString()), QStringLiteral("Versione software: 3.10"));
  EXPECT_EQ(SoftwareVersionText(caption, 3, 10, QStringLiteral("Sequenziale")),
            QStringLiteral("Versione software: 3 - Sequenziale"));
  EXPECT_EQ(RelabelVersionText(QStringLiteral("Software version"), QStringLiteral("Versione software: 3.10")),
            QStringLiteral("Software version: 3.10"));
  EXPECT_EQ(RelabelVersionText(QStringLiteral("V"), QStringLiteral("no colon")), QStringLiteral("Vno colon"));
}

TEST(StatusTextList, NameValueLines) {
  TStatusTextList list;
  list.SetText(QByteArray("; comment\r\n10=Sequenziale 4\r\nABC=x=y\n10=second\rnoequals\n=empty\n"));
  EXPECT_EQ(list.Count(), 6);
  EXPECT_EQ(list.Value(QStringLiteral("10")), QStringLiteral("Sequenziale 4"));  // first line wins
  EXPECT_EQ(list.Value(QStringLiteral("abc")), QStringLiteral("x=y"));           // any case
  EXPECT_EQ(list.Value(QStringLiteral("noequals")), QString());
  EXPECT_EQ(list.Value(QString()), QStringLiteral("empty"));
  EXPECT_EQ(list.Value(QStringLiteral("1")), QString());
  // Latin-1 bytes where the file is not UTF-8; UTF-8 where it is.
  list.SetText(QByteArray("1=Citt\xE0\n2=Citt\xC3\xA0\n"));
  EXPECT_EQ(list.Value(QStringLiteral("1")), QString::fromUtf8("Citt\xC3\xA0"));
  list.SetText(QByteArray("2=Citt\xC3\xA0\n"));
  EXPECT_EQ(list.Value(QStringLiteral("2")), QString::fromUtf8("Citt\xC3\xA0"));
}

TEST(StatusTextList, ListIsFoundWhateverTheCaseOfItsName) {
  QTemporaryDir dir;
  const QString folder = dir.filePath("Programmazione");
  ASSERT_TRUE(QDir().mkpath(folder));
  QFile f(folder + QStringLiteral("/KIV2001.TXT"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("1=Mia centralina\r\n");
  f.close();
  EXPECT_EQ(StatusTextListPath(folder), folder + QStringLiteral("/KIV2001.TXT"));
  EXPECT_EQ(ModelDisplayName(StatusTextListPath(folder), 1), QStringLiteral("Mia centralina"));
}
