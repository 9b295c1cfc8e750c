#pragma once
// The stored form of configuration files and scrambled programming files, as pure functions.
//
// A stored configuration file is the line "ENCRYPTED_DOZA_FILE" CR LF followed by the INI text
// with every byte scrambled; a plain working copy is the line "DECRYPTED_DOZA_FILE" CR LF
// followed by the INI text as it is; files of older versions have no header line and are
// scrambled from byte 0. Byte i of a body (counted from 0 after the header line) is scrambled
// with key K of length L as b ^ ((K[i mod L] << (i mod 5)) & 0xFF), its own inverse.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "DurableFile.h"

inline constexpr std::string_view kEncryptedMarker = "ENCRYPTED_DOZA_FILE";
inline constexpr std::string_view kDecryptedMarker = "DECRYPTED_DOZA_FILE";

// The one message of every configuration-file failure; the dialogs show it.
inline constexpr char kConfigFileErrorText[] = "Impossibile aprire il file";

// Raised by TEcuData::OpenConfigIni when the stored file cannot be read, unscrambled or is not a
// configuration; the load and save operations catch it and return 0.
class EConfigFileError : public std::runtime_error {
 public:
  EConfigFileError() : std::runtime_error(kConfigFileErrorText) {}
};

// The largest configuration file read: a whole configuration takes some 25 KB, so a larger
// file is no configuration and is refused before it is read.
inline constexpr qint64 kMaxConfigFileSize = qint64{1} << 20;

// Modes of ConvertConfigText (and TEcuData::ConvertConfigFile).
inline constexpr int kConfigScramble = 0;
inline constexpr int kConfigUnscramble = 1;

// Scrambles (or unscrambles) size bytes in place, the first with key index 0. key must not be
// empty.
void ScrambleBytes(uint8_t* data, size_t size, std::string_view key);

enum class ConfigHeader { Encrypted, Decrypted, None };
struct ConfigHeaderInfo {
  ConfigHeader kind = ConfigHeader::None;
  qsizetype bodyStart = 0;  // first byte after the header line (0 without a header)
};
// Looks at the first whitespace-delimited token of a file. After a marker the body starts past
// the token, any blanks and one line end (CR LF, LF or CR), whichever line ends the file used.
ConfigHeaderInfo ReadConfigHeader(const QByteArray& content);

// Converts a whole file's content. mode kConfigUnscramble makes a plain copy, kConfigScramble a
// stored file. With checkHeader, content already in the wanted form comes back unchanged, a
// header of the other form is dropped, and the wanted header is put in front; without it every
// byte is converted and no header is written. Empty when the key is empty or the mode unknown.
std::optional<QByteArray> ConvertConfigText(const QByteArray& content, int mode, bool checkHeader,
                                            std::string_view key);

// Whether a plain copy holds text an INI reader can take: a body after the header line that is
// not empty and has no control characters but tab, CR and LF (a file scrambled with another key,
// or not a configuration at all, unscrambles to bytes far outside that). The last line may lack
// its line end, as in a copy from a text editor or an older program.
bool IsConfigText(const QByteArray& plainCopy);
