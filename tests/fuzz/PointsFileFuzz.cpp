// The acquired-points reader on any file, read fresh and appended to what is there.
#include "AcquisitionStore.h"
#include "EcuData.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TEcuData ecu("");  // the cell bounds of the default breakpoints
  EcuData = &ecu;
  const QString path = FuzzInputFile(data, size, "points");
  TDatiMappati points;
  points.ReadFromFile(path, false);
  points.ReadFromFile(path, true);
  for (int key = 0; key < 4; ++key) points.Ordina(key);
  if (points.Count() > 0) points.Aggiorna(points.Count() - 1);
  return 0;
}
