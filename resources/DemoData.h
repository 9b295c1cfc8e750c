#pragma once
// The demo data set that scripts/run.sh puts into the data folder it prepares for trying the
// program against the simulated ECU: the sample status-text list and a few base calibrations
// (LPG and CNG, turbo and not, several displacements), named as a calibration save names them.
// The program itself never writes any of it into a user's folder.
#include <QString>
#include <QStringList>
#include <vector>

struct TDemoCalibration {
  bool cng = false;
  bool turbo = false;
  int displacement = 0;  // cc
};

// The base calibrations of the set.
const std::vector<TDemoCalibration>& DemoCalibrations();

// The file name of a base calibration of the set, extension included ("Demo_lpg_1600.trm").
QString DemoCalibrationFileName(const TDemoCalibration& c);

// Writes whatever of the set is missing under dataFolder: "Programmazione/Kiv2001.txt" and the
// base calibrations in "Taratura" (folders are made when missing). A base calibration is the data
// set's default configuration with its fuel, turbo option and displacement, and a gas map that is
// the default one made longer for a larger engine, for CNG, and under boost (the upper MAP rows)
// for a turbo engine. Files already there are left
// as they are. Returns what could not be written, one line each; empty when the set is complete.
QStringList WriteDemoDataSet(const QString& dataFolder);
