#pragma once
// The data folder's subfolders the program reads and writes: configurations, programming files
// (with the status-text list), traces and acquired points, base calibrations. The program makes
// those that are missing when its main window first shows.
#include <QString>
#include <QStringList>

inline constexpr const char* kFolderConfigurazioni = "Configurazioni";
inline constexpr const char* kFolderProgrammazione = "Programmazione";
inline constexpr const char* kFolderAcquisizioni = "Acquisizioni";
inline constexpr const char* kFolderTaratura = "Taratura";

// dataFolder + "/" + name.
QString DataSubfolder(const QString& dataFolder, const char* name);

// Makes every missing subfolder (and the data folder itself when it is missing). Returns the
// folders that are still missing or are no folder, in the order above; empty when all are there.
QStringList MakeDataSubfolders(const QString& dataFolder);

// Removes the siblings that saves cut short left (RemoveSaveSiblings) from the data folder and
// the subfolders the program saves into. Returns how many.
int RemoveLeftOverSaveSiblings(const QString& dataFolder);

// The message for folders that could not be made: which ones, and what to do.
QString DataSubfolderErrorText(const QStringList& missing);

// The recordings the start-up notice names one by one; of more, it gives the count.
inline constexpr int kListedRecordings = 5;

// The message at start-up for recordings an earlier run left without a name in folder (paths,
// in the order to name them): the names of the first kListedRecordings of them (all of them when
// only one more would be left), how many more there are, and the folder (texts of the current
// language).
QString UnsavedRecordingsText(const QString& folder, const QStringList& paths);
