#include <gtest/gtest.h>

#include "KivConnection.h"
#include "KivTestSupport.h"

TEST(KivConnection, VersionsFrom493AreAccepted) {
  struct Case {
    uint32_t major, minor, release;
    bool accepted;
  } cases[] = {{4, 9, 3, true}, {4, 9, 2, false},  {3, 20, 0, false}, {4, 10, 0, true},
               {5, 0, 0, true}, {4, 8, 99, false}, {4, 9, 100, true}, {0, 0, 0, false}};
  for (const Case& c : cases)
    EXPECT_EQ(TKivConnection::VersionAccepted({c.major, c.minor, c.release, 0}), c.accepted)
        << c.major << "." << c.minor << "." << c.release;
}

TEST(KivConnection, LoadsTheSerialLibraryBesideTheProgram) {
  TKivConnection conn;
  EXPECT_EQ(conn.DllName(), "SerKivDL");
  ASSERT_TRUE(conn.LoadDll());
  ASSERT_NE(conn.LinkObject(), nullptr);
  FILE_VERSION_DATA v;
  ASSERT_TRUE(conn.GetDllVersion(&v));
  EXPECT_EQ(v.major, 4u);
  EXPECT_FALSE(conn.GetDllVersion(nullptr));
  conn.UnloadDll();
  EXPECT_FALSE(conn.Loaded());
  EXPECT_EQ(conn.LinkObject(), nullptr);
  EXPECT_FALSE(conn.GetDllVersion(&v));
}

TEST(KivConnection, MissingLibraryOrEntryOrOldVersionLeavesItUnloaded) {
  TKivConnection missing;
  missing.SetDllName("NoSuchSerialLibrary");
  EXPECT_FALSE(missing.LoadDll());
  EXPECT_EQ(missing.LinkObject(), nullptr);

  FakeSerialLibrary noVersionLib("FakeSerKivNoVersion");
  TKivConnection noVersion;
  noVersion.SetDllName("FakeSerKivNoVersion");
  EXPECT_FALSE(noVersion.LoadDll());
  EXPECT_FALSE(noVersion.Loaded());
  EXPECT_EQ(noVersionLib.Count("_FakeCreated"), 0);

  for (const char* version : {"4.9.2", "3.20.0"}) {
    qputenv("FAKE_SERKIV_VERSION", version);
    FakeSerialLibrary lib;
    TKivConnection old;
    old.SetDllName("FakeSerKiv");
    EXPECT_FALSE(old.LoadDll()) << version;
    EXPECT_EQ(lib.Count("_FakeCreated"), 0) << version;
  }
  qputenv("FAKE_SERKIV_VERSION", "5.0.0");
  {
    FakeSerialLibrary lib;
    TKivConnection newer;
    newer.SetDllName("FakeSerKiv");
    EXPECT_TRUE(newer.LoadDll());
  }
  qunsetenv("FAKE_SERKIV_VERSION");
}

TEST_F(LinkTest, LoadingTwiceCreatesOneLinkAndTheNameStaysWhileLoaded) {
  TSerialLink* first = conn.LinkObject();
  EXPECT_TRUE(conn.LoadDll());
  EXPECT_EQ(conn.LinkObject(), first);
  EXPECT_EQ(fake.Count("_FakeCreated"), 1);
  conn.SetDllName("Other");
  EXPECT_EQ(conn.DllName(), "FakeSerKiv");
}

TEST_F(LinkTest, UnloadDisconnectsAnOpenLinkAndClosesAClosedOne) {
  conn.UnloadDll();
  EXPECT_EQ(ecu->CountCalls(SimOp::Disconnect), 1);
  EXPECT_EQ(ecu->CountCalls(SimOp::CloseLink), 0);
  EXPECT_EQ(fake.Count("_FakeDestroyed"), 1);

  ASSERT_TRUE(conn.LoadDll());
  ecu->ClearCalls();
  ASSERT_EQ(conn.LinkObject()->IsLinkOpen(), 0);
  conn.UnloadDll();
  EXPECT_EQ(ecu->CountCalls(SimOp::CloseLink), 1);
  EXPECT_EQ(ecu->CountCalls(SimOp::Disconnect), 0);
  // A second unload does nothing.
  conn.UnloadDll();
  EXPECT_EQ(fake.Count("_FakeDestroyed"), 2);
}

TEST_F(LinkTest, DestructorUnloadsTheLibrary) {
  {
    TKivConnection own;
    own.SetDllName("FakeSerKiv");
    ASSERT_TRUE(own.LoadDll());
  }
  EXPECT_EQ(fake.Count("_FakeCreated"), 2);
  EXPECT_EQ(fake.Count("_FakeDestroyed"), 1);
}
