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
// keeps its permissions.
bool WriteFileReplacing(const QString& path, const QByteArray& content);
