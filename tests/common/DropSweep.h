#pragma once
// Runs an action once for every exchange position with the simulated ECU's link dropping there,
// and collects the positions whose outcome went wrong.
#include <functional>
#include <string>
#include <vector>

#include "SimulatedEcu.h"

struct DropSweepResult {
  int positions = 0;                // runs in which the link dropped
  std::vector<std::string> wrong;   // "position: what went wrong", one per wrong run

  // "3 of 140 positions went wrong: 17: ..., 18: ..." (at most five shown).
  std::string Text() const {
    std::string text = std::to_string(wrong.size()) + " of " + std::to_string(positions) +
                       " positions went wrong";
    for (size_t i = 0; i < wrong.size() && i < 5; ++i) text += (i ? "; " : ": ") + wrong[i];
    return text;
  }
};

// Before each run setup() puts the ECU, the link and the data set in place; the link then drops
// at the exchange after `position` exchanges, action() runs, and problem() names what went wrong
// ("" when nothing). The sweep ends with the first run the drop never reached; that run must
// have nothing wrong either.
inline DropSweepResult DropSweep(SimulatedEcu& ecu, const std::function<void()>& setup,
                                 const std::function<void()>& action,
                                 const std::function<std::string()>& problem) {
  DropSweepResult result;
  for (int position = 0;; ++position) {
    setup();
    ecu.DropLinkAfter(position);
    action();
    const bool dropped = !ecu.DropPending();
    ecu.DropLinkAfter(-1);
    const std::string what = problem();
    if (!what.empty()) result.wrong.push_back(std::to_string(position) + ": " + what);
    if (!dropped) return result;
    ++result.positions;
  }
}
