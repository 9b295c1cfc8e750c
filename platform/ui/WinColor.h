#pragma once
#include <QColor>
#include <cstdint>

// A Windows colour value 0x00BBGGRR as a QColor.
inline QColor WinColor(uint32_t bbggrr) {
  return QColor(static_cast<int>(bbggrr & 0xFF), static_cast<int>((bbggrr >> 8) & 0xFF),
                static_cast<int>((bbggrr >> 16) & 0xFF));
}
