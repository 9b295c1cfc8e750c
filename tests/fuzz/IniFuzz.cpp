// The INI layer on any text: parsing, look-ups of what it found, writes and the text it gives
// back, which must parse to the same sections and values.
#include <cstdlib>

#include "FuzzInput.h"
#include "IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  IniFile ini;
  ini.SetText(FuzzBytes(data, size));
  const std::vector<std::string> sections = ini.Sections();
  for (const std::string& section : sections) {
    ini.SectionExists(section);
    ini.ReadInteger(section, "Flag1", 0);
    ini.ReadString(section, "DescrizAuto", "");
  }
  IniFile::ParseInteger(std::string_view(reinterpret_cast<const char*>(data), size));
  const std::string section = sections.empty() ? std::string("Generale") : sections.front();
  ini.WriteInteger(section, "Mappa3_10", -2147483647 - 1);
  ini.WriteString(section, "DescrizAuto", std::string_view(reinterpret_cast<const char*>(data), size));
  if (ini.ReadInteger(section, "Mappa3_10", 0) != -2147483647 - 1) std::abort();

  IniFile back;
  back.SetText(ini.Text());
  if (back.Sections() != ini.Sections()) std::abort();
  for (const std::string& s : ini.Sections())
    if (back.ReadValue(s, "DescrizAuto") != ini.ReadValue(s, "DescrizAuto")) std::abort();
  return 0;
}
