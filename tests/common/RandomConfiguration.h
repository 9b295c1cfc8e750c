#pragma once
// Random configurations for the save-and-open property test and its fuzz target: a data set
// connected to a simulated ECU is driven by a stream of draws through what can change it (a
// read of everything from an ECU whose memory is random, the typed setters, SetValue, the
// breakpoint editors), then saved and opened again. What the file carries must come back field
// by field. Nothing here depends on the test framework.
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <type_traits>

#include "Clock.h"
#include "ConfigFileFormat.h"
#include "EcuData.h"
#include "EcuFieldList.h"
#include "EcuValueCodes.h"
#include "SerialLink.h"
#include "SimLink.h"

// The draws a configuration is made of: a seeded generator or the bytes of a fuzz input. An
// exhausted source gives zeros.
class RandomDraw {
 public:
  explicit RandomDraw(std::function<uint32_t()> next) : next_(std::move(next)) {}
  uint32_t Next() { return next_(); }
  // 0 .. n-1.
  int Below(int n) { return n <= 1 ? 0 : static_cast<int>(Next() % static_cast<uint32_t>(n)); }
  int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
  bool Chance(int percent) { return Below(100) < percent; }
  // An int as an edit or a careless caller may pass it: mostly near the ranges the data set
  // uses, sometimes anything.
  int AnyInt() {
    switch (Below(6)) {
      case 0:
        return Between(-300, 300);
      case 1:
        return Between(0, 300);
      case 2:
        return Between(-40000, 70000);
      case 3:
        return static_cast<int>(Next());
      case 4:
        return Chance(50) ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
      default:
        return Between(0, 12000);
    }
  }
  double AnyReal() {
    switch (Below(6)) {
      case 0:
        return Between(-2000, 2000) / 100.0;
      case 1:
        return Between(0, 600) / 100.0;
      case 2:
        return Between(-100000, 100000) / 7.0;
      case 3:
        return Chance(50) ? 1e12 : -1e12;
      case 4:
        return Chance(80) ? static_cast<double>(static_cast<int32_t>(Next())) : std::nan("");
      default:
        return Between(0, 12000);
    }
  }
  // A text of any bytes but NUL: blanks, quotes and control characters included.
  std::string AnyText() {
    std::string t(static_cast<size_t>(Below(60)), ' ');
    static constexpr char kOdd[] = {' ', '"', '\'', '\t', '\r', '\n', '=', '[', ';', '\x7F'};
    for (char& c : t) c = Chance(30) ? kOdd[Below(sizeof kOdd)] : static_cast<char>(Between(1, 255));
    return t;
  }

 private:
  std::function<uint32_t()> next_;
};

// One use of the breakpoint editors: the rpm and MAP breakpoints and the accumulation
// references as a user would type them. The default applies the editors' own rule (a row is
// stored only when its stored values rise); the property test puts the editor windows
// themselves in its place.
struct BreakpointEntry {
  int rpm[12];
  double volts[12];
  int cumulo[TEcuData::kArrRows];
};
using BreakpointEditor = std::function<void(TEcuData&, const BreakpointEntry&)>;

inline void EditBreakpointsByTheRule(TEcuData& d, const BreakpointEntry& e) {
  const int rows = std::clamp(d.GetNumeroRigheArr(), 1, TEcuData::kArrRows);  // as the editor shows them
  bool rising = true;
  for (int i = 1; i < rows; ++i) rising = rising && e.cumulo[i - 1] < e.cumulo[i];
  for (int i = 0; rising && i < rows; ++i) d.SetRifCumulo(i, e.cumulo[i]);
  for (int i = 1; i < 12; ++i)
    if (e.rpm[i - 1] >= e.rpm[i]) return;
  for (int i = 0; i < 12; ++i) d.SetRifGiri(i, e.rpm[i]);
  for (int i = 1; i < 12; ++i)
    if (EcuConv::VoltToRaw(e.volts[i - 1]) >= EcuConv::VoltToRaw(e.volts[i])) return;
  for (int i = 0; i < 12; ++i) d.SetRifMAP(i, e.volts[i]);
}

// Every element of every variable of the ECU to a random value (cut to its width by the ECU).
inline void RandomEcuMemory(SimulatedEcu& ecu, RandomDraw& draw) {
  for (int key = 0; key < 0x300; ++key) {
    if (!ecu.HasVariable(key)) continue;
    const int n = static_cast<int>(ecu.StoredValues(key).size());
    for (int i = 0; i < n; ++i) ecu.Store(key, i, static_cast<int32_t>(draw.Next()));
  }
  ecu.SetEnrichmentRows(draw.Between(0, 7));
}

