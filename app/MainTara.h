#pragma once
// Entry 2 of the main window, "TARATURA": fuel, displacement and turbo asked in the calibration
// start dialog, a base gas map from the calibration folder when they differ enough from the
// data set's, then the calibration wizard.
class TFormMain;

// Loads the base calibration for the data set's displacement, fuel and turbo option from
// "<data folder>/Taratura": the file of the exact or only near displacement whole (maps only)
// and written to the ECU, or the cell-by-cell interpolation between the two nearest files,
// written cell by cell. False when no file matches ("Nessun file di taratura trovato") or a
// file cannot be read ("Impossibile aprire il file"); the data set's map is then untouched.
bool LoadBaseCalibration(TFormMain& main);
