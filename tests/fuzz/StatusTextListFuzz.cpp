// The status-text list on any text, looked up by the model codes a connect can ask for.
#include "FuzzInput.h"
#include "StatusTextList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TStatusTextList list;
  list.SetText(FuzzBytes(data, size));
  for (int code : {0, 10, 255}) list.Value(QString::number(code));
  if (size > 0)
    list.Value(QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size / 2)));
  return 0;
}
