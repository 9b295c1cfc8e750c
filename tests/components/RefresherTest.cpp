#include <gtest/gtest.h>

#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <thread>
#ifdef __linux__
#include <sched.h>
#include <sys/resource.h>
#endif

#include "Clock.h"
#include "DataRefresher.h"
#include "KivNumber.h"
#include "KivPacketData.h"
#include "KivTestSupport.h"
#include "LiveDataRecord.h"
#include "RefreshThread.h"

namespace {

// A fake clock the worker thread may use too: the tick count moves only when the test
// advances it, or, for runs driven by the worker, by each sleep.
class ThreadClock final : public IClock {
 public:
  uint32_t GetTickCount() override { return now.load(); }
  void Sleep(uint32_t ms) override {
    if (advanceOnSleep) now += ms;
    ++sleeps;
    std::this_thread::yield();
  }
  std::atomic<uint32_t> now{1000};
  std::atomic<bool> advanceOnSleep{false};
  std::atomic<int> sleeps{0};
};

// The whole 12-element rpm vector 0x20C.
constexpr int kRpmVector = 0xC30C;
constexpr int kLivePacket = 0x800;

// Processes events until pred holds; gives up after a few seconds of wall time.
bool PumpUntil(const std::function<bool()>& pred) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!pred()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QCoreApplication::processEvents();
    std::this_thread::yield();
  }
  return true;
}

class RefresherTest : public LinkTest {
 protected:
  RefresherTest() { simClock = &clock; }
  void SetUp() override {
    LinkTest::SetUp();
    refresher = std::make_unique<TDataRefresher>();
    refresher->SetConnection(&conn);
  }
  void TearDown() override {
    refresher.reset();
    LinkTest::TearDown();
  }
  // One pass run by the test itself on the main thread.
  void Pass() { refresher->Thread()->RefreshPass(); }
  int Reads() const {
    return ecu->CountCalls(SimOp::ReadVariable) + ecu->CountCalls(SimOp::ReadRow) +
           ecu->CountCalls(SimOp::ReadPacket);
  }

  ThreadClock clock;
  ScopedClock scoped{&clock};
  std::unique_ptr<TDataRefresher> refresher;
};

}  // namespace

TEST_F(RefresherTest, OneReadPerPassDeliversEveryDueRegistrant) {
  MessageProbe fast, slow;
  ASSERT_TRUE(refresher->AddRefresh(&fast, 100, kRpmVector, -1));
  ASSERT_TRUE(refresher->AddRefresh(&slow, 500, kRpmVector, -1));
  EXPECT_EQ(refresher->Thread()->GroupCount(), 1);
  refresher->SetEnabled(true);

  Pass();  // both never delivered: due
  EXPECT_EQ(Reads(), 1);
  ASSERT_EQ(fast.Count(WM_DATAAVAILABLE), 1);
  EXPECT_EQ(slow.Count(WM_DATAAVAILABLE), 1);
  const auto* buffer = reinterpret_cast<const int32_t*>(fast.received[0].wParam);
  EXPECT_EQ(buffer[0], 500);
  EXPECT_EQ(buffer[11], 6000);

  clock.now += 150;
  Pass();
  EXPECT_EQ(Reads(), 2);
  EXPECT_EQ(fast.Count(WM_DATAAVAILABLE), 2);
  EXPECT_EQ(slow.Count(WM_DATAAVAILABLE), 1);

  clock.now += 10;
  Pass();  // nobody due: no read
  EXPECT_EQ(Reads(), 2);

  clock.now += 400;
  Pass();
  EXPECT_EQ(Reads(), 3);
  EXPECT_EQ(slow.Count(WM_DATAAVAILABLE), 2);

  // Adding again changes the period and delivers at the next pass.
  refresher->AddRefresh(&slow, 5000, kRpmVector, -1);
  clock.now += 1;
  Pass();
  EXPECT_EQ(slow.Count(WM_DATAAVAILABLE), 3);
  EXPECT_EQ(refresher->Thread()->ItemCount(), 2);

  // Suspended registrants are skipped.
  refresher->SuspendRefresh(&fast, kRpmVector, -1);
  clock.now += 200;
  Pass();
  EXPECT_EQ(fast.Count(WM_DATAAVAILABLE), 3);
  refresher->ResumeRefresh(&fast, kRpmVector, -1);
  Pass();
  EXPECT_EQ(fast.Count(WM_DATAAVAILABLE), 4);
}

