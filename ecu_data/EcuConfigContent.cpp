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
#include "SerialWord.h"

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

// The values a numeric key may hold: whatever the ECU word that keeps its field holds (the
// word the data set reads it with), so that every value the data set can hold, whether set by
// an edit or read from an ECU, is carried by a file and loads again. Only a value no ECU can
// hold is refused. Keys of the file alone (vehicle data, version) take any number.
struct Range {
  int32_t lo;
  int32_t hi;
};
constexpr Range Word(int code) { return {SerialWord::MinValue(code), SerialWord::MaxValue(code)}; }
// A field written with one word and read with another (the same variable, signed one way only):
// what either of them carries.
constexpr Range Words(int write, int read) {
  return {std::min(SerialWord::MinValue(write), SerialWord::MinValue(read)),
          std::max(SerialWord::MaxValue(write), SerialWord::MaxValue(read))};
}
constexpr Range kAnyNumber{INT32_MIN, INT32_MAX};  // kept in the file only, never sent
constexpr Range kNoNumber{0, 0};                   // texts
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
    {"Generale", "Flag1", Kind::Int, Group::Head, ECU_INTS(Flag1), 0, 0, kNoFlag, Word(0x203)},
    {"Generale", "MonoFuel", Kind::MonoFuel, Group::Head, ECU_INTS(MonoFuel), 0, 0, kNoFlag, Word(0x81)},
    {"Generale", "Ufficiale", Kind::Ufficiale, Group::Head, ECU_NONE, 0, 0, kNoFlag, kAnyNumber},
    {"Generale", "ProgFile", Kind::Text, Group::Head, ECU_TEXT(ProgFile), 0, 0, kNoFlag, kNoNumber},
    {"Generale", "Cilindrata", Kind::Int, Group::Head, ECU_INTS(Cilindrata), 0, 0, kNoFlag, Word(0x24B)},
    {"RiferimentiGiri", "RifGiri", Kind::Int, Group::Core, ECU_INTS(RifGiri), 0, 0, kNoFlag, Word(0xC30C)},
    {"RiferimentiMAP", "RifMAP", Kind::Int, Group::Core, ECU_INTS(RifMAP), 2, 3, kNoFlag, Word(0xC10D)},
    {"MappaCarburazione", "Mappa", Kind::Int, Group::Core, ECU_INTS(Mappa), 2, 6, kNoFlag, Word(0xC30E)},
    KEY("MappaCarburazione", "MappaBenzina", MappaBenzina, Word(0xC34F)),
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
    KEY("Lambda", "TipoDiLambda", TipoDiLambda, Word(0x04)),
    KEY("Lambda", "RifLambda", RifLambda, Word(0x05)),
    KEY("Lambda", "OffsetLambda", OffsetLambda, Word(0x2F)),
    KEY("Lambda", "RitardoLetturaSonda", RitardoLetturaSonda, Word(0x06)),
    KEY("Lambda", "TempoSondaFredda", TempoSondaFredda, Word(0x07)),
    KEY("Lambda", "RifSupSondaFredda", RifSupSondaFredda, Word(0x08)),
    KEY("Lambda", "RifInfSondaFredda", RifInfSondaFredda, Word(0x09)),
    KEY("Lambda", "RifSupSondaCalda", RifSupSondaCalda, Word(0x0A)),
    KEY_P("Lambda", "RifInfSondaCalda", RifInfSondaCalda, Word(0x0B)),
    KEY_P("SensoreDiLivello", "LivelloGasAlcol", LivelloGasAlcol, Word(0x70)),
    KEY("Accensione-Cambio", "TemperaturaCambio", TemperaturaCambio, Word(0x0F)),
    KEY("Accensione-Cambio", "GiriPerCambio", GiriPerCambio, Word(0x210)),
    KEY("Accensione-Cambio", "RitardoMinimoCambio", RitardoMinimoCambio, Word(0x11)),
    KEY("Accensione-Cambio", "FuoriGiri", FuoriGiri, Word(0x213)),
    KEY("Accensione-Cambio", "NumeroCilindri", NumeroCilindri, Word(0x14)),
    KEY_P("Accensione-Cambio", "FasciaGiriMinimo", FasciaGiriMinimo, Word(0x215)),
    KEY("Cutoff", "GiriCutoff", GiriCutoff, Word(0x216)),
    {"Cutoff", "ChiusuraCutoff", Kind::Int, Group::Rest, ECU_INTS(ChiusuraCutoff), 0, 0, kCutoffSteps, Word(0x59)},
    {"Cutoff", "AperturaCutoff", Kind::Int, Group::Rest, ECU_INTS(AperturaCutoff), 0, 0, kCutoffSteps, Word(0x5A)},
    {"Cutoff", "CicliCutoff", Kind::Int, Group::Rest, ECU_INTS(CicliCutoff), 0, 0, kCutoffSteps, Word(0x57)},
    {"Cutoff", "CoefficienteCutoff", Kind::Int, Group::Rest, ECU_INTS(RampaChiusura), 0, 0, kCutoffRamp, Word(0x17)},
    {"Cutoff", "CoeffTermineCutoff", Kind::Int, Group::Rest, ECU_INTS(RampaApertura), 0, 0, kCutoffRamp, Word(0x4D)},
    {"Cutoff", "DeltaCutoff", Kind::Int, Group::Rest, ECU_INTS(RampaValida), 0, 0, kCutoffRamp, Word(0x18)},
    KEY_P("Cutoff", "CorrezioneInRilascio", CorrezioneInRilascio, Word(0x66C)),
    KEY("TPS", "TipoDiTps", TipoDiTps, Word(0x1A)),
    KEY("TPS", "Isteresi", Isteresi, Word(0x1B)),
    KEY("TPS", "TpsMoltoFuori", TpsMoltoFuori, Word(0x3F)),
    KEY("TPS", "CoefficienteUscitaMinimo", CoefficienteUscitaMinimo, Word(0x64)),
    KEY("TPS", "TempoCoefficienteUscitaMinimo", TempoCoefficienteUscitaMinimo, Word(0x65)),
    KEY_P("TPS", "TempoPer100", TempoPer100, Word(0x66)),
    KEY_P("OpenLoop", "RifOpenLoop", RifOpenLoop, Word(0xC11C)),
    KEY("PassiInversione", "PassiInvArr", PassiInvArr, Word(0xC11D)),
    KEY_P("PassiInversione", "PassiInvSmg", PassiInvSmg, Word(0xC119)),
    KEY("TempiTraPassi", "PassiIngr", PassiIngr, Word(0xC11E)),
    KEY_P("TempiTraPassi", "PassiSmag", PassiSmag, Word(0xC11F)),
    KEY("Emulazione", "TempoAlto", TempoAlto, Word(0x20)),
    KEY("Emulazione", "TempoBasso", TempoBasso, Word(0x21)),
    KEY("Emulazione", "TempoSondaSconnessa", TempoSondaSconnessa, Word(0x222)),
    KEY("Emulazione", "NumeroOnde", NumeroOnde, Word(0x23)),
    KEY("Emulazione", "LivelloAlto", LivelloAlto, Word(0x47)),
    KEY_P("Emulazione", "LivelloBasso", LivelloBasso, Word(0x48)),
    KEY("SensoreDiLivello", "TipoSensore", TipoSensore, Word(0x24)),
    KEY("SensoreDiLivello", "TempoRitBenzina", TempoRitBenzina, Word(0x3E)),
    KEY_P("SensoreDiLivello", "RifSensore", RifSensore, Word(0x4125)),
    KEY("Carburazione", "MinErroreIntegrale", MinErroreIntegrale, Word(0x627)),
    KEY("Carburazione", "MaxErroreIntegrale", MaxErroreIntegrale, Word(0x626)),
    KEY("Carburazione", "MaxErroreIntegraleAlMinimo", MaxErroreIntegraleAlMinimo, Word(0x628)),
    KEY("Carburazione", "MinErroreIntegraleAlMinimo", MinErroreIntegraleAlMinimo, Word(0x629)),
    KEY("Carburazione", "TpsSbana", TpsSbana, Word(0x2C)),
    KEY("Carburazione", "GiriSbana", GiriSbana, Word(0x22D)),
    KEY("Carburazione", "TempiInversioneSbana", TempiInversioneSbana, Word(0x2E)),
    KEY("Carburazione", "TempoApSbana", TempoApSbana, Word(0x46)),
    KEY("Carburazione", "TempoChSbana", TempoChSbana, Word(0x45)),
    KEY_P("Carburazione", "CorrRientroMin", CorrRientroMin, Word(0x449)),
    KEY("Arricchimento", "ArrPerTps", ArrPerTps, Word(0x6131)),
    KEY("Arricchimento", "VarCumulo", VarCumulo, Word(0x6130)),
    KEY("Arricchimento", "MappaArr", MappaArr, Word(0x6136)),
    KEY("Arricchimento", "RifCumulo", RifCumulo, Words(0x432, 0x5132)),
    KEY("Arricchimento", "MinCumulo", MinCumulo, Word(0x33)),
    KEY("Arricchimento", "TipoIniezione", TipoIniezione, Word(0x34)),
    KEY_P("Arricchimento", "CorrenteMantenimento", CorrenteMantenimento, Word(0x38)),
    KEY("Iniezione", "DutyCorrenteHold", DutyCorrenteHold, Word(0x7F)),
    KEY_P("Arricchimento", "TempoMaxCorrente", TempoMaxCorrente, Word(0x24A)),
    KEY("Diagnosi", "Stato", Stato, Word(0x2339)),
    KEY_P("Diagnosi", "Abilitazione", Abilitazione, Word(0x233A)),
    KEY("Carburazione", "SequenzaIniezione", SequenzaIniezione, Word(0x814E)),
    KEY("SensoreDiLivello", "CorrezioneLivello", CorrezioneLivello, Word(0x5150)),
    KEY_P("Iniezione", "TempoAperturaIniettore", TempoAperturaIniettore, Word(0x253)),
    KEY("Arricchimento", "NumeroInjUscitaMin", NumeroInjUscitaMin, Word(0x56)),
    KEY("Arricchimento", "ArricchimentoAccelerazione", ArricchimentoAccelerazione, Word(0x458)),
    KEY_P("Arricchimento", "ArrUscitaMin", ArrUscitaMin, Word(0x6555)),
    KEY("Adattativita", "CorrezioneFuoriMinimo", CorrezioneFuoriMinimo, Word(0x671)),
    KEY("Adattativita", "CorrezioneAlMinimo", CorrezioneAlMinimo, Word(0x672)),
    KEY("Adattativita", "MassimoValoreCorrezione", MassimoValoreCorrezione, Word(0x73)),
    KEY("Adattativita", "TempoTraCorrezioni", TempoTraCorrezioni, Word(0x74)),
    KEY("Adattativita", "ZonaApprendimentoFuoriMinimo", ZonaApprendimentoFuoriMinimo, Word(0x75)),
    KEY("Adattativita", "MinimoValoreCorrettore", MinimoValoreCorrettore, Word(0x76)),
    KEY_P("Adattativita", "TempoPerCorrezione", TempoPerCorrezione, Word(0x277)),
    KEY("Temperatura", "Rif", Rif, Word(0xA12A)),
    KEY_P("Temperatura", "Coeff", Coeff, Word(0x9578)),
    KEY("Accensione-Cambio", "TempoCicchetto", TempoCicchetto, Word(0x26D)),
    KEY("Accensione-Cambio", "TempoCicchettoTemp", TempoCicchettoTemp, Word(0x3184)),
    KEY_P("Accensione-Cambio", "TempCicchetto", TempCicchetto, Word(0x3185)),
    KEY("Generale", "OffsetMapEsterno", OffsetMapEsterno, Word(0x477A)),
    KEY("Generale", "PendenzaMapEsterno", PendenzaMapEsterno, Word(0x477A)),
    KEY("Generale", "OffsetDiff", OffsetDiff, Word(0x477A)),
    KEY_P("Generale", "PendenzaDiff", PendenzaDiff, Word(0x477A)),
    KEY("PressioneDifferenziale", "RifPressDiff", RifPressDiff, Word(0x917B)),
    KEY_P("PressioneDifferenziale", "CoeffPressDiff", CoeffPressDiff, Word(0x957C)),
    KEY("Temperatura", "RifGas", RifGas, Word(0xA17D)),
    KEY_P("Temperatura", "CoeffGas", CoeffGas, Word(0x917E)),
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

