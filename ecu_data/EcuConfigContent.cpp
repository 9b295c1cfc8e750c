// The content of a configuration file: one table of sections and keys, in the order the saver
// writes them, drives saving, loading and the check of a file before it is loaded.
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
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
  kAscending = 4,     // map breakpoints: each above the one before
};

// The values a numeric key may hold: what the ECU word of its field holds, narrowed to the
// field's own range where the data set has one. Values outside reach the ECU cut to its word.
struct Range {
  int32_t lo;
  int32_t hi;
};
constexpr Range kByte{0, 255};
constexpr Range kSignedByte{-128, 127};
constexpr Range kWord{0, 65535};
constexpr Range kSignedWord{-32768, 32767};
constexpr Range kAnyNumber{INT32_MIN, INT32_MAX};  // kept in the file only, never sent
constexpr Range kNoNumber{0, 0};                   // texts
constexpr Range kRpm{0, 10000};                    // rpm breakpoints
constexpr Range kMapCell{0, 5000};                 // map cells: 0..20 ms
constexpr Range kRampOpening{0, 100};              // above 100 the opening steps would turn negative
constexpr Range kEnrichment{0, 250};
constexpr Range kHalvedEnrichment{0, 125};         // enrichment values stored halved
constexpr Range kPrimingTime{0, 250};              // 0..5 s
constexpr Range kGasCoefficient{0, 200};

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
  Range range;        // of a number
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
#define KEY(section, key, field, range) \
  {section, key, Kind::Int, Group::Rest, ECU_INTS(field), 0, 0, kNoFlag, range}
#define KEY_P(section, key, field, range) \
  {section, key, Kind::Int, Group::Rest, ECU_INTS(field), 3, 0, kNoFlag, range}
#define TEXT(section, key, field) \
  {section, key, Kind::Text, Group::Rest, ECU_TEXT(field), 0, 0, kNoFlag, kNoNumber}

