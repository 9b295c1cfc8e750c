// The content of a configuration file: one table of sections and keys, in the order the saver
// writes them, drives saving, loading and the check of a file before it is loaded.
#include <cmath>
#include <cstring>
#include <string>
#include <type_traits>

#include "ConfigFileFormat.h"
#include "EcuData.h"
#include "IniFile.h"
#include "MessageSink.h"

namespace {

constexpr int kFormatMajor = 3;
constexpr int kFormatMinor = 6;

// What a key holds, where it differs from plain raw integers.
enum class Kind : uint8_t {
  Int,        // raw integers of the field
  Version,    // an integer that reads as 0 when the key is missing
  Text,       // a text field
  Name,       // the file's name: written only
  Ufficiale,  // the official flag, read and written through the data set's accessors
  Potenza,    // power x 100 as an integer
  MonoFuel,   // read as 0 when missing; also gives HasMonoFuel
};

// Which loads read a key: Core by every load, Head and Rest by a whole load only. A maps-only
// save writes Core and Head.
enum class Group : uint8_t { Core, Head, Rest };

enum Flag : uint8_t {
  kNoFlag = 0,
  kCutoffSteps = 1,   // read unless the file holds the legacy ramp keys
  kCutoffRamp = 2,    // legacy ramp keys: read only, never written
};

using IntRef = int32_t& (*)(TEcuData&, int row, int col);
using TextRef = char* (*)(TEcuData&);

struct ConfigKey {
  const char* section;
  const char* key;
  Kind kind;
  Group group;
  int count;          // elements of an indexed key (0: no index); rows of a two-dimensional key
  int cols;           // columns of a two-dimensional key (0: not two-dimensional)
  IntRef ints;        // integer fields
  TextRef text;       // text fields
  int size;           // size of the text field, terminator included
  int progress;       // progress after the key, or after each column of a two-dimensional key
  int progressMaps;   // the same in a maps-only save or load
  uint8_t flags;
};

int32_t& At(int32_t& v, int, int) { return v; }
template <size_t N>
int32_t& At(int32_t (&v)[N], int i, int) {
  return v[i];
}
template <size_t R, size_t C>
int32_t& At(int32_t (&v)[R][C], int r, int c) {
  return v[r][c];
}

#define ECU_INTS(field)                                                       \
  std::extent_v<decltype(TEcuData::field), 0>, std::extent_v<decltype(TEcuData::field), 1>, \
      [](TEcuData& d, int r, int c) -> int32_t& { return At(d.field, r, c); }, nullptr, 0
#define ECU_TEXT(field) 0, 0, nullptr, [](TEcuData& d) -> char* { return d.field; }, sizeof(TEcuData::field)
#define ECU_NONE 0, 0, nullptr, nullptr, 0

// Shorthands for the common rows of the table.
#define KEY(section, key, field) {section, key, Kind::Int, Group::Rest, ECU_INTS(field), 0, 0, kNoFlag}
#define KEY_P(section, key, field) {section, key, Kind::Int, Group::Rest, ECU_INTS(field), 3, 0, kNoFlag}
#define TEXT(section, key, field) {section, key, Kind::Text, Group::Rest, ECU_TEXT(field), 0, 0, kNoFlag}

// Every key, in the order the saver writes them; a section named again later gets further keys.
const ConfigKey kConfigKeys[] = {
    {"Versione", "MajorVersionProg", Kind::Version, Group::Core, ECU_INTS(MajorVersionProg), 0, 0, kNoFlag},
    {"Versione", "MinorVersionProg", Kind::Version, Group::Core, ECU_INTS(MinorVersionProg), 0, 0, kNoFlag},
    {"Generale", "NomeConfigurazione", Kind::Name, Group::Head, ECU_NONE, 0, 0, kNoFlag},
    {"Generale", "Flag1", Kind::Int, Group::Head, ECU_INTS(Flag1), 0, 0, kNoFlag},
    {"Generale", "MonoFuel", Kind::MonoFuel, Group::Head, ECU_INTS(MonoFuel), 0, 0, kNoFlag},
    {"Generale", "Ufficiale", Kind::Ufficiale, Group::Head, ECU_NONE, 0, 0, kNoFlag},
    {"Generale", "ProgFile", Kind::Text, Group::Head, ECU_TEXT(ProgFile), 0, 0, kNoFlag},
    {"Generale", "Cilindrata", Kind::Int, Group::Head, ECU_INTS(Cilindrata), 0, 0, kNoFlag},
    {"RiferimentiGiri", "RifGiri", Kind::Int, Group::Core, ECU_INTS(RifGiri), 0, 0, kNoFlag},
    {"RiferimentiMAP", "RifMAP", Kind::Int, Group::Core, ECU_INTS(RifMAP), 2, 3, kNoFlag},
    {"MappaCarburazione", "Mappa", Kind::Int, Group::Core, ECU_INTS(Mappa), 2, 6, kNoFlag},
    KEY("MappaCarburazione", "MappaBenzina", MappaBenzina),
    {"Generale", "DescrizAuto", Kind::Text, Group::Rest, ECU_TEXT(DescrizAuto), 0, 0, kNoFlag},
    TEXT("Generale", "Euro", Euro),
    KEY("Generale", "CentCubici", CentCubici),
    KEY("Generale", "Valvole", Valvole),
    KEY("Generale", "N cilindri", NCilindri),
    {"Generale", "Potenza", Kind::Potenza, Group::Rest, ECU_NONE, 0, 0, kNoFlag},
    TEXT("Generale", "Motore", Motore),
    TEXT("Generale", "Centralina", Centralina),
    TEXT("Generale", "Cambio", Cambio),
    KEY_P("Generale", "AnnoVettura", AnnoVettura),
    KEY("Lambda", "TipoDiLambda", TipoDiLambda),
    KEY("Lambda", "RifLambda", RifLambda),
    KEY("Lambda", "OffsetLambda", OffsetLambda),
    KEY("Lambda", "RitardoLetturaSonda", RitardoLetturaSonda),
    KEY("Lambda", "TempoSondaFredda", TempoSondaFredda),
    KEY("Lambda", "RifSupSondaFredda", RifSupSondaFredda),
    KEY("Lambda", "RifInfSondaFredda", RifInfSondaFredda),
    KEY("Lambda", "RifSupSondaCalda", RifSupSondaCalda),
    KEY_P("Lambda", "RifInfSondaCalda", RifInfSondaCalda),
    KEY_P("SensoreDiLivello", "LivelloGasAlcol", LivelloGasAlcol),
    KEY("Accensione-Cambio", "TemperaturaCambio", TemperaturaCambio),
    KEY("Accensione-Cambio", "GiriPerCambio", GiriPerCambio),
    KEY("Accensione-Cambio", "RitardoMinimoCambio", RitardoMinimoCambio),
    KEY("Accensione-Cambio", "FuoriGiri", FuoriGiri),
    KEY("Accensione-Cambio", "NumeroCilindri", NumeroCilindri),
    KEY_P("Accensione-Cambio", "FasciaGiriMinimo", FasciaGiriMinimo),
    KEY("Cutoff", "GiriCutoff", GiriCutoff),
    {"Cutoff", "ChiusuraCutoff", Kind::Int, Group::Rest, ECU_INTS(ChiusuraCutoff), 0, 0, kCutoffSteps},
    {"Cutoff", "AperturaCutoff", Kind::Int, Group::Rest, ECU_INTS(AperturaCutoff), 0, 0, kCutoffSteps},
    {"Cutoff", "CicliCutoff", Kind::Int, Group::Rest, ECU_INTS(CicliCutoff), 0, 0, kCutoffSteps},
    {"Cutoff", "CoefficienteCutoff", Kind::Int, Group::Rest, ECU_INTS(RampaChiusura), 0, 0, kCutoffRamp},
    {"Cutoff", "CoeffTermineCutoff", Kind::Int, Group::Rest, ECU_INTS(RampaApertura), 0, 0, kCutoffRamp},
    {"Cutoff", "DeltaCutoff", Kind::Int, Group::Rest, ECU_INTS(RampaValida), 0, 0, kCutoffRamp},
    KEY_P("Cutoff", "CorrezioneInRilascio", CorrezioneInRilascio),
    KEY("TPS", "TipoDiTps", TipoDiTps),
    KEY("TPS", "Isteresi", Isteresi),
    KEY("TPS", "TpsMoltoFuori", TpsMoltoFuori),
    KEY("TPS", "CoefficienteUscitaMinimo", CoefficienteUscitaMinimo),
    KEY("TPS", "TempoCoefficienteUscitaMinimo", TempoCoefficienteUscitaMinimo),
    KEY_P("TPS", "TempoPer100", TempoPer100),
    KEY_P("OpenLoop", "RifOpenLoop", RifOpenLoop),
    KEY("PassiInversione", "PassiInvArr", PassiInvArr),
    KEY_P("PassiInversione", "PassiInvSmg", PassiInvSmg),
    KEY("TempiTraPassi", "PassiIngr", PassiIngr),
    KEY_P("TempiTraPassi", "PassiSmag", PassiSmag),
    KEY("Emulazione", "TempoAlto", TempoAlto),
    KEY("Emulazione", "TempoBasso", TempoBasso),
    KEY("Emulazione", "TempoSondaSconnessa", TempoSondaSconnessa),
    KEY("Emulazione", "NumeroOnde", NumeroOnde),
    KEY("Emulazione", "LivelloAlto", LivelloAlto),
    KEY_P("Emulazione", "LivelloBasso", LivelloBasso),
    KEY("SensoreDiLivello", "TipoSensore", TipoSensore),
    KEY("SensoreDiLivello", "TempoRitBenzina", TempoRitBenzina),
    KEY_P("SensoreDiLivello", "RifSensore", RifSensore),
    KEY("Carburazione", "MinErroreIntegrale", MinErroreIntegrale),
    KEY("Carburazione", "MaxErroreIntegrale", MaxErroreIntegrale),
    KEY("Carburazione", "MaxErroreIntegraleAlMinimo", MaxErroreIntegraleAlMinimo),
    KEY("Carburazione", "MinErroreIntegraleAlMinimo", MinErroreIntegraleAlMinimo),
    KEY("Carburazione", "TpsSbana", TpsSbana),
    KEY("Carburazione", "GiriSbana", GiriSbana),
    KEY("Carburazione", "TempiInversioneSbana", TempiInversioneSbana),
    KEY("Carburazione", "TempoApSbana", TempoApSbana),
    KEY("Carburazione", "TempoChSbana", TempoChSbana),
    KEY_P("Carburazione", "CorrRientroMin", CorrRientroMin),
    KEY("Arricchimento", "ArrPerTps", ArrPerTps),
    KEY("Arricchimento", "VarCumulo", VarCumulo),
    KEY("Arricchimento", "MappaArr", MappaArr),
    KEY("Arricchimento", "RifCumulo", RifCumulo),
    KEY("Arricchimento", "MinCumulo", MinCumulo),
    KEY("Arricchimento", "TipoIniezione", TipoIniezione),
    KEY_P("Arricchimento", "CorrenteMantenimento", CorrenteMantenimento),
    KEY("Iniezione", "DutyCorrenteHold", DutyCorrenteHold),
    KEY_P("Arricchimento", "TempoMaxCorrente", TempoMaxCorrente),
    KEY("Diagnosi", "Stato", Stato),
    KEY_P("Diagnosi", "Abilitazione", Abilitazione),
    KEY("Carburazione", "SequenzaIniezione", SequenzaIniezione),
    KEY("SensoreDiLivello", "CorrezioneLivello", CorrezioneLivello),
    KEY_P("Iniezione", "TempoAperturaIniettore", TempoAperturaIniettore),
    KEY("Arricchimento", "NumeroInjUscitaMin", NumeroInjUscitaMin),
    KEY("Arricchimento", "ArricchimentoAccelerazione", ArricchimentoAccelerazione),
    KEY_P("Arricchimento", "ArrUscitaMin", ArrUscitaMin),
    KEY("Adattativita", "CorrezioneFuoriMinimo", CorrezioneFuoriMinimo),
    KEY("Adattativita", "CorrezioneAlMinimo", CorrezioneAlMinimo),
    KEY("Adattativita", "MassimoValoreCorrezione", MassimoValoreCorrezione),
    KEY("Adattativita", "TempoTraCorrezioni", TempoTraCorrezioni),
    KEY("Adattativita", "ZonaApprendimentoFuoriMinimo", ZonaApprendimentoFuoriMinimo),
    KEY("Adattativita", "MinimoValoreCorrettore", MinimoValoreCorrettore),
    KEY_P("Adattativita", "TempoPerCorrezione", TempoPerCorrezione),
    KEY("Temperatura", "Rif", Rif),
    KEY_P("Temperatura", "Coeff", Coeff),
    KEY("Accensione-Cambio", "TempoCicchetto", TempoCicchetto),
    KEY("Accensione-Cambio", "TempoCicchettoTemp", TempoCicchettoTemp),
    KEY_P("Accensione-Cambio", "TempCicchetto", TempCicchetto),
    KEY("Generale", "OffsetMapEsterno", OffsetMapEsterno),
    KEY("Generale", "PendenzaMapEsterno", PendenzaMapEsterno),
    KEY("Generale", "OffsetDiff", OffsetDiff),
    KEY_P("Generale", "PendenzaDiff", PendenzaDiff),
    KEY("PressioneDifferenziale", "RifPressDiff", RifPressDiff),
    KEY_P("PressioneDifferenziale", "CoeffPressDiff", CoeffPressDiff),
    KEY("Temperatura", "RifGas", RifGas),
    KEY_P("Temperatura", "CoeffGas", CoeffGas),
};

#undef KEY
#undef KEY_P
#undef TEXT
#undef ECU_INTS
#undef ECU_TEXT
#undef ECU_NONE

const ConfigKey& KeyOf(const char* key) {
  for (const ConfigKey& e : kConfigKeys)
    if (std::strcmp(e.key, key) == 0) return e;
  throw EConfigFileError();  // not reached: every caller names a key of the table
}

bool Written(const ConfigKey& e) { return !(e.flags & kCutoffRamp); }
bool IsNumber(const ConfigKey& e) { return e.kind != Kind::Text && e.kind != Kind::Name; }

// Calls key(name, row, col) for every key name of an entry in the saver's order (indexed keys
// 0 up, two-dimensional keys column by column), and column() after each column.
template <class KeyFn, class ColumnFn>
void ForEachKey(const ConfigKey& e, KeyFn&& key, ColumnFn&& column) {
  if (e.count == 0) {
    key(std::string(e.key), 0, 0);
  } else if (e.cols == 0) {
    for (int i = 0; i < e.count; ++i) key(e.key + std::to_string(i), i, 0);
  } else {
    for (int c = 0; c < e.cols; ++c) {
      for (int r = 0; r < e.count; ++r) key(e.key + std::to_string(r) + "_" + std::to_string(c), r, c);
      column();
    }
  }
}
template <class KeyFn>
void ForEachKey(const ConfigKey& e, KeyFn&& key) {
  ForEachKey(e, key, [] {});
}

int ProgressOf(const ConfigKey& e, bool mapsOnly) { return mapsOnly ? e.progressMaps : e.progress; }
void AddProgress(int amount) {
  if (amount) SendProgress(amount, ProgressAdd);
}

// Checks the whole file before anything is stored, so a damaged file leaves the data set as it
// was: the rpm and MAP axes and the gas map must all be there (every file the program writes
// holds them), every number must read as one, and a file of the present format that holds
// more than a maps-only save must hold every key the saver writes (else it was cut short).
void CheckContent(const IniFile& ini) {
  const int32_t major = ini.ReadInteger("Versione", "MajorVersionProg", 0);
  const int32_t minor = ini.ReadInteger("Versione", "MinorVersionProg", 0);
  int restPresent = 0;
  int restMissing = 0;
  for (const ConfigKey& e : kConfigKeys) {
    ForEachKey(e, [&](const std::string& name, int, int) {
      const std::optional<std::string> value = ini.ReadValue(e.section, name);
      if (!value) {
        if (e.group == Group::Core && e.kind != Kind::Version) throw EConfigFileError();
      } else if (IsNumber(e) && !IniFile::ParseInteger(*value)) {
        throw EConfigFileError();
      }
      if (e.group == Group::Rest && Written(e)) ++(value ? restPresent : restMissing);
    });
  }
  if (major == kFormatMajor && minor == kFormatMinor && restPresent > 0 && restMissing > 0) throw EConfigFileError();
}

std::string WithoutFolder(const char* name) {
  if (!name) return {};
  const char* base = name;
  for (const char* p = name; *p; ++p)
    if (*p == '/' || *p == '\\') base = p + 1;
  return base;
}

}  // namespace

