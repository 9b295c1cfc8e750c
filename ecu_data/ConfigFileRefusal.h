#pragma once
// The reason a configuration file was refused, in a form the windows put into words.
#include <cstdint>
#include <string>

// Why a load refused a file that reads as configuration text: the first key whose value the ECU
// cannot hold, or a file with no key of a configuration at all. The windows put it in words.
struct ConfigFileRefusal {
  enum class Reason : uint8_t { None, NotANumber, OutOfRange, NoConfiguration };
  Reason reason = Reason::None;
  std::string section;
  std::string key;    // as the file names it, index included ("Mappa3_10")
  std::string value;  // the file's value (UTF-8 of its Latin-1 bytes), cut short when long
  int32_t lo = 0;     // OutOfRange: what the ECU takes
  int32_t hi = 0;
  bool empty() const { return reason == Reason::None; }
  // "[section] key=value" (or nothing), for logs.
  std::string Where() const { return key.empty() ? std::string() : "[" + section + "] " + key + "=" + value; }
};
