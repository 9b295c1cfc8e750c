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

// The message for folders that could not be made: which ones, and what to do.
QString DataSubfolderErrorText(const QStringList& missing);

// The message at start-up for recordings an earlier run left without a name: where each one is
// (texts of the current language).
QString UnsavedRecordingsText(const QStringList& paths);
