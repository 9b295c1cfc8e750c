#pragma once
// What the trace chart's reader makes of a recorded file: the editor's tests check their traces
// against the real reader, so the recorder and the reader cannot drift apart.
#include <QByteArray>

#include "TraceFile.h"

namespace trace_rule {

struct Result {
  bool accepted = false;
  int format = 0;
  int records = 0;
};

inline Result Check(const QByteArray& file) {
  const TTraceFile trace = TTraceFile::Parse(file);
  Result r;
  r.accepted = trace.status == TTraceFile::Status::Ok;
  r.format = trace.format;
  r.records = trace.records;
  return r;
}

}  // namespace trace_rule
