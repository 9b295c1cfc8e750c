// The trace reader on any bytes.
#include "FuzzInput.h"
#include "TraceFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const TTraceFile trace = TTraceFile::Parse(FuzzBytes(data, size));
  if (trace.status == TTraceFile::Status::Ok && trace.SeriesCount() > TTraceFile::kSeries) std::abort();
  return 0;
}
