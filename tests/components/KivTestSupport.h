#pragma once
// Support for the data-bound component tests: the fake serial library built beside the test,
// a connection loaded from it with the link open, the call log without the line queries, and
// a widget that records the private messages it receives.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <QWidget>
#include <string>
#include <vector>

#include "Clock.h"
#include "KivConnection.h"
#include "PrivateMessage.h"
#include "SimulatedEcu.h"

inline QString BesideTest(const char* name) {
  return QCoreApplication::applicationDirPath() + "/" + QString::fromLatin1(name);
}

// The fake library as the test sees it, held open (dlopen counts its own reference) for the
// fixture's lifetime, so its ECU and counters survive the connection's unloading.
class FakeSerialLibrary {
 public:
  explicit FakeSerialLibrary(const char* name = "FakeSerKiv") {
    const QByteArray path = QFile::encodeName(BesideTest(("lib" + std::string(name) + ".so").c_str()));
    handle_ = dlopen(path.constData(), RTLD_NOW);
    if (auto reset = reinterpret_cast<void (*)()>(Symbol("_FakeReset"))) reset();
  }
  ~FakeSerialLibrary() {
    if (handle_) dlclose(handle_);
  }
  FakeSerialLibrary(const FakeSerialLibrary&) = delete;
  FakeSerialLibrary& operator=(const FakeSerialLibrary&) = delete;
  bool Loaded() const { return handle_ != nullptr; }
  SimulatedEcu* Ecu() {
    auto f = reinterpret_cast<SimulatedEcu* (*)()>(Symbol("_FakeEcu"));
    return f ? f() : nullptr;
  }
  int Count(const char* symbol) {
    auto f = reinterpret_cast<int (*)()>(Symbol(symbol));
    return f ? f() : -1;
  }

 private:
  void* Symbol(const char* name) { return handle_ ? dlsym(handle_, name) : nullptr; }
  void* handle_ = nullptr;
};

// The exchanges of the log, without the line and error queries.
inline std::vector<std::string> Exchanges(const SimulatedEcu& ecu) {
  std::vector<std::string> out;
  for (const SimCall& c : ecu.Calls())
    if (c.op != SimOp::IsLinkOpen && c.op != SimOp::GetLastErrorCode) out.push_back(c.Text());
  return out;
}

// A connection over the fake library with the line open and the log cleared.
class LinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fake.Loaded());
    conn.SetDllName("FakeSerKiv");
    ASSERT_TRUE(conn.LoadDll());
    ecu = fake.Ecu();
    ASSERT_NE(ecu, nullptr);
    // The ECU's engine model runs on the test's clock from the first opening on.
    ecu->UseClock(simClock);
    ASSERT_TRUE(conn.LinkObject()->OpenLink());
    ecu->ClearCalls();
  }
  void TearDown() override { conn.UnloadDll(); }

  FakeSerialLibrary fake;
  TKivConnection conn;
  SimulatedEcu* ecu = nullptr;
  FakeClock simFake;
  IClock* simClock = &simFake;
};

// Records the private messages a bound control receives, and the thread they arrive on.
class MessageProbe : public QWidget {
 public:
  struct Received {
    unsigned msg;
    intptr_t wParam;
    intptr_t lParam;
  };
  std::vector<Received> received;
  bool offMainThread = false;
  std::function<void(const Received&)> onMessage;

  int Count(unsigned msg) const {
    int n = 0;
    for (const auto& r : received) n += r.msg == msg;
    return n;
  }

 protected:
  void customEvent(QEvent* e) override {
    const auto* m = dynamic_cast<const PrivateMessageEvent*>(e);
    if (!m) return;
    if (QThread::currentThread() != QCoreApplication::instance()->thread()) offMainThread = true;
    received.push_back({m->Message(), m->WParam(), m->LParam()});
    if (onMessage) onMessage(received.back());
  }
};
