// The content of a configuration file: one table of sections and keys, in the order the saver
// writes them, drives saving, loading and the check of a file before it is loaded.
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include "ConfigFileFormat.h"
#include "EcuData.h"
#include "EcuWords.h"
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
  kCutoffSteps = 1,  // read unless the file holds the legacy ramp keys
  kCutoffRamp = 2,   // legacy ramp keys: read only, never written
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

using D = TEcuData;
using IntRef = int32_t& (*)(D&, int row, int col);
using TextRef = char* (*)(D&);

int32_t& At(int32_t& v, int, int) { return v; }
template <size_t N>
int32_t& At(int32_t (&v)[N], int i, int) {
  return v[i];
}
template <size_t R, size_t C>
int32_t& At(int32_t (&v)[R][C], int r, int c) {
  return v[r][c];
}

// The integer field of a key: a scalar, an array or a table of the data set.
struct IntField {
  int count = 0;  // elements of an indexed key (0: no index); rows of a two-dimensional key
  int cols = 0;   // columns of a two-dimensional key (0: not two-dimensional)
  IntRef ref = nullptr;
};
template <auto Field>
constexpr IntField Ints() {
  using T = std::remove_reference_t<decltype(std::declval<D&>().*Field)>;
  return {static_cast<int>(std::extent_v<T, 0>), static_cast<int>(std::extent_v<T, 1>),
          [](D& d, int r, int c) -> int32_t& { return At(d.*Field, r, c); }};
}

// The text field of a key.
struct TextField {
  TextRef ref = nullptr;
  int size = 0;  // terminator included
};
template <auto Field>
constexpr TextField Text() {
  return {[](D& d) -> char* { return d.*Field; }, static_cast<int>(sizeof(std::declval<D&>().*Field))};
}

// One key of the file. A row names only what differs from a plain integer key of a whole load.
struct ConfigKey {
  const char* section = nullptr;
  const char* key = nullptr;
  Kind kind = Kind::Int;
  Group group = Group::Rest;
  IntField ints = {};
  TextField text = {};
  int progress = 0;      // progress after the key, or after each column of a two-dimensional key
  int progressMaps = 0;  // the same in a maps-only save or load
  uint8_t flags = kNoFlag;
  Range range = kNoNumber;  // of a number
};

