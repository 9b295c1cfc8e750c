#pragma once
// Reader of encrypted programming files: a 22-byte magic text, a 16-byte key-selection mask,
// 128 bytes of key material, then the firmware image enciphered with RC4. The RC4 key is the
// MD5 digest of the key-material bytes that the mask selects (mask byte i, bit b selects
// material byte i*8 + b, in increasing position).
#include <QString>
#include <cstdint>
#include <vector>

// The first bytes of an encrypted programming file (no terminator in the file).
constexpr char kEncryptedFileMagic[] = "ENCRYPTED_FILE_V_01.01";
constexpr int kEncryptedMagicSize = 22;
constexpr int kEncryptedMaskSize = 16;
constexpr int kEncryptedKeyMaterialSize = 128;
// Magic, mask and key material: the payload starts here.
constexpr int kEncryptedHeaderSize = kEncryptedMagicSize + kEncryptedMaskSize + kEncryptedKeyMaterialSize;

// The sizes a firmware image can have, for both kinds of programming file: a file whose image
// would be smaller or larger cannot hold one and is refused before it is read.
constexpr qint64 kMinProgramImageSize = 64;
constexpr qint64 kMaxProgramImageSize = qint64{4} << 20;
constexpr bool IsProgramImageSize(qint64 size) {
  return size >= kMinProgramImageSize && size <= kMaxProgramImageSize;
}

// Reads fileName and, on success, fills *outBuffer with the image as the serial library takes
// it: the payload length L as an unsigned 32-bit little-endian word, then the L clear bytes.
// The magic is not checked here (the caller looks at it to choose this reader). Returns false,
// with *outBuffer emptied and released, when the file is missing or unreadable, when its payload
// (the file less the 166-byte header) is not an image size, or outBuffer is null (then nothing
// happens).
bool LoadEncryptedFile(const QString& fileName, std::vector<uint8_t>* outBuffer);
