// The file layer of the data set: file key and path, conversion between a stored (scrambled)
// configuration file and its plain copy, the INI document in memory that loads and saves work
// on, and the reader of scrambled programming files.
#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <string>

#include "ConfigFileFormat.h"
#include "EcuData.h"
#include "EncryptedProgramFile.h"
#include "IniFile.h"

namespace {

QString PathOf(const char* name) { return QFile::decodeName(name); }

// Copies text into a fixed buffer when it fits with its terminator.
template <size_t N>
bool CopyIfFits(char (&dest)[N], const char* text) {
  if (!text) return false;
  const size_t length = std::strlen(text);
  if (length >= N) return false;
  std::memcpy(dest, text, length + 1);
  return true;
}

// The document as CloseConfigIni stores it.
std::optional<QByteArray> StoredForm(const IniFile& ini, const char* key) {
  return ConvertConfigText(ini.Text(), kConfigScramble, true, key);
}

}  // namespace

bool TEcuData::SetFileKey(const char* text) {
  // An empty key would leave the scrambling without a key byte to use.
  if (!text || !*text) return false;
  return CopyIfFits(FileKey, text);
}

bool TEcuData::SetFilePath(const char* text) { return CopyIfFits(FilePath, text); }

bool TEcuData::ConvertConfigFile(const char* source, const char* destination, int mode, bool checkHeader,
                                 const char* key) {
  oversizedFile_ = {};
  if (!source || !destination || std::strcmp(source, destination) == 0) return false;
  // Neither a source nor a copy beyond the limit: the copy must be a file the program opens.
  const QFileInfo file(PathOf(source));
  if (file.isFile() && file.size() > kMaxConfigFileSize) {
    oversizedFile_ = {source, file.size(), false};
    return false;
  }
  QByteArray content;
  if (!ReadWholeFile(PathOf(source), &content)) return false;
  const std::optional<QByteArray> converted =
      ConvertConfigText(content, mode, checkHeader, key ? key : FileKey);
  if (converted && converted->size() > kMaxConfigFileSize) {
    oversizedFile_ = {source, converted->size(), true};
    return false;
  }
  return converted && WriteFileReplacing(PathOf(destination), *converted);
}

void TEcuData::RefuseOversizedFile() {
  const QFileInfo file(PathOf(FilePath));
  if (!file.isFile() || file.size() <= kMaxConfigFileSize) return;
  oversizedFile_ = {FilePath, file.size(), false};
  throw EConfigFileError();
}

void TEcuData::OpenConfigIni(bool unscramble) {
  if (IniOpen) return;
  if (unscramble) RefuseOversizedFile();
  // The plain text lives only in memory: a configuration is stored scrambled, and a copy left
  // in the temporary folder by a crash would give it away.
  auto ini = std::make_unique<IniFile>();
  bool rewrite = true;  // a new document is always written back
  if (unscramble) {
    QByteArray stored;
    const bool read = ReadWholeFile(PathOf(FilePath), &stored);
    const ConfigHeader form = ReadConfigHeader(stored).kind;
    const std::optional<QByteArray> plain = read ? ConvertConfigText(stored, kConfigUnscramble, true, FileKey)
                                                 : std::nullopt;
    if (!plain || !IsConfigText(*plain)) throw EConfigFileError();
    ini->SetText(*plain);
    // Only a file not yet in the stored form (legacy or plain) is rewritten after a load. It
    // gains a header or CR LF line ends on the way: what is written must open again, so a file
    // whose stored form would pass the limit is refused before anything changes.
    rewrite = form != ConfigHeader::Encrypted;
    if (rewrite) {
      std::optional<QByteArray> written = StoredForm(*ini, FileKey);
      if (written && written->size() > kMaxConfigFileSize) {
        oversizedFile_ = {FilePath, written->size(), true};
        throw EConfigFileError();
      }
      if (written) iniStored_ = std::make_unique<QByteArray>(std::move(*written));
    }
  }
  Ini = std::move(ini);
  IniRewrite = rewrite;
  IniOpen = true;
}

bool TEcuData::CloseConfigIni(bool writeBack) {
  if (!IniOpen) return true;
  bool ok = true;
  if (writeBack && (IniRewrite || Ini->IsModified())) {
    const std::optional<QByteArray> stored = iniStored_ && !Ini->IsModified() ? std::optional(*iniStored_)
                                                                              : StoredForm(*Ini, FileKey);
    ok = stored && stored->size() <= kMaxConfigFileSize && WriteFileReplacing(PathOf(FilePath), *stored);
  }
  Ini.reset();
  iniStored_.reset();
  IniRewrite = false;
  IniOpen = false;
  return ok;
}

bool TEcuData::ReadIniInteger(int32_t& field, const char* key, const char* section) {
  if (!IniOpen) return false;
  const std::optional<std::string> value = Ini->ReadValue(section, key);
  if (!value) return false;
  const std::optional<int32_t> number = IniFile::ParseInteger(*value);
  if (!number) return false;
  field = *number;
  return true;
}

bool TEcuData::ReadIniBool(bool& field, const char* key, const char* section) {
  int32_t value = 0;
  if (!ReadIniInteger(value, key, section)) return false;
  field = value != 0;
  return true;
}

bool TEcuData::ReadIniString(char* buffer, const char* key, const char* section, int size) {
  if (!IniOpen || !buffer || size < 1) return false;
  const std::optional<std::string> value = Ini->ReadValue(section, key);
  if (!value) return false;
  const size_t n = std::min(value->size(), static_cast<size_t>(size - 1));
  std::memcpy(buffer, value->data(), n);
  buffer[n] = '\0';
  return true;
}

void TEcuData::WriteIniInteger(int32_t value, const char* key, const char* section) {
  if (IniOpen) Ini->WriteInteger(section, key, value);
}

void TEcuData::WriteIniBool(bool value, const char* key, const char* section) {
  if (IniOpen) Ini->WriteBool(section, key, value);
}

void TEcuData::WriteIniString(const char* value, const char* key, const char* section) {
  if (IniOpen) Ini->WriteString(section, key, value ? value : "");
}

bool TEcuData::IniValueExists(const char* section, const char* key) {
  return IniOpen && Ini->ValueExists(section, key);
}

bool TEcuData::LoadProgrammingFile(const char* name, std::vector<uint8_t>* image, bool /*checkHeader*/,
                                   const char* key) {
  if (!image) return false;
  std::vector<uint8_t>().swap(*image);
  const char* k = key ? key : FileKey;
  QByteArray content;
  if (!name || !*k || !IsProgramImageSize(QFileInfo(PathOf(name)).size()) ||
      !ReadWholeFile(PathOf(name), &content) || !IsProgramImageSize(content.size()))
    return false;
  const uint64_t n = static_cast<uint64_t>(content.size());
  image->resize(n + 4);
  for (int b = 0; b < 4; ++b) (*image)[b] = static_cast<uint8_t>(n >> (8 * b));
  std::memcpy(image->data() + 4, content.constData(), n);
  ScrambleBytes(image->data() + 4, n, k);
  return true;
}