// One step of the drive; `steps` of them make a configuration.
inline void RandomStep(TEcuData& d, SimulatedEcu& ecu, RandomDraw& draw, const BreakpointEditor& editor) {
  const int r = draw.Below(12), c = draw.Below(12);
  const int i = draw.Between(-1, 12);
  switch (draw.Below(12)) {
    case 0:
      RandomEcuMemory(ecu, draw);
      d.ReadAll();
      return;
    case 1:
    case 2:
    case 3: {
      const ValueCode& code = kValueCodes[draw.Below(kValueCodeCount)];
      d.SetValue(code.code, draw.AnyReal());
      return;
    }
    case 4: {
      // Mostly rising as typed, with the odd step back or a value typed twice.
      BreakpointEntry e{};
      int at = draw.Between(200, 1200);
      int volts = draw.Between(0, 40);
      int cumulo = draw.Between(0, 30);
      for (int k = 0; k < 12; ++k) {
        e.rpm[k] = std::min(at, 8000);
        e.volts[k] = std::min(volts, 500) / 100.0;
        if (k < TEcuData::kArrRows) e.cumulo[k] = std::min(cumulo, 100);
        at += draw.Chance(5) ? draw.Between(-50, 0) : draw.Between(0, 700);
        volts += draw.Chance(5) ? -1 : draw.Between(0, 40);
        cumulo += draw.Between(0, 25);
      }
      editor(d, e);
      return;
    }
    default:
      break;
  }
  const int v = draw.AnyInt();
  const double x = draw.AnyReal();
  switch (draw.Below(44)) {
    case 0:
      d.SetMappa(r, c, x);
      break;
    case 1:
      d.SetMappaBenzina(r, c, x);
      break;
    case 2:
      d.SetRifMAP(i, x);
      break;
    case 3:
      d.SetRifGiri(i, v);
      break;
    case 4:
      d.SetRifOpenLoop(i, draw.Between(1, 2), v);
      break;
    case 5:
      d.SetPassi(i, draw.Between(0, 5), v);
      break;
    case 6:
      d.SetTipoEmulazione(draw.Between(-1, 3));
      break;
    case 7:
      d.SetTipoSensore(draw.Between(-1, 8));
      break;
    case 8:
      d.SetRifSensore(draw.Between(-1, 4), v);
      break;
    case 9:
      d.SetCorrezioneLivello(draw.Between(-1, 5), v);
      break;
    case 10:
      d.SetArricchimento(draw.Between(-1, 6), draw.Chance(50) ? 1 : 5, v);
      break;
    case 11:
      d.SetMappaArr(draw.Between(-1, 5), draw.Between(-1, 6), v);
      break;
    case 12:
      d.SetRifCumulo(draw.Between(-1, 5), v);
      break;
    case 13:
      d.SetModoCambio(draw.Between(-1, 3));
      break;
    case 14:
      d.SetModoCutoff(draw.Between(-1, 3));
      break;
    case 15:
      d.SetSegnaleGiri(draw.Chance(50));
      break;
    case 16:
      d.SetFlag1(draw.Between(0, 6), draw.Chance(50));
      break;
    case 17:
      d.SetTempoAperturaIniettore(draw.Between(1, 2), x);
      break;
    case 18:
      d.SetArrUscitaMin(draw.Between(-1, 6), v);
      break;
    case 19:
      d.SetArricchimentoAccelerazione(v);
      break;
    case 20:
      d.SetTempoCutoff(draw.Between(1, 2), x);
      break;
    case 21:
      d.SetCicliCutoff(draw.Between(1, 2), v);
      break;
    case 22:
      d.SetOffsetPendenza(draw.Between(-1, 4), v);
      break;
    case 23:
      d.SetCoeffPressDiff(draw.Between(-1, 9), x);
      break;
    case 24:
      d.SetRifPressDiff(draw.Between(-1, 9), x);
      break;
    case 25:
      d.SetRifGas(draw.Between(-1, 9), draw.Between(-60, 200));
      break;
    case 26:
      d.SetCoeffGas(draw.Between(-1, 9), v);
      break;
    case 27:
      d.SetTempoCicchettoTemp(draw.Between(-1, 3), x);
      break;
    case 28:
      d.SetTempCicchetto(draw.Between(-1, 3), v);
      break;
    case 29:
      d.SetMonoFuel(v);
      break;
    case 30:
      d.SetDescription(draw.AnyText().c_str());
      break;
    case 31:
      d.SetUfficiale(draw.Chance(50));
      break;
    case 32:
      d.SetSequenzaIniezione(draw.Between(-1, 8), draw.Between(1, 2), v);
      break;
    case 33:
      d.SetDiagnosi(draw.Between(-1, 2), draw.Between(1, 2), v);
      break;
    case 34:
      d.SetCoeffTemp(draw.Between(-1, 9), x);
      break;
    case 35:
      d.SetRifTemp(draw.Between(-1, 10), draw.Between(-60, 200));
      break;
    case 36:
      d.SetNumeroSonde(draw.Between(1, 2));
      break;
    case 37:
      d.SetDatoVettura(draw.Between(5, 10), v);
      break;
    case 38:
      d.SetPotenza(static_cast<float>(x));
      break;
    case 39:
      d.SetDatoVetturaStr(draw.Between(0, 6), draw.AnyText().c_str());
      break;
    case 40:
      d.ApplyPresetLambda();
      break;
    case 41:
      d.ApplyPresetArricchimento();
      break;
    case 42:
      d.SetZonaAdattativa(r, c, draw.Between(1, 6), v);
      break;
    default:
      d.SetSequenzaDefault();
      break;
  }
}

