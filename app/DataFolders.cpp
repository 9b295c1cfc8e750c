#include "DataFolders.h"

#include <QDir>
#include <QFileInfo>

#include "DurableFile.h"
#include "Language.h"

QString DataSubfolder(const QString& dataFolder, const char* name) {
  return QDir::fromNativeSeparators(dataFolder) + QLatin1Char('/') + QString::fromLatin1(name);
}

QStringList MakeDataSubfolders(const QString& dataFolder) {
  QStringList missing;
  for (const char* name :
       {kFolderConfigurazioni, kFolderProgrammazione, kFolderAcquisizioni, kFolderTaratura}) {
    const QString folder = DataSubfolder(dataFolder, name);
    QDir().mkpath(folder);
    if (!QFileInfo(folder).isDir()) missing << folder;
  }
  return missing;
}

int RemoveLeftOverSaveSiblings(const QString& dataFolder) {
  int removed = RemoveSaveSiblings(dataFolder);
  for (const char* name :
       {kFolderConfigurazioni, "Configurazioni/Metano", "Configurazioni/Decrypted", kFolderProgrammazione,
        kFolderAcquisizioni, "Acquisizioni/Temporanee", kFolderTaratura})
    removed += RemoveSaveSiblings(DataSubfolder(dataFolder, name));
  return removed;
}

QString DataSubfolderErrorText(const QStringList& missing) {
  QStringList shown;
  for (const QString& folder : missing) shown << QDir::toNativeSeparators(folder);
  const bool one = missing.size() == 1;
  return Tr(one ? 656 : 657) + QLatin1Char('\n') + shown.join(QLatin1Char('\n')) + QStringLiteral("\n\n") +
         Tr(one ? 658 : 659) + QLatin1Char(' ') + Tr(660);
}

QString UnsavedRecordingsText(const QString& folder, const QStringList& paths) {
  // A few names and the count of the others, the folder named once: one line per recording would
  // outgrow the screen.
  const qsizetype listed = paths.size() <= kListedRecordings + 1 ? paths.size() : kListedRecordings;
  QStringList lines{Tr(610)};
  for (qsizetype i = 0; i < listed; ++i) lines << QFileInfo(paths[i]).fileName();
  if (listed < paths.size()) lines << Tr(696).arg(paths.size() - listed);
  lines << Tr(697).arg(QDir::toNativeSeparators(folder));
  return lines.join(QLatin1Char('\n')) + QStringLiteral("\n\n") + Tr(611);
}
