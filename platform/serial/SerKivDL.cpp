// The stand-in serial library: its exports hand out link objects over a simulated ECU.
#include <cstdio>
#include <cstdlib>

#include "SerialLink.h"
#include "SimLink.h"
#include "SimScenario.h"

#if defined(_WIN32)
#define SERKIV_EXPORT __declspec(dllexport)
#else
#define SERKIV_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

// A new link object; the scenario file named by ECU_SIM_SCENARIO, if any, configures its ECU.
SERKIV_EXPORT TSerialLink* _CreateClassInstance() {
  auto* link = new SimLink();
  if (const char* path = std::getenv(kSimScenarioVariable); path && *path) {
    for (const std::string& problem : LoadSimScenario(link->Ecu(), path))
      std::fprintf(stderr, "SerKivDL: scenario %s: %s\n", path, problem.c_str());
  }
  return link;
}

SERKIV_EXPORT void _DestroyClassInstance(TSerialLink* link) { delete link; }

SERKIV_EXPORT bool _GetDLLVersion(FILE_VERSION_DATA* version) {
  if (!version) return false;
  *version = FILE_VERSION_DATA{4, 9, 3, 0};
  return true;
}

// The simulated ECU behind a link object of this library (null for any other object), so that
// a test that loaded the library can configure it.
SERKIV_EXPORT SimulatedEcu* _SimulatedEcu(TSerialLink* link) {
  auto* sim = dynamic_cast<SimLink*>(link);
  return sim ? &sim->Ecu() : nullptr;
}

}  // extern "C"