TEST_F(RefresherTest, GroupsLiveAsLongAsTheirRegistrants) {
  MessageProbe a, b;
  EXPECT_FALSE(refresher->AddRefresh(&a, 0, kRpmVector, -1));
  EXPECT_EQ(refresher->Thread()->GroupCount(), 0);
  refresher->AddRefresh(&a, 100, kRpmVector, -1);
  refresher->AddRefresh(&b, 100, kRpmVector, 2);  // another index: another group
  EXPECT_EQ(refresher->Thread()->GroupCount(), 2);
  refresher->RemoveRefresh(&a, kRpmVector, -1);
  EXPECT_EQ(refresher->Thread()->GroupCount(), 1);
  refresher->AddRefresh(&a, 100, kRpmVector, -1);
  EXPECT_EQ(refresher->Thread()->GroupCount(), 2);
  refresher->RemoveAll();
  EXPECT_EQ(refresher->Thread()->GroupCount(), 0);
}

TEST_F(RefresherTest, RowGroupsReadTheirRow) {
  MessageProbe probe;
  refresher->AddRefresh(&probe, 100, 0xC20E, 4);
  refresher->SetEnabled(true);
  Pass();
  ASSERT_EQ(ecu->CountCalls(SimOp::ReadRow), 1);
  const auto* buffer = reinterpret_cast<const int32_t*>(probe.received.at(0).wParam);
  EXPECT_EQ(buffer[3], ecu->Stored(0x20E, 4 * 12 + 3));
}

TEST_F(RefresherTest, FailedReadDeliversNothingAndStaysDue) {
  MessageProbe a, b;
  refresher->AddRefresh(&a, 100, kRpmVector, -1);
  refresher->AddRefresh(&b, 100, kRpmVector, -1);
  refresher->SetEnabled(true);
  ecu->SetAbsent(0x20C);
  Pass();
  EXPECT_EQ(ecu->CountCalls(SimOp::ReadVariable), 2);  // tried again for the second item
  EXPECT_EQ(a.Count(WM_DATAAVAILABLE) + b.Count(WM_DATAAVAILABLE), 0);
  ecu->SetAbsent(0x20C, false);
  Pass();
  EXPECT_EQ(a.Count(WM_DATAAVAILABLE), 1);
  EXPECT_EQ(b.Count(WM_DATAAVAILABLE), 1);
}

TEST_F(RefresherTest, NothingIsReadWhenDisabledOrWithoutAnOpenLink) {
  MessageProbe probe;
  refresher->AddRefresh(&probe, 100, kRpmVector, -1);
  Pass();  // not enabled yet
  refresher->SetEnabled(true);
  conn.LinkObject()->CloseLink();
  Pass();
  refresher->SetConnection(nullptr);
  conn.LinkObject()->OpenLink();
  Pass();
  EXPECT_EQ(Reads(), 0);
  EXPECT_EQ(probe.Count(WM_DATAAVAILABLE), 0);
  {
    TKivConnection other;
    refresher->SetConnection(&other);
  }
  EXPECT_EQ(refresher->Connection(), nullptr);  // a deleted connection is forgotten
  Pass();
  EXPECT_EQ(Reads(), 0);
}

