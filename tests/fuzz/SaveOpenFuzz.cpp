// Save and open again on random configurations: the input drives a data set connected to a
// simulated ECU (reads of random memory, the setters, SetValue, the breakpoint editors' rule),
// then the configuration is saved and opened; every field the file carries must come back.
#include <cstdio>
#include <cstdlib>

#include "FuzzInput.h"
#include "RandomConfiguration.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int steps = 1 + data[0] % 16;
  size_t at = 1;
  // Four input bytes a draw; past the end, zeros.
  RandomDraw draw([&] {
    uint32_t v = 0;
    for (int b = 0; b < 4; ++b, ++at) v |= (at < size ? uint32_t{data[at]} : 0u) << (8 * b);
    return v;
  });
  RandomConfigurationRig rig;
  const QString path =
      QDir::temp().filePath(QStringLiteral("fuzz-%1-saveopen.trm").arg(QCoreApplication::applicationPid()));
  const std::string wrong = rig.SaveAndOpen(draw, steps, path, EditBreakpointsByTheRule);
  if (!wrong.empty()) {
    std::fprintf(stderr, "saved configuration did not open again: %s\n", wrong.c_str());
    std::abort();
  }
  return 0;
}
