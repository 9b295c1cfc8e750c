#include "DataFolders.h"

#include <QDir>
#include <QFileInfo>

#include "Language.h"

QString DataSubfolder(const QString& dataFolder, const char* name) {
  return QDir::fromNativeSeparators(dataFolder) + QLatin1Char('/') + QString::fromLatin1(name);
}

QStringList MakeDataSubfolders(const QString& dataFolder) {
  QStringList missing;
  for (const char* name : {kFolderConfigurazioni, kFolderProgrammazione, kFolderAcquisizioni,
                           kFolderTaratura}) {
    const QString folder = DataSubfolder(dataFolder, name);
    QDir().mkpath(folder);
    if (!QFileInfo(folder).isDir()) missing << folder;
  }
  return missing;
}

QString DataSubfolderErrorText(const QStringList& missing) {
  QStringList shown;
  for (const QString& folder : missing) shown << QDir::toNativeSeparators(folder);
  const bool one = missing.size() == 1;
  return Tr(one ? 656 : 657) + QLatin1Char('\n') + shown.join(QLatin1Char('\n')) + QStringLiteral("\n\n") +
         Tr(one ? 658 : 659) + QLatin1Char(' ') + Tr(660);
}

QString UnsavedRecordingsText(const QStringList& paths) {
  QStringList shown;
  for (const QString& path : paths) shown << QDir::toNativeSeparators(path);
  return Tr(610) + QLatin1Char('\n') + shown.join(QLatin1Char('\n')) + QStringLiteral("\n\n") + Tr(611);
}