TEST_F(RefresherTest, PacketValuesCutTheirFieldOutOfTheLiveRecord) {
  TKivPacketData rpm(nullptr, 0);
  rpm.SetDataLength(2);
  rpm.SetDataRefresher(refresher.get());
  EXPECT_TRUE(rpm.Registered());  // registered, suspended while not active
  rpm.SetActive(true);
  TKivPacketData correction(nullptr, 0);
  correction.SetDataLength(2);
  correction.SetDataSigned(true);
  correction.SetOffset(LiveDataRecord::kCorrection);
  correction.SetDataRefresher(refresher.get());
  correction.SetActive(true);
  EXPECT_EQ(refresher->Thread()->GroupCount(), 2);  // the sign bit makes another word
  MessageProbe control;
  rpm.AddNotificationList(&control);
  refresher->SetEnabled(true);
  ecu->SetDiagnosisFault(0, false);
  Pass();
  uint8_t record[LiveDataRecord::kSize];
  ecu->LiveRecord().Encode(record);
  ASSERT_EQ(ecu->CountCalls(SimOp::ReadPacket), 2);
  EXPECT_EQ(ecu->Calls().back().a, LiveDataRecord::kSize);  // a buffer of 64 asked for 30
  EXPECT_EQ(rpm.RawValue(), record[0] | record[1] << 8);
  EXPECT_GT(rpm.GetInt(), 0);
  EXPECT_EQ(correction.RawValue(), static_cast<int16_t>(record[5] | record[6] << 8));
  EXPECT_EQ(control.Count(WM_DATACHANGED), 1);
  EXPECT_EQ(TRefreshThread::CapacityFor(kLivePacket), 64);

  // Read-only: nothing goes to the ECU.
  EXPECT_FALSE(rpm.Reload());
  EXPECT_FALSE(rpm.Load());
  EXPECT_FALSE(rpm.ResetDefault(true));
  IniFile* none = nullptr;
  EXPECT_FALSE(rpm.WriteToFile(none));
  rpm.InitData(1234);
  EXPECT_EQ(rpm.RawValue(), 1234);
  EXPECT_EQ(control.Count(WM_DATACHANGED), 2);
}

TEST_F(RefresherTest, PacketValueKeepsOneRegistrationThroughItsChanges) {
  TKivPacketData p(nullptr, 0);
  p.SetDataRefresher(refresher.get());
  p.SetActive(true);
  p.SetTimeInterval(19);
  EXPECT_EQ(p.TimeInterval(), 1000);
  p.SetTimeInterval(20);
  EXPECT_EQ(p.TimeInterval(), 20);
  p.SetSerialCode(5);
  EXPECT_EQ(refresher->Thread()->ItemCount(), 1);
  EXPECT_EQ(refresher->Thread()->GroupCount(), 1);
  p.SetActive(false);
  p.SetSerialCode(6);  // stays suspended under the new code
  refresher->SetEnabled(true);
  conn.LinkObject();
  Pass();
  EXPECT_EQ(ecu->CountCalls(SimOp::ReadPacket), 0);
  p.SetDataLength(2);  // the registration stays under the word it was made with
  p.SetActive(true);
  Pass();
  EXPECT_EQ(ecu->CountCalls(SimOp::ReadPacket), 1);
  {
    TKivPacketData gone(nullptr, 0);
    gone.SetDataRefresher(refresher.get());
    gone.SetActive(true);
    EXPECT_EQ(refresher->Thread()->ItemCount(), 2);
  }
  EXPECT_EQ(refresher->Thread()->ItemCount(), 1);  // the destructor unregistered it
  refresher.reset();
  EXPECT_EQ(p.DataRefresher(), nullptr);
  EXPECT_FALSE(p.Active());
  EXPECT_FALSE(p.Registered());
}

TEST_F(RefresherTest, SleepTimeLimits) {
  TRefreshThread thread(true, tpNormal, 5);
  EXPECT_EQ(thread.SleepTime(), 20);
  EXPECT_EQ(refresher->SleepTime(), 20);
  refresher->SetSleepTime(5);
  EXPECT_EQ(refresher->Thread()->SleepTime(), 5);
  refresher->SetSleepTime(0);
  EXPECT_EQ(refresher->SleepTime(), 5);
  EXPECT_EQ(refresher->Thread()->SleepTime(), 5);
}

#ifdef __linux__
TEST_F(RefresherTest, PriorityIsSetOnTheWorkerThread) {
  TRefreshThread thread(true, tpLowest, 20);
  ASSERT_TRUE(PumpUntil([&] { return thread.WorkerThreadId() != 0; }));
  const auto tid = static_cast<id_t>(thread.WorkerThreadId());
  EXPECT_EQ(getpriority(PRIO_PROCESS, tid), 10);  // set by the worker when it starts

  ASSERT_TRUE(PumpUntil([&] { return refresher->Thread()->WorkerThreadId() != 0; }));
  const auto facadeTid = static_cast<id_t>(refresher->Thread()->WorkerThreadId());
  EXPECT_EQ(getpriority(PRIO_PROCESS, facadeTid), 0);
  refresher->SetPriority(tpLower);
  EXPECT_EQ(refresher->Priority(), tpLower);
  EXPECT_EQ(getpriority(PRIO_PROCESS, facadeTid), 5);
  refresher->SetPriority(tpIdle);
  EXPECT_EQ(sched_getscheduler(static_cast<pid_t>(facadeTid)), SCHED_IDLE);
  refresher->SetPriority(tpNormal);
  EXPECT_EQ(sched_getscheduler(static_cast<pid_t>(facadeTid)), SCHED_OTHER);
  EXPECT_EQ(getpriority(PRIO_PROCESS, facadeTid), 0);
}
#endif

