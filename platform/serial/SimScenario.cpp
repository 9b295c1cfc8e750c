#include "SimScenario.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include "SimulatedEcu.h"

namespace {

std::string_view Trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

// A decimal or 0x-hexadecimal integer, optionally negative; the whole text must be a number.
bool ParseInt(std::string_view s, long long& out) {
  s = Trim(s);
  bool negative = false;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return false;
  long long v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
  if (ec != std::errc() || end != s.data() + s.size()) return false;
  out = negative ? -v : v;
  return true;
}

bool ParseList(std::string_view s, std::vector<long long>& out) {
  out.clear();
  while (true) {
    const auto comma = s.find(',');
    long long v = 0;
    if (!ParseInt(s.substr(0, comma), v)) return false;
    out.push_back(v);
    if (comma == std::string_view::npos) return true;
    s.remove_prefix(comma + 1);
  }
}

// Applies one key; false when the key is unknown or its value does not fit.
bool Apply(SimulatedEcu& ecu, std::string_view key, std::string_view value) {
  if (key == "port") {
    ecu.SetPortName(std::string(value));
    return !value.empty();
  }
  std::vector<long long> v;
  if (!ParseList(value, v)) return false;
  const auto n = v.size();
  const auto i = [&v](size_t k) { return static_cast<int>(v[k]); };
  if (key.substr(0, 4) == "var.") {
    long long code = 0;
    if (!ParseInt(key.substr(4), code) || !ecu.HasVariable(static_cast<int>(code))) return false;
    for (size_t k = 0; k < n; ++k) ecu.StoreFactory(static_cast<int>(code), static_cast<int>(k), i(k));
    return n <= ecu.StoredValues(static_cast<int>(code)).size();
  }
  if (key == "ready_delay_ms" && n == 1 && v[0] >= 0) {
    ecu.SetReadyDelay(static_cast<uint32_t>(v[0]));
  } else if (key == "identity" && n == 4) {
    ecu.SetIdentity(i(0), i(1), i(2), i(3));
  } else if (key == "customer" && n == 1) {
    ecu.SetCustomerCode(i(0));
  } else if (key == "boot_identity" && n == 2) {
    ecu.SetBootIdentity(i(0), i(1));
  } else if (key == "versions" && n == 2) {
    ecu.SetVersionWords(i(0), i(1));
  } else if (key == "enrichment_rows" && n == 1) {
    ecu.SetEnrichmentRows(i(0));
  } else if (key == "absent") {
    for (size_t k = 0; k < n; ++k) ecu.SetAbsent(i(k));
  } else if (key == "refuse") {
    for (size_t k = 0; k < n; ++k) ecu.SetWriteRefused(i(k));
  } else if (key == "program_results") {
    ecu.QueueProgramResults(std::vector<int>(v.begin(), v.end()));
  } else if (key == "connect_failures" && n == 1) {
    ecu.FailConnects(i(0));
  } else if (key == "open_failures" && n == 1) {
    ecu.FailOpenLinks(i(0));
  } else if (key == "drop_after" && n == 1) {
    ecu.DropLinkAfter(i(0));
  } else if (key == "silent_after" && n == 1) {
    ecu.FallSilentAfter(i(0));
  } else if (key == "no_answer" && n == 1) {
    ecu.SetNoAnswer(v[0] != 0);
  } else if (key == "diagnosis_faults") {
    for (size_t k = 0; k < n; ++k) {
      if (v[k] < 0 || v[k] > 15) return false;
      ecu.SetDiagnosisFault(i(k));
    }
  } else if (key == "engine_ambient_c" && n == 1) {
    ecu.StartEngine(static_cast<double>(v[0]));
  } else if (key == "rpm_hold" && n >= 1 && n <= 3 && v[0] >= 0) {
    ecu.ScheduleRpmHold(i(0), n > 1 ? static_cast<uint32_t>(v[1]) : 0,
                        n > 2 ? static_cast<uint32_t>(v[2]) : 0);
  } else {
    return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> ApplySimScenario(SimulatedEcu& ecu, std::string_view text) {
  std::vector<std::string> problems;
  int number = 0;
  while (!text.empty()) {
    const auto end = text.find('\n');
    const std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++number;
    if (line.empty() || line[0] == '#') continue;
    const auto eq = line.find('=');
    const bool ok = eq != std::string_view::npos &&
                    Apply(ecu, Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
    if (!ok) problems.push_back("line " + std::to_string(number) + ": " + std::string(line));
  }
  return problems;
}

std::vector<std::string> LoadSimScenario(SimulatedEcu& ecu, const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {"cannot read " + path};
  std::ostringstream text;
  text << in.rdbuf();
  return ApplySimScenario(ecu, text.str());
}