int TEcuData::SaveConfiguration(const char* name, bool mapsOnly) {
  char previousPath[sizeof(FilePath)];
  std::memcpy(previousPath, FilePath, sizeof(FilePath));
  try {
    if (name && !SetFilePath(name)) throw EConfigFileError();
    OpenConfigIni(false);
    SendProgress(0, ProgressSet);
    MajorVersionProg = kFormatMajor;
    MinorVersionProg = kFormatMinor;
    const std::string fileName = WithoutFolder(name);
    for (const ConfigKey& e : kConfigKeys) {
      if ((mapsOnly && e.group == Group::Rest) || !Written(e)) continue;
      const int step = ProgressOf(e, mapsOnly);
      ForEachKey(
          e,
          [&](const std::string& key, int r, int c) {
            switch (e.kind) {
              case Kind::Int:
              case Kind::Version:
              case Kind::MonoFuel:
                WriteIniInteger(e.ints(*this, r, c), key.c_str(), e.section);
                break;
              case Kind::Text:
                WriteIniString(e.text(*this), key.c_str(), e.section);
                break;
              case Kind::Name:
                WriteIniString(fileName.c_str(), key.c_str(), e.section);
                break;
              case Kind::Ufficiale:
                WriteIniBool(IsUfficiale(), key.c_str(), e.section);
                break;
              case Kind::Potenza: {
                const double hundredths = std::trunc(static_cast<double>(Potenza) * 100.0 + 0.5);
                WriteIniInteger(static_cast<int32_t>(std::fmax(INT32_MIN, std::fmin(INT32_MAX, hundredths))),
                                key.c_str(), e.section);
                break;
              }
            }
          },
          [&] { AddProgress(step); });
      if (e.cols == 0) AddProgress(step);
    }
    SendProgress(100, ProgressSet);
    if (!CloseConfigIni(true)) throw EConfigFileError();
    Changed = false;
    return 1;
  } catch (const std::exception&) {
    // Nothing of a failed save reaches the stored file, and the data set still counts as unsaved.
    CloseConfigIni(false);
    std::memcpy(FilePath, previousPath, sizeof(FilePath));
    return 0;
  }
}

