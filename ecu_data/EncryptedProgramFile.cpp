#include "EncryptedProgramFile.h"

#include <nettle/arcfour.h>
#include <nettle/md5.h>

#include <QFile>
#include <algorithm>
#include <array>
#include <limits>
#include <new>

namespace {

constexpr int kChunkSize = 255;

// MD5 of the key-material bytes that the mask selects; the digest is the 128-bit RC4 key.
std::array<uint8_t, MD5_DIGEST_SIZE> DeriveKey(const uint8_t* mask, const uint8_t* material) {
  uint8_t selected[kEncryptedKeyMaterialSize];
  size_t count = 0;
  for (int i = 0; i < kEncryptedMaskSize; ++i)
    for (int b = 0; b < 8; ++b)
      if (mask[i] & (1u << b)) selected[count++] = material[i * 8 + b];
  md5_ctx md5;
  md5_init(&md5);
  md5_update(&md5, count, selected);
  std::array<uint8_t, MD5_DIGEST_SIZE> key{};
  md5_digest(&md5, key.size(), key.data());
  return key;
}

bool ReadExactly(QFile& file, uint8_t* dest, qint64 size) {
  return file.read(reinterpret_cast<char*>(dest), size) == size;
}

bool Decrypt(QFile& file, std::vector<uint8_t>& out) {
  if (!file.open(QIODevice::ReadOnly)) return false;
  const qint64 fileSize = file.size();
  const qint64 length = fileSize - kEncryptedHeaderSize;
  if (!IsProgramImageSize(length)) return false;

  uint8_t header[kEncryptedHeaderSize];
  if (!ReadExactly(file, header, kEncryptedHeaderSize)) return false;
  const auto key = DeriveKey(header + kEncryptedMagicSize, header + kEncryptedMagicSize + kEncryptedMaskSize);

  out.assign(4 + static_cast<size_t>(length), 0);
  for (int i = 0; i < 4; ++i) out[static_cast<size_t>(i)] = static_cast<uint8_t>(length >> (8 * i));

  arcfour_ctx rc4;
  arcfour_set_key(&rc4, key.size(), key.data());
  // The payload goes through one fixed 255-byte buffer; RC4 is a stream, so the chunks give the
  // same bytes as one pass over the whole payload.
  uint8_t chunk[kChunkSize];
  size_t done = 0;
  while (done < static_cast<size_t>(length)) {
    const size_t n = std::min<size_t>(kChunkSize, static_cast<size_t>(length) - done);
    if (!ReadExactly(file, chunk, static_cast<qint64>(n))) return false;
    arcfour_crypt(&rc4, n, out.data() + 4 + done, chunk);
    done += n;
  }
  return true;
}

}  // namespace

bool LoadEncryptedFile(const QString& fileName, std::vector<uint8_t>* outBuffer) {
  if (!outBuffer) return false;
  QFile file(fileName);
  bool ok = false;
  try {
    ok = file.exists() && Decrypt(file, *outBuffer);
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  if (!ok) std::vector<uint8_t>().swap(*outBuffer);
  return ok;
}
