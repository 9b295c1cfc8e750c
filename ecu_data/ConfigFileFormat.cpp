#include "ConfigFileFormat.h"

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

}  // namespace

void ScrambleBytes(uint8_t* data, size_t size, std::string_view key) {
  const size_t length = key.size();
  for (size_t i = 0; i < size; ++i) {
    const unsigned k = static_cast<unsigned char>(key[i % length]);
    data[i] = static_cast<uint8_t>(data[i] ^ ((k << (i % 5)) & 0xFF));
  }
}

ConfigHeaderInfo ReadConfigHeader(const QByteArray& content) {
  const qsizetype n = content.size();
  qsizetype pos = 0;
  while (pos < n && IsSpace(content[pos])) ++pos;
  const qsizetype tokenStart = pos;
  while (pos < n && !IsSpace(content[pos])) ++pos;
  const std::string_view token(content.constData() + tokenStart, static_cast<size_t>(pos - tokenStart));

  ConfigHeaderInfo info;
  if (token == kEncryptedMarker) {
    info.kind = ConfigHeader::Encrypted;
  } else if (token == kDecryptedMarker) {
    info.kind = ConfigHeader::Decrypted;
  } else {
    return info;  // no header: the body is the whole file
  }
  while (pos < n && (content[pos] == ' ' || content[pos] == '\t')) ++pos;
  if (pos < n && content[pos] == '\r') ++pos;
  if (pos < n && content[pos] == '\n') ++pos;
  info.bodyStart = pos;
  return info;
}

std::optional<QByteArray> ConvertConfigText(const QByteArray& content, int mode, bool checkHeader,
                                            std::string_view key) {
  if (key.empty() || (mode != kConfigScramble && mode != kConfigUnscramble)) return std::nullopt;
  qsizetype bodyStart = 0;
  QByteArray out;
  if (checkHeader) {
    const ConfigHeader target = mode == kConfigUnscramble ? ConfigHeader::Decrypted : ConfigHeader::Encrypted;
    const ConfigHeaderInfo header = ReadConfigHeader(content);
    if (header.kind == target) return content;
    bodyStart = header.bodyStart;
    const std::string_view marker = mode == kConfigUnscramble ? kDecryptedMarker : kEncryptedMarker;
    out.append(marker.data(), static_cast<qsizetype>(marker.size()));
    out.append("\r\n", 2);
  }
  const qsizetype headerSize = out.size();
  out.append(content.constData() + bodyStart, content.size() - bodyStart);
  ScrambleBytes(reinterpret_cast<uint8_t*>(out.data()) + headerSize,
                static_cast<size_t>(out.size() - headerSize), key);
  return out;
}

bool IsConfigText(const QByteArray& plainCopy) {
  const qsizetype start = ReadConfigHeader(plainCopy).bodyStart;
  if (start >= plainCopy.size()) return false;
  for (qsizetype i = start; i < plainCopy.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(plainCopy[i]);
    if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F) return false;
  }
  return true;
}