int TEcuData::LoadConfiguration(const char* name, bool mapsOnly) {
  char previousPath[sizeof(FilePath)];
  std::memcpy(previousPath, FilePath, sizeof(FilePath));
  try {
    if (name && !SetFilePath(name)) throw EConfigFileError();
    OpenConfigIni(true);
    CheckContent(*Ini);
    SendProgress(0, ProgressSet);
    const bool legacyCutoff = IniValueExists("Cutoff", "CoefficienteCutoff");
    const auto load = [&](const ConfigKey& e) {
      const int step = ProgressOf(e, mapsOnly);
      ForEachKey(
          e,
          [&](const std::string& key, int r, int c) {
            switch (e.kind) {
              case Kind::Int:
                ReadIniInteger(e.ints(*this, r, c), key.c_str(), e.section);
                break;
              case Kind::Version:
              case Kind::MonoFuel:
                e.ints(*this, r, c) = 0;
                ReadIniInteger(e.ints(*this, r, c), key.c_str(), e.section);
                if (e.kind == Kind::MonoFuel) HasMonoFuel = MonoFuel != 0;
                break;
              case Kind::Text:
                ReadIniString(e.text(*this), key.c_str(), e.section, e.size);
                break;
              case Kind::Potenza: {
                int32_t hundredths = 0;
                if (ReadIniInteger(hundredths, key.c_str(), e.section)) Potenza = static_cast<float>(hundredths * 0.01);
                break;
              }
              case Kind::Name:
              case Kind::Ufficiale:
                break;  // the name is written only; the official flag is loaded through its setter
            }
          },
          [&] { AddProgress(step); });
      if (e.cols == 0) AddProgress(step);
    };

    for (const ConfigKey& e : kConfigKeys)
      if (e.group == Group::Core) load(e);

    // The description and the official flag reach the ECU as well.
    const ConfigKey& description = KeyOf("DescrizAuto");
    if (ReadIniString(Descrizione, description.key, description.section, sizeof(Descrizione)))
      SetDescription(Descrizione);
    const ConfigKey& ufficiale = KeyOf("Ufficiale");
    bool official = false;
    ReadIniBool(official, ufficiale.key, ufficiale.section);
    SetUfficiale(official);

    if (!mapsOnly) {
      for (const ConfigKey& e : kConfigKeys) {
        if (e.group == Group::Core) continue;
        if ((e.flags & kCutoffSteps) && legacyCutoff) continue;
        if ((e.flags & kCutoffRamp) && !legacyCutoff) continue;
        load(e);
      }
      if (legacyCutoff) StepsFromRamp();
    }
    SendProgress(100, ProgressSet);
    Changed = false;
    // Writes the file back only when it was not yet in the stored form; the data set is
    // loaded either way, so a file that stays in its older form is not a failed load.
    CloseConfigIni(true);
    return 1;
  } catch (const std::exception&) {
    CloseConfigIni(false);
    std::memcpy(FilePath, previousPath, sizeof(FilePath));
    return 0;
  }
}

