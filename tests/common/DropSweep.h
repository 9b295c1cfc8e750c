#pragma once
// Runs an action once for every exchange position with the simulated ECU's link failing there,
// and collects the positions whose outcome went wrong. The link fails in one of two ways: the
// line drops (closes), or the ECU stops answering with the line left open.
// A test that sweeps goes in a suite whose name ends in DropSweep: ctest runs those apart, once,
// offscreen (label drop-sweep; tests/CMakeLists.txt).
#include <functional>
#include <string>
#include <vector>

#include "SimulatedEcu.h"

enum class LinkFault { Drop, Silence };

inline const char* LinkFaultName(LinkFault fault) { return fault == LinkFault::Drop ? "drop" : "silence"; }

struct DropSweepResult {
  int positions = 0;               // runs in which the link failed
  std::vector<std::string> wrong;  // "position: what went wrong", one per wrong run

  // "3 of 140 positions went wrong: 17: ..., 18: ..." (at most five shown).
  std::string Text() const {
    std::string text = std::to_string(wrong.size()) + " of " + std::to_string(positions) +
                       " positions went wrong";
    for (size_t i = 0; i < wrong.size() && i < 5; ++i) text += (i ? "; " : ": ") + wrong[i];
    return text;
  }
};

// Before each run setup() puts the ECU, the link and the data set in place (an ECU silenced by
// the run before answers again); the link then fails at the exchange after `position`
// exchanges, action() runs, and problem() names what went wrong ("" when nothing), with the
// ECU still silent after a silence. The sweep ends with the first run the failure never
// reached; that run must have nothing wrong either.
inline DropSweepResult DropSweep(SimulatedEcu& ecu, const std::function<void()>& setup,
                                 const std::function<void()>& action,
                                 const std::function<std::string()>& problem,
                                 LinkFault fault = LinkFault::Drop) {
  DropSweepResult result;
  for (int position = 0;; ++position) {
    ecu.SetNoAnswer(false);
    setup();
    if (fault == LinkFault::Drop)
      ecu.DropLinkAfter(position);
    else
      ecu.FallSilentAfter(position);
    action();
    const bool failed = fault == LinkFault::Drop ? !ecu.DropPending() : !ecu.SilencePending();
    ecu.DropLinkAfter(-1);
    ecu.FallSilentAfter(-1);
    const std::string what = problem();
    ecu.SetNoAnswer(false);
    if (!what.empty()) result.wrong.push_back(std::to_string(position) + ": " + what);
    if (!failed) return result;
    ++result.positions;
  }
}
