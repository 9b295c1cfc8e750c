#pragma once
// File creation times. Where the file system keeps no birth time, the last modification time
// stands for it; a file that cannot be read gives an invalid time.
#include <QDateTime>
#include <QString>

QDateTime FileCreationTime(const QString& path);
