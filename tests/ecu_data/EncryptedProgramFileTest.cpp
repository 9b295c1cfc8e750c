#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <vector>

#include "EncryptedProgramFile.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A plain RC4 written here, apart from the reader's, to build the expected images.
Bytes Rc4(const Bytes& key, const Bytes& data) {
  uint8_t s[256];
  for (int i = 0; i < 256; ++i) s[i] = static_cast<uint8_t>(i);
  for (int i = 0, j = 0; i < 256; ++i) {
    j = (j + s[i] + key[static_cast<size_t>(i) % key.size()]) & 255;
    std::swap(s[i], s[j]);
  }
  Bytes out(data.size());
  for (size_t n = 0, i = 0, j = 0; n < data.size(); ++n) {
    i = (i + 1) & 255;
    j = (j + s[i]) & 255;
    std::swap(s[i], s[j]);
    out[n] = data[n] ^ s[(s[i] + s[j]) & 255];
  }
  return out;
}

Bytes Md5(const Bytes& data) {
  const QByteArray d = QCryptographicHash::hash(
      QByteArrayView(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size())),
      QCryptographicHash::Md5);
  return Bytes(d.begin(), d.end());
}

Bytes Pattern(size_t n, int seed) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(i * 7 + seed * 13 + (i >> 8));
  return b;
}

class EncryptedProgramFileTest : public ::testing::Test {
 protected:
  QString Write(const char* name, const Bytes& content) {
    const QString path = dir_.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(content.data()), static_cast<qint64>(content.size()));
    return path;
  }

  // A file with the given mask and payload; returns the image the reader must produce.
  Bytes MakeFile(const char* name, const Bytes& mask, const Bytes& clear, QString* path) {
    const Bytes material = Pattern(128, 5);
    Bytes selected;
    for (int i = 0; i < 16; ++i)
      for (int b = 0; b < 8; ++b)
        if (mask[static_cast<size_t>(i)] & (1 << b))
          selected.push_back(material[static_cast<size_t>(i * 8 + b)]);
    Bytes file(kEncryptedFileMagic, kEncryptedFileMagic + 22);
    file.insert(file.end(), mask.begin(), mask.end());
    file.insert(file.end(), material.begin(), material.end());
    const Bytes cipher = Rc4(Md5(selected), clear);
    file.insert(file.end(), cipher.begin(), cipher.end());
    *path = Write(name, file);
    const uint32_t n = static_cast<uint32_t>(clear.size());
    Bytes image = {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n >> 16),
                   static_cast<uint8_t>(n >> 24)};
    image.insert(image.end(), clear.begin(), clear.end());
    return image;
  }

  QTemporaryDir dir_;
};

TEST(EncryptedProgramFileHelpers, TheTestsOwnRc4AndMd5AreRight) {
  const Bytes key = {'K', 'e', 'y'};
  const Bytes text = {'P', 'l', 'a', 'i', 'n', 't', 'e', 'x', 't'};
  EXPECT_EQ(Rc4(key, text), (Bytes{0xBB, 0xF3, 0x16, 0xE8, 0xD9, 0x40, 0xAF, 0x0A, 0xD3}));
  EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(Md5({}).data()), 16).toHex(),
            "d41d8cd98f00b204e9800998ecf8427e");
}

TEST_F(EncryptedProgramFileTest, DecryptsEveryMaskAndChunkBoundary) {
  Bytes sparse(16, 0);
  sparse[0] = 0x81;   // material bytes 0 and 7
  sparse[15] = 0x80;  // material byte 127
  const struct {
    const char* name;
    Bytes mask;
  } masks[] = {{"empty", Bytes(16, 0)}, {"full", Bytes(16, 0xFF)}, {"sparse", sparse}};
  for (const auto& m : masks) {
    for (size_t length :
         {size_t{kMinProgramImageSize}, size_t{255}, size_t{256}, size_t{511}, size_t{1000}}) {
      SCOPED_TRACE(testing::Message() << m.name << " mask, payload " << length);
      QString path;
      const Bytes expected = MakeFile("p.ptn", m.mask, Pattern(length, static_cast<int>(length)), &path);
      Bytes image = {1, 2, 3};
      ASSERT_TRUE(LoadEncryptedFile(path, &image));
      EXPECT_EQ(image, expected);
    }
  }
}

TEST_F(EncryptedProgramFileTest, RefusesShortMissingFilesAndNoBuffer) {
  // Shorter than the header, the header alone, or a payload too small or too large for an image.
  for (size_t size : {size_t{0}, size_t{22}, size_t{165}, size_t{166}, size_t{166 + kMinProgramImageSize - 1},
                      size_t{166 + kMaxProgramImageSize + 1}}) {
    SCOPED_TRACE(size);
    Bytes content(kEncryptedFileMagic, kEncryptedFileMagic + 22);
    content.resize(size, 0xAA);
    const QString path = Write("short.ptn", content);
    Bytes image(100, 9);
    EXPECT_FALSE(LoadEncryptedFile(path, &image));
    EXPECT_TRUE(image.empty());
    EXPECT_EQ(image.capacity(), 0u);
  }
  Bytes image(5, 1);
  EXPECT_FALSE(LoadEncryptedFile(dir_.filePath("missing.ptn"), &image));
  EXPECT_TRUE(image.empty());
  EXPECT_FALSE(LoadEncryptedFile(dir_.path(), &image));  // a folder, not a file

  QString path;
  MakeFile("ok.ptn", Bytes(16, 0), Pattern(100, 0), &path);
  EXPECT_FALSE(LoadEncryptedFile(path, nullptr));
}

}  // namespace
