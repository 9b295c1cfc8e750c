#pragma once
// Saving a file so that nothing is lost: every file the program writes for the user goes
// through WriteFileReplacing.
//
// The new content is written to a temporary sibling in the target's folder, every write and the
// flush are checked, the sibling is synced to the disk and only then renamed over the target.
// On any failure (a full disk, a folder that takes no file, a target marked read-only) the
// sibling is removed, the old file stays exactly as it was and the result is false.
#include <QByteArray>
#include <QString>

// Reads a whole file; false when it cannot be opened or read (a folder cannot be read).
bool ReadWholeFile(const QString& path, QByteArray* content);

// Replaces path with content as described above. A target marked read-only (no owner write
// permission) is refused, whoever runs the program. A new file gets rw-r--r--, a replaced one
// keeps its permissions. A save that succeeded also removes the siblings of the same file that
// earlier saves cut short by a kill or a power cut left behind (RemoveSaveSiblings).
bool WriteFileReplacing(const QString& path, const QByteArray& content);

// The sibling of a save is named "<file name>.<six letters or digits>.ecusave". Where the file
// system has unnamed temporary files (Linux) it has no name until just before the rename;
// elsewhere (FAT, network shares) it has one from the start, so a save cut short leaves it.
// Whether fileName (without folder) is such a sibling: of targetName, or of any file when
// targetName is empty.
bool IsSaveSibling(const QString& fileName, const QString& targetName = QString());

// Removes from folder the siblings (IsSaveSibling) of targetName, or of any file when it is
// empty: regular files only, never a link or a folder, and on Unix only files of the user the
// program runs as. Returns how many were removed.
int RemoveSaveSiblings(const QString& folder, const QString& targetName = QString());

// Whether saves may use unnamed temporary files where the system has them (the default). Tests
// refuse them to act as a file system without them.
void SetUnnamedTemporaryFiles(bool allowed);
