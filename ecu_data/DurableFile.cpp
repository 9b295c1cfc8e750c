#include "DurableFile.h"

#include <QtGlobal>
#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#endif

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <filesystem>
#include <system_error>

namespace {

constexpr char kSiblingTag[] = ".ecusave";
constexpr int kSiblingRandom = 6;  // the XXXXXX of the template
bool g_unnamedTemporaryFiles = true;

bool SyncToDisk(int fd) {
#if defined(Q_OS_UNIX)
  return ::fsync(fd) == 0;
#elif defined(Q_OS_WIN)
  return ::_commit(fd) == 0;
#else
  (void)fd;
  return true;
#endif
}

// Makes the rename itself last: the folder's entry is synced too. The new content is already on
// the disk, so a failure here loses nothing and is not reported.
void SyncFolder([[maybe_unused]] const QString& folder) {
#if defined(Q_OS_UNIX)
  const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
#endif
}

}  // namespace

bool ReadWholeFile(const QString& path, QByteArray* content) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) return false;
  *content = std::move(bytes);
  return true;
}

bool WriteFileReplacing(const QString& path, const QByteArray& content) {
  const QFileInfo target(path);
  const bool exists = target.exists();
  if (exists && (!target.isFile() || !(target.permissions() & QFileDevice::WriteOwner))) return false;
  // The sibling goes away by itself unless the rename below takes it.
  QTemporaryFile sibling(target.absoluteFilePath() + QStringLiteral(".XXXXXX") + QLatin1String(kSiblingTag));
  if (!sibling.open()) return false;
  if (!g_unnamedTemporaryFiles) (void)sibling.fileName();  // asking its name gives it one at once
  const QFileDevice::Permissions permissions = exists ? target.permissions()
                                                      : QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                            QFileDevice::ReadGroup | QFileDevice::ReadOther;
  // QFile buffers small writes: a write that fails for lack of space may only show in flush().
  if (sibling.write(content) != content.size() || !sibling.flush() || !sibling.setPermissions(permissions))
    return false;
  // The new content must be on the disk before it takes the old file's name: a power cut after
  // the rename must not leave an empty file in place of the old one.
  if (!SyncToDisk(sibling.handle())) return false;
  sibling.close();
  if (sibling.error() != QFileDevice::NoError) return false;
  std::error_code error;
  std::filesystem::rename(QFile::encodeName(sibling.fileName()).toStdString(),
                          QFile::encodeName(target.absoluteFilePath()).toStdString(), error);
  if (error) return false;
  sibling.setAutoRemove(false);  // it is the target now
  SyncFolder(target.absolutePath());
  RemoveSaveSiblings(target.absolutePath(), target.fileName());
  return true;
}

bool IsSaveSibling(const QString& fileName, const QString& targetName) {
  const QLatin1String tag(kSiblingTag);
  if (!fileName.endsWith(tag)) return false;
  const QStringView stem = QStringView(fileName).chopped(tag.size());
  const qsizetype dot = stem.size() - kSiblingRandom - 1;
  if (dot < 1 || stem[dot] != QLatin1Char('.')) return false;
  for (const QChar c : stem.mid(dot + 1))
    if (c.unicode() > 0x7F || !c.isLetterOrNumber()) return false;
  return targetName.isEmpty() || stem.left(dot) == targetName;
}

int RemoveSaveSiblings(const QString& folder, const QString& targetName) {
  int removed = 0;
  const QDir dir(folder);
  const QStringList filter{QLatin1Char('*') + QLatin1String(kSiblingTag)};
  for (const QFileInfo& file :
       dir.entryInfoList(filter, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks)) {
    if (!IsSaveSibling(file.fileName(), targetName) || file.isSymLink() || !file.isFile()) continue;
#if defined(Q_OS_UNIX)
    if (file.ownerId() != ::geteuid()) continue;
#endif
    removed += QFile::remove(file.absoluteFilePath()) ? 1 : 0;
  }
  return removed;
}

void SetUnnamedTemporaryFiles(bool allowed) { g_unnamedTemporaryFiles = allowed; }
