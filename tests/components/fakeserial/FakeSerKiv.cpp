// A serial library for the link-component tests: its link objects share one simulated ECU
// that outlives them (so a test can read the call log after the link object is gone), its
// version comes from FAKE_SERKIV_VERSION ("major.minor.release", default 4.9.3), and the
// FAKE_NO_VERSION build lacks _GetDLLVersion.
#include <charconv>
#include <cstdlib>
#include <cstring>

#include "SerialLink.h"
#include "SimLink.h"
#include "SimulatedEcu.h"

#define FAKE_EXPORT __attribute__((visibility("default")))

namespace {
SimulatedEcu* g_ecu = nullptr;
SimulatedEcu& Ecu() {
  if (!g_ecu) g_ecu = new SimulatedEcu();
  return *g_ecu;
}
int g_created = 0;
int g_destroyed = 0;
}  // namespace

extern "C" {

FAKE_EXPORT TSerialLink* _CreateClassInstance() {
  ++g_created;
  return new SimLink(Ecu());
}

FAKE_EXPORT void _DestroyClassInstance(TSerialLink* link) {
  ++g_destroyed;
  delete link;
}

#ifndef FAKE_NO_VERSION
FAKE_EXPORT bool _GetDLLVersion(FILE_VERSION_DATA* v) {
  if (!v) return false;
  const char* text = std::getenv("FAKE_SERKIV_VERSION");
  if (!text || !*text) text = "4.9.3";
  uint32_t parts[3] = {0, 0, 0};
  const char* p = text;
  const char* end = text + std::strlen(text);
  for (uint32_t& part : parts) {
    auto [next, ec] = std::from_chars(p, end, part);
    if (ec != std::errc()) return false;
    p = next < end && *next == '.' ? next + 1 : next;
  }
  *v = FILE_VERSION_DATA{parts[0], parts[1], parts[2], 0};
  return true;
}
#endif

FAKE_EXPORT SimulatedEcu* _FakeEcu() { return &Ecu(); }
// A fresh ECU for the link objects created from now on.
FAKE_EXPORT void _FakeReset() {
  delete g_ecu;
  g_ecu = nullptr;
  g_created = g_destroyed = 0;
}
FAKE_EXPORT int _FakeCreated() { return g_created; }
FAKE_EXPORT int _FakeDestroyed() { return g_destroyed; }

}  // extern "C"