// The data set as a file carries it: `opened` (loaded from the file `saved` was saved to) with
// everything the file does not hold taken from `saved`, so the two compare equal exactly when
// every carried field came back. The ECU description comes back as the first 18 characters of
// the vehicle description, the one text the file holds for it; the power to the hundredth.
inline TEcuDataFields AsCarried(const TEcuData& saved, TEcuData& opened) {
  TEcuDataFields f = opened;
  const TEcuDataFields& s = saved;
  f.HasMappaBenzina = s.HasMappaBenzina;
  std::memcpy(f.UndoMappa, s.UndoMappa, sizeof f.UndoMappa);
  f.UndoValida = s.UndoValida;
  f.GiriCambioMemo = s.GiriCambioMemo;
  f.CambioDisattivo = s.CambioDisattivo;
  f.NumeroRigheArr = s.NumeroRigheArr;
  std::memcpy(f.CorrezioneZona, s.CorrezioneZona, sizeof f.CorrezioneZona);
  std::memcpy(f.CoefficienteZona, s.CoefficienteZona, sizeof f.CoefficienteZona);
  std::memcpy(f.ZonaCella, s.ZonaCella, sizeof f.ZonaCella);
  std::memcpy(f.ValoreCella, s.ValoreCella, sizeof f.ValoreCella);
  std::memcpy(f.ValoreZona, s.ValoreZona, sizeof f.ValoreZona);
  f.NumeroZone = s.NumeroZone;
  std::memcpy(f.Descrizione, s.Descrizione, sizeof f.Descrizione);
  // The official bit and the description come back; the other bits of the word do not.
  const bool official = (opened.DatiEcu35[0] & 0x80) != 0;
  const std::string description = opened.GetDescription();
  std::memcpy(f.DatiEcu35, s.DatiEcu35, sizeof f.DatiEcu35);
  f.DatiEcu35[0] = (s.DatiEcu35[0] & ~0x80) | (official ? 0x80 : 0);
  const std::string expected = std::string(s.DescrizAuto).substr(0, TEcuData::kDescriptionLen);
  if (description != expected) f.DatiEcu35[2] = -1;  // differs from anything the ECU word holds
  f.GiriCutoffMemo = s.GiriCutoffMemo;
  f.TempoAperturaLocale = s.TempoAperturaLocale;
  f.HasDatiAggiuntivi = s.HasDatiAggiuntivi;
  f.HasTempoCicchetto = s.HasTempoCicchetto;
  f.HasCicchettoTemp = s.HasCicchettoTemp;
  f.HasMonoFuel = s.HasMonoFuel;
  f.HasCoeffTemp = s.HasCoeffTemp;
  f.Cambio12 = s.Cambio12;
  f.MinutiGas = s.MinutiGas;
  f.MinutiBenzina = s.MinutiBenzina;
  f.RampaChiusura = s.RampaChiusura;
  f.RampaApertura = s.RampaApertura;
  f.RampaValida = s.RampaValida;
  f.Live43 = s.Live43;
  f.Live44 = s.Live44;
  f.Live5D = s.Live5D;
  f.Live25E = s.Live25E;
  f.Live5F = s.Live5F;
  f.Live60 = s.Live60;
  f.Live61 = s.Live61;
  f.Live62 = s.Live62;
  f.Live263 = s.Live263;
  std::memcpy(f.Identita, s.Identita, sizeof f.Identita);
  const auto hundredths = [](float p) { return std::trunc(static_cast<double>(p) * 100.0 + 0.5); };
  if (hundredths(f.Potenza) == hundredths(s.Potenza)) f.Potenza = s.Potenza;
  return f;
}

