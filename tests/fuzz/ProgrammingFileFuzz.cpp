// Both programming-file readers on any file: the encrypted image and the scrambled one.
#include <cstdlib>

#include "EcuData.h"
#include "EncryptedProgramFile.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString path = FuzzInputFile(data, size, "program");
  std::vector<uint8_t> image;
  if (LoadEncryptedFile(path, &image) && image.size() != size - kEncryptedHeaderSize + 4) std::abort();
  static TEcuData ecu("");
  const QByteArray name = QFile::encodeName(path);
  if (ecu.LoadProgrammingFile(name.constData(), &image, true, nullptr) && image.size() != size + 4)
    std::abort();
  return 0;
}