// Every key, in the order the saver writes them; a section named again later gets further keys.
const ConfigKey kConfigKeys[] = {
    {.section = "Versione",
     .key = "MajorVersionProg",
     .kind = Kind::Version,
     .group = Group::Core,
     .ints = Ints<&D::MajorVersionProg>(),
     .range = kAnyNumber},
    {.section = "Versione",
     .key = "MinorVersionProg",
     .kind = Kind::Version,
     .group = Group::Core,
     .ints = Ints<&D::MinorVersionProg>(),
     .range = kAnyNumber},
    {.section = "Generale", .key = "NomeConfigurazione", .kind = Kind::Name, .group = Group::Head},
    {.section = "Generale",
     .key = "Flag1",
     .group = Group::Head,
     .ints = Ints<&D::Flag1>(),
     .range = Word(EcuWord::kFlag1)},
    {.section = "Generale",
     .key = "MonoFuel",
     .kind = Kind::MonoFuel,
     .group = Group::Head,
     .ints = Ints<&D::MonoFuel>(),
     .range = Word(EcuWord::kMonoFuel)},
    {.section = "Generale",
     .key = "Ufficiale",
     .kind = Kind::Ufficiale,
     .group = Group::Head,
     .range = kAnyNumber},
    {.section = "Generale",
     .key = "ProgFile",
     .kind = Kind::Text,
     .group = Group::Head,
     .text = Text<&D::ProgFile>()},
    {.section = "Generale",
     .key = "Cilindrata",
     .group = Group::Head,
     .ints = Ints<&D::Cilindrata>(),
     .range = Word(EcuWord::kCilindrata)},
    {.section = "RiferimentiGiri",
     .key = "RifGiri",
     .group = Group::Core,
     .ints = Ints<&D::RifGiri>(),
     .range = Word(EcuWord::kRifGiri)},
    {.section = "RiferimentiMAP",
     .key = "RifMAP",
     .group = Group::Core,
     .ints = Ints<&D::RifMAP>(),
     .progress = 2,
     .progressMaps = 3,
     .range = Word(EcuWord::kRifMAP)},
    {.section = "MappaCarburazione",
     .key = "Mappa",
     .group = Group::Core,
     .ints = Ints<&D::Mappa>(),
     .progress = 2,
     .progressMaps = 6,
     .range = Word(EcuWord::kMappa)},
    {.section = "MappaCarburazione",
     .key = "MappaBenzina",
     .ints = Ints<&D::MappaBenzina>(),
     .range = Word(EcuWord::kMappaBenzina)},
    {.section = "Generale", .key = "DescrizAuto", .kind = Kind::Text, .text = Text<&D::DescrizAuto>()},
    {.section = "Generale", .key = "Euro", .kind = Kind::Text, .text = Text<&D::Euro>()},
    {.section = "Generale", .key = "CentCubici", .ints = Ints<&D::CentCubici>(), .range = kAnyNumber},
    {.section = "Generale", .key = "Valvole", .ints = Ints<&D::Valvole>(), .range = kAnyNumber},
    {.section = "Generale", .key = "N cilindri", .ints = Ints<&D::NCilindri>(), .range = kAnyNumber},
    {.section = "Generale", .key = "Potenza", .kind = Kind::Potenza, .range = kAnyNumber},
    {.section = "Generale", .key = "Motore", .kind = Kind::Text, .text = Text<&D::Motore>()},
    {.section = "Generale", .key = "Centralina", .kind = Kind::Text, .text = Text<&D::Centralina>()},
    {.section = "Generale", .key = "Cambio", .kind = Kind::Text, .text = Text<&D::Cambio>()},
    {.section = "Generale",
     .key = "AnnoVettura",
     .ints = Ints<&D::AnnoVettura>(),
     .progress = 3,
     .range = kAnyNumber},
    {.section = "Lambda",
     .key = "TipoDiLambda",
     .ints = Ints<&D::TipoDiLambda>(),
     .range = Word(EcuWord::kTipoDiLambda)},
    {.section = "Lambda",
     .key = "RifLambda",
     .ints = Ints<&D::RifLambda>(),
     .range = Word(EcuWord::kRifLambda)},
    {.section = "Lambda",
     .key = "OffsetLambda",
     .ints = Ints<&D::OffsetLambda>(),
     .range = Word(EcuWord::kOffsetLambda)},
    {.section = "Lambda",
     .key = "RitardoLetturaSonda",
     .ints = Ints<&D::RitardoLetturaSonda>(),
     .range = Word(EcuWord::kRitardoLetturaSonda)},
    {.section = "Lambda",
     .key = "TempoSondaFredda",
     .ints = Ints<&D::TempoSondaFredda>(),
     .range = Word(EcuWord::kTempoSondaFredda)},
    {.section = "Lambda",
     .key = "RifSupSondaFredda",
     .ints = Ints<&D::RifSupSondaFredda>(),
     .range = Word(EcuWord::kRifSupSondaFredda)},
    {.section = "Lambda",
     .key = "RifInfSondaFredda",
     .ints = Ints<&D::RifInfSondaFredda>(),
     .range = Word(EcuWord::kRifInfSondaFredda)},
    {.section = "Lambda",
     .key = "RifSupSondaCalda",
     .ints = Ints<&D::RifSupSondaCalda>(),
     .range = Word(EcuWord::kRifSupSondaCalda)},
    {.section = "Lambda",
     .key = "RifInfSondaCalda",
     .ints = Ints<&D::RifInfSondaCalda>(),
     .progress = 3,
     .range = Word(EcuWord::kRifInfSondaCalda)},
    {.section = "SensoreDiLivello",
     .key = "LivelloGasAlcol",
     .ints = Ints<&D::LivelloGasAlcol>(),
     .progress = 3,
     .range = Word(EcuWord::kLivelloGasAlcol)},
    {.section = "Accensione-Cambio",
     .key = "TemperaturaCambio",
     .ints = Ints<&D::TemperaturaCambio>(),
     .range = Word(EcuWord::kTemperaturaCambio)},
    {.section = "Accensione-Cambio",
     .key = "GiriPerCambio",
     .ints = Ints<&D::GiriPerCambio>(),
     .range = Word(EcuWord::kGiriPerCambio)},
    {.section = "Accensione-Cambio",
     .key = "RitardoMinimoCambio",
     .ints = Ints<&D::RitardoMinimoCambio>(),
     .range = Word(EcuWord::kRitardoMinimoCambio)},
    {.section = "Accensione-Cambio",
     .key = "FuoriGiri",
     .ints = Ints<&D::FuoriGiri>(),
     .range = Word(EcuWord::kFuoriGiri)},
    {.section = "Accensione-Cambio",
     .key = "NumeroCilindri",
     .ints = Ints<&D::NumeroCilindri>(),
     .range = Word(EcuWord::kNumeroCilindri)},
    {.section = "Accensione-Cambio",
     .key = "FasciaGiriMinimo",
     .ints = Ints<&D::FasciaGiriMinimo>(),
     .progress = 3,
     .range = Word(EcuWord::kFasciaGiriMinimo)},
    {.section = "Cutoff",
     .key = "GiriCutoff",
     .ints = Ints<&D::GiriCutoff>(),
     .range = Word(EcuWord::kGiriCutoff)},
    {.section = "Cutoff",
     .key = "ChiusuraCutoff",
     .ints = Ints<&D::ChiusuraCutoff>(),
     .flags = kCutoffSteps,
     .range = Word(EcuWord::kChiusuraCutoff)},
    {.section = "Cutoff",
     .key = "AperturaCutoff",
     .ints = Ints<&D::AperturaCutoff>(),
     .flags = kCutoffSteps,
     .range = Word(EcuWord::kAperturaCutoff)},
    {.section = "Cutoff",
     .key = "CicliCutoff",
     .ints = Ints<&D::CicliCutoff>(),
     .flags = kCutoffSteps,
     .range = Word(EcuWord::kCicliCutoff)},
    {.section = "Cutoff",
     .key = "CoefficienteCutoff",
     .ints = Ints<&D::RampaChiusura>(),
     .flags = kCutoffRamp,
     .range = Word(EcuWord::kRampaChiusura)},
    {.section = "Cutoff",
     .key = "CoeffTermineCutoff",
     .ints = Ints<&D::RampaApertura>(),
     .flags = kCutoffRamp,
     .range = Word(EcuWord::kRampaApertura)},
    {.section = "Cutoff",
     .key = "DeltaCutoff",
     .ints = Ints<&D::RampaValida>(),
     .flags = kCutoffRamp,
     .range = Word(EcuWord::kRampaValida)},
    {.section = "Cutoff",
     .key = "CorrezioneInRilascio",
     .ints = Ints<&D::CorrezioneInRilascio>(),
     .progress = 3,
     .range = Word(EcuWord::kCorrezioneInRilascio)},
    {.section = "TPS", .key = "TipoDiTps", .ints = Ints<&D::TipoDiTps>(), .range = Word(EcuWord::kTipoDiTps)},
    {.section = "TPS", .key = "Isteresi", .ints = Ints<&D::Isteresi>(), .range = Word(EcuWord::kIsteresi)},
    {.section = "TPS",
     .key = "TpsMoltoFuori",
     .ints = Ints<&D::TpsMoltoFuori>(),
     .range = Word(EcuWord::kTpsMoltoFuori)},
    {.section = "TPS",
     .key = "CoefficienteUscitaMinimo",
     .ints = Ints<&D::CoefficienteUscitaMinimo>(),
     .range = Word(EcuWord::kCoefficienteUscitaMinimo)},
    {.section = "TPS",
     .key = "TempoCoefficienteUscitaMinimo",
     .ints = Ints<&D::TempoCoefficienteUscitaMinimo>(),
     .range = Word(EcuWord::kTempoCoefficienteUscitaMinimo)},
    {.section = "TPS",
     .key = "TempoPer100",
     .ints = Ints<&D::TempoPer100>(),
     .progress = 3,
     .range = Word(EcuWord::kTempoPer100)},
    {.section = "OpenLoop",
     .key = "RifOpenLoop",
     .ints = Ints<&D::RifOpenLoop>(),
     .progress = 3,
     .range = Word(EcuWord::kRifOpenLoop)},
    {.section = "PassiInversione",
     .key = "PassiInvArr",
     .ints = Ints<&D::PassiInvArr>(),
     .range = Word(EcuWord::kPassiInvArr)},
    {.section = "PassiInversione",
     .key = "PassiInvSmg",
     .ints = Ints<&D::PassiInvSmg>(),
     .progress = 3,
     .range = Word(EcuWord::kPassiInvSmg)},
    {.section = "TempiTraPassi",
     .key = "PassiIngr",
     .ints = Ints<&D::PassiIngr>(),
     .range = Word(EcuWord::kPassiIngr)},
    {.section = "TempiTraPassi",
     .key = "PassiSmag",
     .ints = Ints<&D::PassiSmag>(),
     .progress = 3,
     .range = Word(EcuWord::kPassiSmag)},
    {.section = "Emulazione",
     .key = "TempoAlto",
     .ints = Ints<&D::TempoAlto>(),
     .range = Word(EcuWord::kTempoAlto)},
    {.section = "Emulazione",
     .key = "TempoBasso",
     .ints = Ints<&D::TempoBasso>(),
     .range = Word(EcuWord::kTempoBasso)},
    {.section = "Emulazione",
     .key = "TempoSondaSconnessa",
     .ints = Ints<&D::TempoSondaSconnessa>(),
     .range = Word(EcuWord::kTempoSondaSconnessa)},
    {.section = "Emulazione",
     .key = "NumeroOnde",
     .ints = Ints<&D::NumeroOnde>(),
     .range = Word(EcuWord::kNumeroOnde)},
    {.section = "Emulazione",
     .key = "LivelloAlto",
     .ints = Ints<&D::LivelloAlto>(),
     .range = Word(EcuWord::kLivelloAlto)},
    {.section = "Emulazione",
     .key = "LivelloBasso",
     .ints = Ints<&D::LivelloBasso>(),
     .progress = 3,
     .range = Word(EcuWord::kLivelloBasso)},
    {.section = "SensoreDiLivello",
     .key = "TipoSensore",
     .ints = Ints<&D::TipoSensore>(),
     .range = Word(EcuWord::kTipoSensore)},
    {.section = "SensoreDiLivello",
     .key = "TempoRitBenzina",
     .ints = Ints<&D::TempoRitBenzina>(),
     .range = Word(EcuWord::kTempoRitBenzina)},
    {.section = "SensoreDiLivello",
     .key = "RifSensore",
     .ints = Ints<&D::RifSensore>(),
     .progress = 3,
     .range = Word(EcuWord::kRifSensore)},
    {.section = "Carburazione",
     .key = "MinErroreIntegrale",
     .ints = Ints<&D::MinErroreIntegrale>(),
     .range = Word(EcuWord::kMinErroreIntegrale)},
    {.section = "Carburazione",
     .key = "MaxErroreIntegrale",
     .ints = Ints<&D::MaxErroreIntegrale>(),
     .range = Word(EcuWord::kMaxErroreIntegrale)},
    {.section = "Carburazione",
     .key = "MaxErroreIntegraleAlMinimo",
     .ints = Ints<&D::MaxErroreIntegraleAlMinimo>(),
     .range = Word(EcuWord::kMaxErroreIntegraleAlMinimo)},
    {.section = "Carburazione",
     .key = "MinErroreIntegraleAlMinimo",
     .ints = Ints<&D::MinErroreIntegraleAlMinimo>(),
     .range = Word(EcuWord::kMinErroreIntegraleAlMinimo)},
    {.section = "Carburazione",
     .key = "TpsSbana",
     .ints = Ints<&D::TpsSbana>(),
     .range = Word(EcuWord::kTpsSbana)},
    {.section = "Carburazione",
     .key = "GiriSbana",
     .ints = Ints<&D::GiriSbana>(),
     .range = Word(EcuWord::kGiriSbana)},
    {.section = "Carburazione",
     .key = "TempiInversioneSbana",
     .ints = Ints<&D::TempiInversioneSbana>(),
     .range = Word(EcuWord::kTempiInversioneSbana)},
    {.section = "Carburazione",
     .key = "TempoApSbana",
     .ints = Ints<&D::TempoApSbana>(),
     .range = Word(EcuWord::kTempoApSbana)},
    {.section = "Carburazione",
     .key = "TempoChSbana",
     .ints = Ints<&D::TempoChSbana>(),
     .range = Word(EcuWord::kTempoChSbana)},
    {.section = "Carburazione",
     .key = "CorrRientroMin",
     .ints = Ints<&D::CorrRientroMin>(),
     .progress = 3,
     .range = Word(EcuWord::kCorrRientroMin)},
    {.section = "Arricchimento",
     .key = "ArrPerTps",
     .ints = Ints<&D::ArrPerTps>(),
     .range = Word(EcuWord::kArrPerTps)},
    {.section = "Arricchimento",
     .key = "VarCumulo",
     .ints = Ints<&D::VarCumulo>(),
     .range = Word(EcuWord::kVarCumulo)},
    {.section = "Arricchimento",
     .key = "MappaArr",
     .ints = Ints<&D::MappaArr>(),
     .range = Word(EcuWord::kMappaArr)},
    {.section = "Arricchimento",
     .key = "RifCumulo",
     .ints = Ints<&D::RifCumulo>(),
     .range = Words(EcuWord::kRifCumuloWrite, EcuWord::kRifCumuloRead)},
    {.section = "Arricchimento",
     .key = "MinCumulo",
     .ints = Ints<&D::MinCumulo>(),
     .range = Word(EcuWord::kMinCumulo)},
    {.section = "Arricchimento",
     .key = "TipoIniezione",
     .ints = Ints<&D::TipoIniezione>(),
     .range = Word(EcuWord::kTipoIniezione)},
    {.section = "Arricchimento",
     .key = "CorrenteMantenimento",
     .ints = Ints<&D::CorrenteMantenimento>(),
     .progress = 3,
     .range = Word(EcuWord::kCorrenteMantenimento)},
    {.section = "Iniezione",
     .key = "DutyCorrenteHold",
     .ints = Ints<&D::DutyCorrenteHold>(),
     .range = Word(EcuWord::kDutyCorrenteHold)},
    {.section = "Arricchimento",
     .key = "TempoMaxCorrente",
     .ints = Ints<&D::TempoMaxCorrente>(),
     .progress = 3,
     .range = Word(EcuWord::kTempoMaxCorrente)},
    {.section = "Diagnosi", .key = "Stato", .ints = Ints<&D::Stato>(), .range = Word(EcuWord::kStato)},
    {.section = "Diagnosi",
     .key = "Abilitazione",
     .ints = Ints<&D::Abilitazione>(),
     .progress = 3,
     .range = Word(EcuWord::kAbilitazione)},
    {.section = "Carburazione",
     .key = "SequenzaIniezione",
     .ints = Ints<&D::SequenzaIniezione>(),
     .range = Word(EcuWord::kSequenzaIniezione)},
    {.section = "SensoreDiLivello",
     .key = "CorrezioneLivello",
     .ints = Ints<&D::CorrezioneLivello>(),
     .range = Word(EcuWord::kCorrezioneLivello)},
    {.section = "Iniezione",
     .key = "TempoAperturaIniettore",
     .ints = Ints<&D::TempoAperturaIniettore>(),
     .progress = 3,
     .range = Word(EcuWord::kTempoAperturaIniettore)},
    {.section = "Arricchimento",
     .key = "NumeroInjUscitaMin",
     .ints = Ints<&D::NumeroInjUscitaMin>(),
     .range = Word(EcuWord::kNumeroInjUscitaMin)},
    {.section = "Arricchimento",
     .key = "ArricchimentoAccelerazione",
     .ints = Ints<&D::ArricchimentoAccelerazione>(),
     .range = Word(EcuWord::kArricchimentoAccelerazione)},
    {.section = "Arricchimento",
     .key = "ArrUscitaMin",
     .ints = Ints<&D::ArrUscitaMin>(),
     .progress = 3,
     .range = Word(EcuWord::kArrUscitaMin)},
    {.section = "Adattativita",
     .key = "CorrezioneFuoriMinimo",
     .ints = Ints<&D::CorrezioneFuoriMinimo>(),
     .range = Word(EcuWord::kCorrezioneFuoriMinimo)},
    {.section = "Adattativita",
     .key = "CorrezioneAlMinimo",
     .ints = Ints<&D::CorrezioneAlMinimo>(),
     .range = Word(EcuWord::kCorrezioneAlMinimo)},
    {.section = "Adattativita",
     .key = "MassimoValoreCorrezione",
     .ints = Ints<&D::MassimoValoreCorrezione>(),
     .range = Word(EcuWord::kMassimoValoreCorrezione)},
    {.section = "Adattativita",
     .key = "TempoTraCorrezioni",
     .ints = Ints<&D::TempoTraCorrezioni>(),
     .range = Word(EcuWord::kTempoTraCorrezioni)},
    {.section = "Adattativita",
     .key = "ZonaApprendimentoFuoriMinimo",
     .ints = Ints<&D::ZonaApprendimentoFuoriMinimo>(),
     .range = Word(EcuWord::kZonaApprendimentoFuoriMinimo)},
    {.section = "Adattativita",
     .key = "MinimoValoreCorrettore",
     .ints = Ints<&D::MinimoValoreCorrettore>(),
     .range = Word(EcuWord::kMinimoValoreCorrettore)},
    {.section = "Adattativita",
     .key = "TempoPerCorrezione",
     .ints = Ints<&D::TempoPerCorrezione>(),
     .progress = 3,
     .range = Word(EcuWord::kTempoPerCorrezione)},
    {.section = "Temperatura", .key = "Rif", .ints = Ints<&D::Rif>(), .range = Word(EcuWord::kRifTemp)},
    {.section = "Temperatura",
     .key = "Coeff",
     .ints = Ints<&D::Coeff>(),
     .progress = 3,
     .range = Word(EcuWord::kCoeffTemp)},
    {.section = "Accensione-Cambio",
     .key = "TempoCicchetto",
     .ints = Ints<&D::TempoCicchetto>(),
     .range = Word(EcuWord::kTempoCicchetto)},
    {.section = "Accensione-Cambio",
     .key = "TempoCicchettoTemp",
     .ints = Ints<&D::TempoCicchettoTemp>(),
     .range = Word(EcuWord::kTempoCicchettoTemp)},
    {.section = "Accensione-Cambio",
     .key = "TempCicchetto",
     .ints = Ints<&D::TempCicchetto>(),
     .progress = 3,
     .range = Word(EcuWord::kTempCicchetto)},
    {.section = "Generale",
     .key = "OffsetMapEsterno",
     .ints = Ints<&D::OffsetMapEsterno>(),
     .range = Word(EcuWord::kDatiAggiuntivi)},
    {.section = "Generale",
     .key = "PendenzaMapEsterno",
     .ints = Ints<&D::PendenzaMapEsterno>(),
     .range = Word(EcuWord::kDatiAggiuntivi)},
    {.section = "Generale",
     .key = "OffsetDiff",
     .ints = Ints<&D::OffsetDiff>(),
     .range = Word(EcuWord::kDatiAggiuntivi)},
    {.section = "Generale",
     .key = "PendenzaDiff",
     .ints = Ints<&D::PendenzaDiff>(),
     .progress = 3,
     .range = Word(EcuWord::kDatiAggiuntivi)},
    {.section = "PressioneDifferenziale",
     .key = "RifPressDiff",
     .ints = Ints<&D::RifPressDiff>(),
     .range = Word(EcuWord::kRifPressDiff)},
    {.section = "PressioneDifferenziale",
     .key = "CoeffPressDiff",
     .ints = Ints<&D::CoeffPressDiff>(),
     .progress = 3,
     .range = Word(EcuWord::kCoeffPressDiff)},
    {.section = "Temperatura", .key = "RifGas", .ints = Ints<&D::RifGas>(), .range = Word(EcuWord::kRifGas)},
    {.section = "Temperatura",
     .key = "CoeffGas",
     .ints = Ints<&D::CoeffGas>(),
     .progress = 3,
     .range = Word(EcuWord::kCoeffGas)},
};

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
  if (e.ints.count == 0) {
    key(std::string(e.key), 0, 0);
  } else if (e.ints.cols == 0) {
    for (int i = 0; i < e.ints.count; ++i) key(e.key + std::to_string(i), i, 0);
  } else {
    for (int c = 0; c < e.ints.cols; ++c) {
      for (int r = 0; r < e.ints.count; ++r) key(e.key + std::to_string(r) + "_" + std::to_string(c), r, c);
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
                WriteIniInteger(e.ints.ref(*this, r, c), key.c_str(), e.section);
                break;
              case Kind::Text:
                WriteIniString(CarriedText(e.text.ref(*this)).c_str(), key.c_str(), e.section);
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
      if (e.ints.cols == 0) AddProgress(step);
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
                ReadIniInteger(e.ints.ref(*this, r, c), key.c_str(), e.section);
                break;
              case Kind::Version:
              case Kind::MonoFuel:
                e.ints.ref(*this, r, c) = 0;
                ReadIniInteger(e.ints.ref(*this, r, c), key.c_str(), e.section);
                if (e.kind == Kind::MonoFuel) HasMonoFuel = MonoFuel != 0;
                break;
              case Kind::Text:
                ReadIniString(e.text.ref(*this), key.c_str(), e.section, e.text.size);
                break;
              case Kind::Potenza: {
                int32_t hundredths = 0;
                if (ReadIniInteger(hundredths, key.c_str(), e.section))
                  Potenza = static_cast<float>(hundredths * 0.01);
                break;
              }
              case Kind::Name:
              case Kind::Ufficiale:
                break;  // the name is written only; the official flag is loaded through its setter
            }
          },
          [&] { AddProgress(step); });
      if (e.ints.cols == 0) AddProgress(step);
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
    ForEachKey(rpm, [&](const std::string& key, int i, int) {
      ReadIniInteger(rpmAxis[i], key.c_str(), rpm.section);
    });
    ForEachKey(volts, [&](const std::string& key, int i, int) {
      ReadIniInteger(mapAxis[i], key.c_str(), volts.section);
    });
    AddProgress(4);
    ForEachKey(
        gas,
        [&](const std::string& key, int r, int c) { ReadIniInteger(map[r][c], key.c_str(), gas.section); },
        [] { AddProgress(8); });
    CloseConfigIni(true);
    return 1;
  } catch (const std::exception&) {
    CloseConfigIni(false);
    std::memcpy(FilePath, previousPath, sizeof(FilePath));
    return 0;
  }
}
