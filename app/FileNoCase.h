#pragma once
// Finding a file that the workshop may have copied under another case of its name.
#include <QString>

// The path of the file of that name in folder, matched without regard to case (an exact match
// first); empty when there is none.
QString ExistingFileNoCase(const QString& folder, const QString& fileName);
