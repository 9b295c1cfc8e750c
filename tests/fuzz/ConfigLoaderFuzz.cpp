// The configuration loader on any file: a whole load, a maps-only load and the base-calibration
// map load. The first input byte chooses how the rest is stored: as a plain copy, scrambled with
// the file key behind its header line, or as it is (a file of an older version).
#include "ConfigFileFormat.h"
#include "EcuData.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int form = data[0] % 3;
  const QByteArray body = FuzzBytes(data + 1, size - 1);
  TEcuData ecu("");
  QByteArray file;
  if (form == 0) {
    file = QByteArray(kDecryptedMarker.data(), static_cast<qsizetype>(kDecryptedMarker.size())) + "\r\n" +
           body;
  } else if (form == 1) {
    file = ConvertConfigText(body, kConfigScramble, false, ecu.FileKey).value_or(QByteArray());
    file.prepend(QByteArray(kEncryptedMarker.data(), static_cast<qsizetype>(kEncryptedMarker.size())) +
                 "\r\n");
  } else {
    file = body;
  }
  const QByteArray path = QFile::encodeName(FuzzInputFile(reinterpret_cast<const uint8_t*>(file.constData()),
                                                          static_cast<size_t>(file.size()), "config"));
  ecu.LoadConfiguration(path.constData(), (data[0] & 0x80) != 0);
  // The load may have rewritten the file in the stored form: the map load reads that.
  int32_t map[TEcuData::kMapSize][TEcuData::kMapSize] = {};
  int32_t rpm[TEcuData::kMapSize] = {};
  int32_t mapAxis[TEcuData::kMapSize] = {};
  ecu.LoadMapOnly(path.constData(), map, rpm, mapAxis);
  return 0;
}
