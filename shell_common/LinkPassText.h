#pragma once
// What the user is told when a pass that moves a configuration, or its maps, between the data
// set and the ECU did not reach its end: what happened, then what the ECU and memory now hold.
#include <QString>

#include "LinkTransfer.h"

enum class PassAction {
  Read,             // connect's read of the whole configuration
  Load,             // a configuration file loaded and written into the ECU
  BaseCalibration,  // a base map written into the ECU
  Maps,             // the maps of the configuration editor written into the ECU
  Restore,          // the configuration written back after a programming
};

// The lines for a pass that was not complete; empty for a complete one.
QString PassFailureText(LinkTransfer::PassOutcome outcome, PassAction action);