TEST_F(RefresherTest, WorkerDeliversOnTheMainThreadAndParksWhenDisabled) {
  clock.advanceOnSleep = true;
  MessageProbe probe;
  TKivNumber number(nullptr, 0x21);
  int numberDeliveries = 0;
  number.OnGetData = [&](TKivSerialData*) { ++numberDeliveries; };
  refresher->AddRefresh(&probe, 40, kRpmVector, -1);
  refresher->AddRefresh(&number, 40, 0x21, -1);
  EXPECT_FALSE(refresher->GetEnabled());
  refresher->SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return probe.Count(WM_DATAAVAILABLE) >= 3 && numberDeliveries >= 3; }));
  EXPECT_FALSE(probe.offMainThread);
  EXPECT_EQ(number.RawValue(), 18);
  EXPECT_TRUE(refresher->GetEnabled());

  refresher->SetEnabled(false);
  ASSERT_TRUE(PumpUntil([&] { return !refresher->GetEnabled(); }));
  const int reads = Reads();
  const int sleeps = clock.sleeps;
  for (int i = 0; i < 50; ++i) QCoreApplication::processEvents();
  EXPECT_EQ(Reads(), reads);
  EXPECT_EQ(clock.sleeps, sleeps);

  refresher->SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return Reads() > reads; }));
}

TEST_F(RefresherTest, ShutdownWithAPassRequestedDropsThePass) {
  clock.advanceOnSleep = true;
  MessageProbe probe;
  refresher->AddRefresh(&probe, 1, kRpmVector, -1);
  refresher->SetEnabled(true);
  // Let the worker request a pass, then end it without running the pass.
  ASSERT_TRUE(PumpUntil([&] { return clock.sleeps > 0; }));
  refresher.reset();
  const int delivered = probe.Count(WM_DATAAVAILABLE);
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
  EXPECT_EQ(probe.Count(WM_DATAAVAILABLE), delivered);

  // A refresher never enabled ends at once too.
  TDataRefresher idle;
}

TEST_F(RefresherTest, HandlersReenterWhileTheMainThreadWrites) {
  clock.advanceOnSleep = true;
  MessageProbe probe;
  TKivNumber writer(nullptr, 0x21);
  writer.SetConnection(&conn);
  TKivPacketData live(nullptr, 0);
  live.SetDataLength(2);
  live.SetTimeInterval(20);
  live.SetDataRefresher(refresher.get());
  live.SetActive(true);
  std::atomic<int> lockFreeChecks{0};
  int deliveries = 0;
  probe.onMessage = [&](const MessageProbe::Received&) {
    ++deliveries;
    // A delivery runs outside the link lock, so a handler may reach the link and the
    // refresher again without ever taking them in the wrong order.
    if (lockFreeChecks < 5) {
      auto free = std::async(std::launch::async, [&] {
        const bool got = conn.LinkLock().try_lock();
        if (got) conn.LinkLock().unlock();
        return got;
      });
      EXPECT_TRUE(free.get());
      ++lockFreeChecks;
    }
    writer.SetData(deliveries % 200);
    refresher->AddRefresh(&probe, 1 + deliveries % 3, kRpmVector, -1);
    if (deliveries % 7 == 0) refresher->RemoveRefresh(&live, live.SerialWord(), -1);
  };
  refresher->AddRefresh(&probe, 1, kRpmVector, -1);
  refresher->SetEnabled(true);
  for (int i = 0; i < 300; ++i) {
    writer.SetData(i % 100);
    writer.Load();
    if (i % 50 == 0) refresher->SetEnabled(i % 100 == 0);
    QCoreApplication::processEvents();
  }
  refresher->SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return deliveries >= 20; }));
  EXPECT_EQ(lockFreeChecks, 5);
  EXPECT_FALSE(probe.offMainThread);
}
