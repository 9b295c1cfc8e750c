#pragma once
// The rules by which the main window accepts a connected ECU and names its software, apart
// from the window so they can be checked on their own.
#include <QString>
#include <cstdint>

// The ECU type this program drives.
constexpr int kEcuTypeSupported = 10;
// Customer code of an ECU that has none yet.
constexpr int kNoCustomerCode = 255;
// Highest firmware version (low 15 bits of a version word) the program knows.
constexpr int kKnownFirmwareVersion = 774;
// Bit of a version word that lets a newer firmware be used, with a warning.
constexpr int kFirmwareUsableBit = 0x8000;

enum class FirmwareVerdict {
  Accept,  // both words known
  Refuse,  // a newer word without the usable bit
  Warn,    // newer words, all marked usable: accepted with a warning once a day
};

// A word is newer when its low 15 bits exceed 774.
bool IsNewerFirmwareWord(int word);
FirmwareVerdict CheckFirmwareWords(int word1, int word2);

// The ECU code the customer list's item writes: 1 shifted left by the item index, through the
// brand table; the neutral customer (the last item) writes the neutral code 255, so that the
// ECU is left without a customer.
uint8_t CustomerCodeForItem(int itemIndex);

// Status text of the ECU software: versionCaption ": " software byte, then " - " and the model
// code's display name, or "." and the model code when there is no name.
QString SoftwareVersionText(const QString& versionCaption, int softwareByte, int modelByte,
                            const QString& modelName);

// A status text relabelled with another caption: the caption, then the text from its first
// ':' on (the whole text when it has none).
QString RelabelVersionText(const QString& versionCaption, const QString& panelText);