// The fields that differ, each with its first differing element as saved and as opened.
template <class T>
void NoteDifference(const char* name, const T& a, const T& b, std::string& out) {
  if (std::memcmp(&a, &b, sizeof a) == 0) return;
  out += name;
  if constexpr (std::is_same_v<std::remove_all_extents_t<T>, int32_t>) {
    const auto* pa = reinterpret_cast<const int32_t*>(&a);
    const auto* pb = reinterpret_cast<const int32_t*>(&b);
    size_t k = 0;
    while (pa[k] == pb[k]) ++k;
    out += "[" + std::to_string(k) + "] " + std::to_string(pa[k]) + " -> " + std::to_string(pb[k]);
  }
  out += "; ";
}
inline std::string DifferingFields(const TEcuDataFields& a, const TEcuDataFields& b) {
  std::string out;
#define NOTE_FIELD(field) NoteDifference(#field, a.field, b.field, out);
  ECU_VALUE_FIELDS(NOTE_FIELD)
#undef NOTE_FIELD
  return out;
}

// The forms other than the stored one in which a configuration file is opened, each written back
// in the stored form (header line, CR LF line ends, scrambled) when it is opened.
enum class OlderForm { PlainLf, PlainCrLf, PlainWithoutLastLineEnd, Headerless };

// A configuration's INI text (CR LF line ends) in `form`, padded with lines of a section no load
// reads so that its stored form takes exactly `storedSize` bytes.
inline QByteArray PaddedOlderFile(QByteArray text, OlderForm form, qsizetype storedSize, const char* key) {
  const qsizetype header = static_cast<qsizetype>(kEncryptedMarker.size()) + 2;
  text += "[Riempimento]\r\n";
  const QByteArray line = "Riga=" + QByteArray(995, '7') + "\r\n";
  while (header + text.size() + line.size() + 8 <= storedSize) text += line;
  text += "Riga=" + QByteArray(storedSize - header - text.size() - 7, '7') + "\r\n";
  switch (form) {
    case OlderForm::PlainLf:
      return "DECRYPTED_DOZA_FILE\n" + text.replace("\r\n", "\n");
    case OlderForm::PlainCrLf:
      return "DECRYPTED_DOZA_FILE\r\n" + text;
    case OlderForm::PlainWithoutLastLineEnd:
      return "DECRYPTED_DOZA_FILE\r\n" + text.chopped(2);
    case OlderForm::Headerless:
      break;
  }
  ScrambleBytes(reinterpret_cast<uint8_t*>(text.data()), static_cast<size_t>(text.size()), key);
  return text;
}

// A connected data set over a simulated ECU on a fake clock, installed as the process-wide link
// and data set while it lives (the editors and the link layer use those).
class RandomConfigurationRig {
 public:
  RandomConfigurationRig() : useClock_(&clock_), link_(ecu_), data_("random") {
    previousLink_ = SerialLink;
    previousData_ = EcuData;
    SerialLink = &link_;
    EcuData = &data_;
    ecu_.UseClock(&clock_);
    link_.OpenLink();
    link_.Connect();
    clock_.Advance(5000);
  }
  ~RandomConfigurationRig() {
    SerialLink = previousLink_;
    EcuData = previousData_;
  }
  RandomConfigurationRig(const RandomConfigurationRig&) = delete;
  RandomConfigurationRig& operator=(const RandomConfigurationRig&) = delete;

  TEcuData& Data() { return data_; }
  SimulatedEcu& Ecu() { return ecu_; }