ConfigFileRefusal Refusal(const ConfigKey& e, const std::string& key, const std::string& value,
                          ConfigFileRefusal::Reason why) {
  ConfigFileRefusal refusal;
  refusal.reason = why;
  refusal.section = e.section;
  refusal.key = key;
  refusal.value = Shown(value);
  if (why == ConfigFileRefusal::Reason::OutOfRange) {
    refusal.lo = e.range.lo;
    refusal.hi = e.range.hi;
  }
  return refusal;
}

// Why a file cannot be loaded, or nothing when it can. Every value the load reads (`reads`) must
// be a whole number that the ECU word of its field holds. Breakpoints are taken as they are, equal
// or out of order, as an ECU may hold them. A missing key is no fault, but a file without any key
// of a configuration is not a configuration.
template <class Reads>
std::optional<ConfigFileRefusal> RefusalOf(const IniFile& ini, Reads&& reads) {
  bool anyKey = false;
  for (const ConfigKey& e : kConfigKeys) {
    const bool checked = reads(e) && IsNumber(e);
    std::optional<ConfigFileRefusal> refusal;
    ForEachKey(e, [&](const std::string& key, int, int) {
      const std::optional<std::string> value = ValueOf(ini, e.section, key);
      if (!value) return;
      anyKey = true;
      if (!checked || refusal) return;
      const std::optional<int32_t> number = IniFile::ParseInteger(*value);
      if (!number) {
        refusal = Refusal(e, key, *value, ConfigFileRefusal::Reason::NotANumber);
      } else if (*number < e.range.lo || *number > e.range.hi) {
        refusal = Refusal(e, key, *value, ConfigFileRefusal::Reason::OutOfRange);
      }
    });
    if (refusal) return refusal;
  }
  if (!anyKey) {
    ConfigFileRefusal none;
    none.reason = ConfigFileRefusal::Reason::NoConfiguration;
    return none;
  }
  return std::nullopt;
}

// A text as the file carries it: a reader drops blanks around a value and one pair of quotes
// around it, so a text that starts or ends with a blank, or is itself quoted, goes in quotes.
std::string CarriedText(const char* text) {
  const std::string_view t(text);
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  const bool quoted = t.size() >= 2 && (t.front() == '"' || t.front() == '\'') && t.back() == t.front();
  if (!t.empty() && (blank(t.front()) || blank(t.back()) || quoted)) return "\"" + std::string(t) + "\"";
  return std::string(t);
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
                WriteIniString(CarriedText(e.text(*this)).c_str(), key.c_str(), e.section);
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
  fileRefusal_ = {};
  oversizedFile_ = {};
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
    if (const std::optional<ConfigFileRefusal> refusal = RefusalOf(*Ini, reads)) {
      fileRefusal_ = *refusal;
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
  fileRefusal_ = {};
  oversizedFile_ = {};
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
    if (const std::optional<ConfigFileRefusal> refusal = RefusalOf(*Ini, reads)) {
      fileRefusal_ = *refusal;
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
