#pragma once
// What the kill sweep's child process and its test agree on: the numbered states of the
// configuration the child saves, and the trace records it takes.
#include <cstdio>

#include "EcuData.h"
#include "TraceRecorder.h"

namespace kill_sweep {

// Configuration state n: the vehicle description and every gas-map cell say n.
inline void Mark(TEcuData& data, int n) {
  std::snprintf(data.DescrizAuto, sizeof data.DescrizAuto, "Prova %d", n);
  for (int r = 0; r < TEcuData::kMapSize; ++r)
    for (int c = 0; c < TEcuData::kMapSize; ++c) data.Mappa[r][c] = (n + r * TEcuData::kMapSize + c) % 5001;
}

// The state the data set holds, or -1 when it holds no single one (a mix, or none at all).
inline int MarkOf(const TEcuData& data) {
  int n = -1;
  if (std::sscanf(data.DescrizAuto, "Prova %d", &n) != 1 || n < 0) return -1;
  for (int r = 0; r < TEcuData::kMapSize; ++r)
    for (int c = 0; c < TEcuData::kMapSize; ++c)
      if (data.Mappa[r][c] != (n + r * TEcuData::kMapSize + c) % 5001) return -1;
  return n;
}

// Trace record n (from 1), taken at tick n x 170.
constexpr uint32_t kTickMs = 170;
inline TTraceRecord Record(int n) {
  TTraceRecord record;
  record.rpm = n;
  return record;
}

}  // namespace kill_sweep