  // Drives the data set `steps` times, saves it to `path`, opens the file in a fresh data set
  // and compares what the file carries. Empty when everything came back; otherwise what went
  // wrong.
  std::string SaveAndOpen(RandomDraw& draw, int steps, const QString& path, const BreakpointEditor& editor) {
    const QByteArray name = QFile::encodeName(path);
    if (!DriveAndSave(draw, steps, name, editor)) return "the save failed";
    return OpensWithEveryField(name, "the saved file was refused");
  }

  // Drives the data set, saves it, puts the file into an older form padded so that its stored
  // form lies near the size limit, and opens it: a file that fits opens, is written back within
  // the limit and opens again with every carried field; one that would not fit is refused,
  // naming the size it would have, and stays byte for byte as it was. Empty when so.
  std::string SaveNearTheLimitAndOpen(RandomDraw& draw, int steps, const QString& path,
                                      const BreakpointEditor& editor) {
    const QByteArray name = QFile::encodeName(path);
    if (!DriveAndSave(draw, steps, name, editor)) return "the save failed";
    const QByteArray plainName = name + ".plain";
    if (!data_.ConvertConfigFile(name.constData(), plainName.constData(), kConfigUnscramble, true))
      return "no plain copy";
    QFile plainFile(QFile::decodeName(plainName));
    if (!plainFile.open(QIODevice::ReadOnly)) return "no plain copy";
    const QByteArray text = plainFile.readAll().mid(static_cast<qsizetype>(kDecryptedMarker.size()) + 2);
    const auto form = static_cast<OlderForm>(draw.Below(4));
    const qsizetype stored = kMaxConfigFileSize + draw.Between(-40, 40);
    const QByteArray older = PaddedOlderFile(text, form, stored, data_.FileKey);
    {
      QFile file(path);
      if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(older) != older.size())
        return "cannot write the older file";
    }
    const std::string where = "form " + std::to_string(static_cast<int>(form)) + ", stored size " +
                              std::to_string(stored);
    TEcuData opened("opened");
    opened.SetFileKey(data_.FileKey);
    const int loaded = opened.LoadConfiguration(name.constData());
    QFile after(path);
    if (!after.open(QIODevice::ReadOnly)) return where + ": the file is gone";
    const QByteArray now = after.readAll();
    if (now != older && now.size() > kMaxConfigFileSize)
      return where + ": written back as " + std::to_string(now.size()) + " bytes";
    if (stored > kMaxConfigFileSize) {
      if (loaded != 0) return where + ": opened although its stored form passes the limit";
      if (now != older) return where + ": the refused file changed";
      // Refused before it is read when already too large, else for what it would become.
      const bool read = older.size() <= kMaxConfigFileSize;
      if (opened.OversizedFile().rewrite != read ||
          opened.OversizedFile().size != (read ? stored : older.size()))
        return where + ": the refusal names " + std::to_string(opened.OversizedFile().size) + " bytes";
      return {};
    }
    if (loaded != 1) return where + ": refused: " + opened.FileRefusal().Where();
    const std::string again = OpensWithEveryField(name, "the file written back was refused");
    return again.empty() ? again : where + ": " + again;
  }

 private:
  // Drives the data set `steps` times and saves it under `name`; false when the save failed.
  bool DriveAndSave(RandomDraw& draw, int steps, const QByteArray& name, const BreakpointEditor& editor) {
    for (int k = 0; k < steps; ++k) {
      RandomStep(data_, ecu_, draw, editor);
      ecu_.ClearCalls();  // the log is not needed and would grow
    }
    return data_.SaveConfiguration(name.constData()) == 1;
  }

  // Opens `name` in a fresh data set and compares what the file carries: empty when every field
  // came back, else what went wrong (`refused`, and why, when the file did not open).
  std::string OpensWithEveryField(const QByteArray& name, const std::string& refused) const {
    TEcuData opened("opened");
    opened.SetFileKey(data_.FileKey);
    if (opened.LoadConfiguration(name.constData()) != 1) return refused + ": " + opened.FileRefusal().Where();
    const TEcuDataFields carried = AsCarried(data_, opened);
    if (carried == static_cast<const TEcuDataFields&>(data_)) return {};
    return "fields that did not come back: " + DifferingFields(data_, carried);
  }

  FakeClock clock_;
  ScopedClock useClock_;
  SimulatedEcu ecu_;
  SimLink link_;
  TEcuData data_;
  TSerialLink* previousLink_ = nullptr;
  TEcuData* previousData_ = nullptr;
};