int TEcuData::LoadMapOnly(const char* name, int32_t map[kMapSize][kMapSize], int32_t rpmAxis[kMapSize],
                          int32_t mapAxis[kMapSize]) {
  if (!map || !rpmAxis || !mapAxis) return 0;
  char previousPath[sizeof(FilePath)];
  std::memcpy(previousPath, FilePath, sizeof(FilePath));
  try {
    if (!SetFilePath(name)) throw EConfigFileError();
    OpenConfigIni(true);
    CheckContent(*Ini);
    SendProgress(0, ProgressSet);
    const ConfigKey& rpm = KeyOf("RifGiri");
    ForEachKey(rpm, [&](const std::string& key, int i, int) { ReadIniInteger(rpmAxis[i], key.c_str(), rpm.section); });
    const ConfigKey& volts = KeyOf("RifMAP");
    ForEachKey(volts,
               [&](const std::string& key, int i, int) { ReadIniInteger(mapAxis[i], key.c_str(), volts.section); });
    AddProgress(4);
    const ConfigKey& gas = KeyOf("Mappa");
    ForEachKey(
        gas, [&](const std::string& key, int r, int c) { ReadIniInteger(map[r][c], key.c_str(), gas.section); },
        [] { AddProgress(8); });
    CloseConfigIni(true);
    return 1;
  } catch (const std::exception&) {
    CloseConfigIni(false);
    std::memcpy(FilePath, previousPath, sizeof(FilePath));
    return 0;
  }
}