// Every key, in the order the saver writes them; a section named again later gets further keys.
const ConfigKey kConfigKeys[] = {
    {"Versione", "MajorVersionProg", Kind::Version, Group::Core, ECU_INTS(MajorVersionProg), 0, 0, kNoFlag, kAnyNumber},
    {"Versione", "MinorVersionProg", Kind::Version, Group::Core, ECU_INTS(MinorVersionProg), 0, 0, kNoFlag, kAnyNumber},
    {"Generale", "NomeConfigurazione", Kind::Name, Group::Head, ECU_NONE, 0, 0, kNoFlag, kNoNumber},
    {"Generale", "Flag1", Kind::Int, Group::Head, ECU_INTS(Flag1), 0, 0, kNoFlag, kWord},
    {"Generale", "MonoFuel", Kind::MonoFuel, Group::Head, ECU_INTS(MonoFuel), 0, 0, kNoFlag, kByte},
    {"Generale", "Ufficiale", Kind::Ufficiale, Group::Head, ECU_NONE, 0, 0, kNoFlag, kAnyNumber},
    {"Generale", "ProgFile", Kind::Text, Group::Head, ECU_TEXT(ProgFile), 0, 0, kNoFlag, kNoNumber},
    {"Generale", "Cilindrata", Kind::Int, Group::Head, ECU_INTS(Cilindrata), 0, 0, kNoFlag, kWord},
    {"RiferimentiGiri", "RifGiri", Kind::Int, Group::Core, ECU_INTS(RifGiri), 0, 0, kAscending, kRpm},
    {"RiferimentiMAP", "RifMAP", Kind::Int, Group::Core, ECU_INTS(RifMAP), 2, 3, kAscending, kByte},
    {"MappaCarburazione", "Mappa", Kind::Int, Group::Core, ECU_INTS(Mappa), 2, 6, kNoFlag, kMapCell},
    KEY("MappaCarburazione", "MappaBenzina", MappaBenzina, kMapCell),
    {"Generale", "DescrizAuto", Kind::Text, Group::Rest, ECU_TEXT(DescrizAuto), 0, 0, kNoFlag, kNoNumber},
    TEXT("Generale", "Euro", Euro),
    KEY("Generale", "CentCubici", CentCubici, kAnyNumber),
    KEY("Generale", "Valvole", Valvole, kAnyNumber),
    KEY("Generale", "N cilindri", NCilindri, kAnyNumber),
    {"Generale", "Potenza", Kind::Potenza, Group::Rest, ECU_NONE, 0, 0, kNoFlag, kAnyNumber},
    TEXT("Generale", "Motore", Motore),
    TEXT("Generale", "Centralina", Centralina),
    TEXT("Generale", "Cambio", Cambio),
    KEY_P("Generale", "AnnoVettura", AnnoVettura, kAnyNumber),
    KEY("Lambda", "TipoDiLambda", TipoDiLambda, kByte),
    KEY("Lambda", "RifLambda", RifLambda, kByte),
    KEY("Lambda", "OffsetLambda", OffsetLambda, kByte),
    KEY("Lambda", "RitardoLetturaSonda", RitardoLetturaSonda, kByte),
    KEY("Lambda", "TempoSondaFredda", TempoSondaFredda, kByte),
    KEY("Lambda", "RifSupSondaFredda", RifSupSondaFredda, kByte),
    KEY("Lambda", "RifInfSondaFredda", RifInfSondaFredda, kByte),
    KEY("Lambda", "RifSupSondaCalda", RifSupSondaCalda, kByte),
    KEY_P("Lambda", "RifInfSondaCalda", RifInfSondaCalda, kByte),
    KEY_P("SensoreDiLivello", "LivelloGasAlcol", LivelloGasAlcol, kByte),
    KEY("Accensione-Cambio", "TemperaturaCambio", TemperaturaCambio, kByte),
    KEY("Accensione-Cambio", "GiriPerCambio", GiriPerCambio, kWord),
    KEY("Accensione-Cambio", "RitardoMinimoCambio", RitardoMinimoCambio, kByte),
    KEY("Accensione-Cambio", "FuoriGiri", FuoriGiri, kWord),
    KEY("Accensione-Cambio", "NumeroCilindri", NumeroCilindri, kByte),
    KEY_P("Accensione-Cambio", "FasciaGiriMinimo", FasciaGiriMinimo, kWord),
    KEY("Cutoff", "GiriCutoff", GiriCutoff, kWord),
    {"Cutoff", "ChiusuraCutoff", Kind::Int, Group::Rest, ECU_INTS(ChiusuraCutoff), 0, 0, kCutoffSteps, kByte},
    {"Cutoff", "AperturaCutoff", Kind::Int, Group::Rest, ECU_INTS(AperturaCutoff), 0, 0, kCutoffSteps, kByte},
    {"Cutoff", "CicliCutoff", Kind::Int, Group::Rest, ECU_INTS(CicliCutoff), 0, 0, kCutoffSteps, kByte},
    {"Cutoff", "CoefficienteCutoff", Kind::Int, Group::Rest, ECU_INTS(RampaChiusura), 0, 0, kCutoffRamp, kByte},
    {"Cutoff", "CoeffTermineCutoff", Kind::Int, Group::Rest, ECU_INTS(RampaApertura), 0, 0, kCutoffRamp, kRampOpening},
    {"Cutoff", "DeltaCutoff", Kind::Int, Group::Rest, ECU_INTS(RampaValida), 0, 0, kCutoffRamp, kByte},
    KEY_P("Cutoff", "CorrezioneInRilascio", CorrezioneInRilascio, kSignedWord),
    KEY("TPS", "TipoDiTps", TipoDiTps, kByte),
    KEY("TPS", "Isteresi", Isteresi, kByte),
    KEY("TPS", "TpsMoltoFuori", TpsMoltoFuori, kByte),
    KEY("TPS", "CoefficienteUscitaMinimo", CoefficienteUscitaMinimo, kByte),
    KEY("TPS", "TempoCoefficienteUscitaMinimo", TempoCoefficienteUscitaMinimo, kByte),
    KEY_P("TPS", "TempoPer100", TempoPer100, kByte),
    KEY_P("OpenLoop", "RifOpenLoop", RifOpenLoop, kByte),
    KEY("PassiInversione", "PassiInvArr", PassiInvArr, kByte),
    KEY_P("PassiInversione", "PassiInvSmg", PassiInvSmg, kByte),
    KEY("TempiTraPassi", "PassiIngr", PassiIngr, kByte),
    KEY_P("TempiTraPassi", "PassiSmag", PassiSmag, kByte),
    KEY("Emulazione", "TempoAlto", TempoAlto, kByte),
    KEY("Emulazione", "TempoBasso", TempoBasso, kByte),
    KEY("Emulazione", "TempoSondaSconnessa", TempoSondaSconnessa, kWord),
    KEY("Emulazione", "NumeroOnde", NumeroOnde, kByte),
    KEY("Emulazione", "LivelloAlto", LivelloAlto, kByte),
    KEY_P("Emulazione", "LivelloBasso", LivelloBasso, kByte),
    KEY("SensoreDiLivello", "TipoSensore", TipoSensore, kByte),
    KEY("SensoreDiLivello", "TempoRitBenzina", TempoRitBenzina, kByte),
    KEY_P("SensoreDiLivello", "RifSensore", RifSensore, kByte),
    KEY("Carburazione", "MinErroreIntegrale", MinErroreIntegrale, kSignedWord),
    KEY("Carburazione", "MaxErroreIntegrale", MaxErroreIntegrale, kSignedWord),
    KEY("Carburazione", "MaxErroreIntegraleAlMinimo", MaxErroreIntegraleAlMinimo, kSignedWord),
    KEY("Carburazione", "MinErroreIntegraleAlMinimo", MinErroreIntegraleAlMinimo, kSignedWord),
    KEY("Carburazione", "TpsSbana", TpsSbana, kByte),
    KEY("Carburazione", "GiriSbana", GiriSbana, kWord),
    KEY("Carburazione", "TempiInversioneSbana", TempiInversioneSbana, kByte),
    KEY("Carburazione", "TempoApSbana", TempoApSbana, kByte),
    KEY("Carburazione", "TempoChSbana", TempoChSbana, kByte),
    KEY_P("Carburazione", "CorrRientroMin", CorrRientroMin, kSignedByte),
    KEY("Arricchimento", "ArrPerTps", ArrPerTps, kEnrichment),
    KEY("Arricchimento", "VarCumulo", VarCumulo, kEnrichment),
    KEY("Arricchimento", "MappaArr", MappaArr, kHalvedEnrichment),
    KEY("Arricchimento", "RifCumulo", RifCumulo, kSignedByte),
    KEY("Arricchimento", "MinCumulo", MinCumulo, kByte),
    KEY("Arricchimento", "TipoIniezione", TipoIniezione, kByte),
    KEY_P("Arricchimento", "CorrenteMantenimento", CorrenteMantenimento, kByte),
    KEY("Iniezione", "DutyCorrenteHold", DutyCorrenteHold, kByte),
    KEY_P("Arricchimento", "TempoMaxCorrente", TempoMaxCorrente, kWord),
    KEY("Diagnosi", "Stato", Stato, kWord),
    KEY_P("Diagnosi", "Abilitazione", Abilitazione, kWord),
    KEY("Carburazione", "SequenzaIniezione", SequenzaIniezione, kByte),
    KEY("SensoreDiLivello", "CorrezioneLivello", CorrezioneLivello, kByte),
    KEY_P("Iniezione", "TempoAperturaIniettore", TempoAperturaIniettore, kWord),
    KEY("Arricchimento", "NumeroInjUscitaMin", NumeroInjUscitaMin, kByte),
    KEY("Arricchimento", "ArricchimentoAccelerazione", ArricchimentoAccelerazione, kSignedByte),
    KEY_P("Arricchimento", "ArrUscitaMin", ArrUscitaMin, kHalvedEnrichment),
    KEY("Adattativita", "CorrezioneFuoriMinimo", CorrezioneFuoriMinimo, kSignedWord),
    KEY("Adattativita", "CorrezioneAlMinimo", CorrezioneAlMinimo, kSignedWord),
    KEY("Adattativita", "MassimoValoreCorrezione", MassimoValoreCorrezione, kByte),
    KEY("Adattativita", "TempoTraCorrezioni", TempoTraCorrezioni, kByte),
    KEY("Adattativita", "ZonaApprendimentoFuoriMinimo", ZonaApprendimentoFuoriMinimo, kByte),
    KEY("Adattativita", "MinimoValoreCorrettore", MinimoValoreCorrettore, kByte),
    KEY_P("Adattativita", "TempoPerCorrezione", TempoPerCorrezione, kWord),
    KEY("Temperatura", "Rif", Rif, kByte),
    KEY_P("Temperatura", "Coeff", Coeff, kSignedByte),
    KEY("Accensione-Cambio", "TempoCicchetto", TempoCicchetto, kWord),
    KEY("Accensione-Cambio", "TempoCicchettoTemp", TempoCicchettoTemp, kPrimingTime),
    KEY_P("Accensione-Cambio", "TempCicchetto", TempCicchetto, kByte),
    KEY("Generale", "OffsetMapEsterno", OffsetMapEsterno, kSignedWord),
    KEY("Generale", "PendenzaMapEsterno", PendenzaMapEsterno, kSignedWord),
    KEY("Generale", "OffsetDiff", OffsetDiff, kSignedWord),
    KEY_P("Generale", "PendenzaDiff", PendenzaDiff, kSignedWord),
    KEY("PressioneDifferenziale", "RifPressDiff", RifPressDiff, kByte),
    KEY_P("PressioneDifferenziale", "CoeffPressDiff", CoeffPressDiff, kSignedByte),
    KEY("Temperatura", "RifGas", RifGas, kByte),
    KEY_P("Temperatura", "CoeffGas", CoeffGas, kGasCoefficient),
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

// The value of a key as a load takes it: a key without a value counts as missing.
std::optional<std::string> ValueOf(const IniFile& ini, const char* section, const std::string& key) {
  std::optional<std::string> value = ini.ReadValue(section, key);
  if (value && value->empty()) value.reset();
  return value;
}

// A value of the file as the message shows it: its Latin-1 text, cut short when long.
std::string Shown(const std::string& value) {
  constexpr int kShownChars = 40;
  QString text = QString::fromLatin1(value.data(), static_cast<qsizetype>(value.size()));
  if (text.size() > kShownChars) text = text.left(kShownChars) + QStringLiteral("...");
  return text.toStdString();
}

std::string Refusal(const ConfigKey& e, const std::string& key, const std::string& value, const std::string& why) {
  return "Valore non valido nel file: [" + std::string(e.section) + "] " + key + "=" + Shown(value) + " (" + why +
         "). Correggere il valore e riaprire il file.";
}

// Why a file cannot be loaded, or nothing when it can. Every value the load reads (`reads`) must
// be a whole number that the ECU can hold, and the map breakpoints, with the ones the file leaves
// out kept from `held`, must rise from one to the next. A missing key is no fault, but a file
// without any key of a configuration is not a configuration.
template <class Reads, class Held>
std::optional<std::string> RefusalOf(const IniFile& ini, Reads&& reads, Held&& held) {
  bool anyKey = false;
  for (const ConfigKey& e : kConfigKeys) {
    const bool checked = reads(e) && IsNumber(e);
    int32_t axis[TEcuData::kMapSize] = {};
    bool inFile[TEcuData::kMapSize] = {};
    const bool ascending = checked && (e.flags & kAscending);
    if (ascending) std::copy(held(e), held(e) + e.count, axis);
    std::optional<std::string> refusal;
    ForEachKey(e, [&](const std::string& key, int r, int) {
      const std::optional<std::string> value = ValueOf(ini, e.section, key);
      if (!value) return;
      anyKey = true;
      if (!checked || refusal) return;
      const std::optional<int32_t> number = IniFile::ParseInteger(*value);
      if (!number) {
        refusal = Refusal(e, key, *value, "non è un numero intero");
      } else if (*number < e.range.lo || *number > e.range.hi) {
        refusal = Refusal(e, key, *value,
                          "la centralina accetta da " + std::to_string(e.range.lo) + " a " + std::to_string(e.range.hi));
      } else if (ascending) {
        axis[r] = *number;
        inFile[r] = true;
      }
    });
    if (refusal) return refusal;
    // Only pairs the file changes: breakpoints already held stay as they are.
    for (int i = 1; ascending && i < e.count; ++i) {
      if (axis[i - 1] < axis[i] || !(inFile[i - 1] || inFile[i])) continue;
      const std::string key = e.key + std::to_string(i);
      const std::string before = e.key + std::to_string(i - 1);
      const int blamed = inFile[i] ? i : i - 1;
      return Refusal(e, e.key + std::to_string(blamed), std::to_string(axis[blamed]),
                     "i riferimenti devono crescere da uno al successivo: " + before + "=" +
                         std::to_string(axis[i - 1]) + ", " + key + "=" + std::to_string(axis[i]));
    }
  }
  if (!anyKey) return "Il file non contiene dati di configurazione.";
  return std::nullopt;
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
  fileError_.clear();
  try {
    if (name && !SetFilePath(name)) throw EConfigFileError();
    OpenConfigIni(true);
    // Files of any version may carry the cut-off as the legacy ramp.
    const bool legacyCutoff = IniValueExists("Cutoff", "CoefficienteCutoff");
    const auto reads = [&](const ConfigKey& e) {
      if (e.kind == Kind::Name) return false;
      if (e.group == Group::Core || e.kind == Kind::Ufficiale) return true;
      if (mapsOnly) return false;
      if (e.flags & kCutoffSteps) return !legacyCutoff;
      if (e.flags & kCutoffRamp) return legacyCutoff;
      return true;
    };
    // All or nothing: the whole file is checked before the first field changes.
    const auto held = [this](const ConfigKey& e) -> const int32_t* { return &e.ints(*this, 0, 0); };
    if (const std::optional<std::string> refusal = RefusalOf(*Ini, reads, held)) {
      fileError_ = *refusal;
      throw EConfigFileError();
    }
    SendProgress(0, ProgressSet);
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
      for (const ConfigKey& e : kConfigKeys)
        if (e.group != Group::Core && reads(e)) load(e);
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
  fileError_.clear();
  if (!map || !rpmAxis || !mapAxis) return 0;
  char previousPath[sizeof(FilePath)];
  std::memcpy(previousPath, FilePath, sizeof(FilePath));
  try {
    if (!SetFilePath(name)) throw EConfigFileError();
    OpenConfigIni(true);
    const ConfigKey& rpm = KeyOf("RifGiri");
    const ConfigKey& volts = KeyOf("RifMAP");
    const ConfigKey& gas = KeyOf("Mappa");
    const auto reads = [&](const ConfigKey& e) { return &e == &rpm || &e == &volts || &e == &gas; };
    const auto held = [&](const ConfigKey& e) -> const int32_t* { return &e == &rpm ? rpmAxis : mapAxis; };
    if (const std::optional<std::string> refusal = RefusalOf(*Ini, reads, held)) {
      fileError_ = *refusal;
      throw EConfigFileError();
    }
    SendProgress(0, ProgressSet);
    ForEachKey(rpm, [&](const std::string& key, int i, int) { ReadIniInteger(rpmAxis[i], key.c_str(), rpm.section); });
    ForEachKey(volts,
               [&](const std::string& key, int i, int) { ReadIniInteger(mapAxis[i], key.c_str(), volts.section); });
    AddProgress(4);
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
