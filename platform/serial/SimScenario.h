#pragma once
// Scenario files for manual runs against the simulated ECU: key=value lines that configure
// it (README.md, "Simulated ECU scenarios", lists the keys). Blank lines and lines starting
// with '#' are skipped; numbers are decimal or 0x hexadecimal, lists are comma-separated.
#include <string>
#include <string_view>
#include <vector>

class SimulatedEcu;

// Environment variable that names the scenario file the serial library applies at creation.
inline constexpr const char* kSimScenarioVariable = "ECU_SIM_SCENARIO";

// Applies every valid line; returns one message per line that could not be applied.
std::vector<std::string> ApplySimScenario(SimulatedEcu& ecu, std::string_view text);
// Reads and applies a scenario file; an unreadable file is one message.
std::vector<std::string> LoadSimScenario(SimulatedEcu& ecu, const std::string& path);
