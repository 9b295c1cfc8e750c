#pragma once
// The one in-memory image of an ECU configuration: maps and their axes, every calibration
// parameter, the vehicle data of the configuration file and the state of the file layer.
//
// Every ECU-backed setter writes through: while WriteThrough is set it asks the ECU to take the
// new raw value first and stores it only when the ECU accepted it, so the data set never holds a
// value the ECU refused. A refused write is silent. Indexes are 0-based; a getter outside its
// index range returns 0, a setter outside it does nothing.
//
// Fields are public and hold raw ECU integers (the numbers the ECU and the configuration file
// hold); the accessors convert to physical units. The presence flags HasMappaBenzina,
// HasMonoFuel and HasDatiAggiuntivi are read directly as fields.
//
// With no link object at all (SerialLink null) every write is refused and every read fails:
// nothing is stored by a write-through setter, and ReadAll / WriteAll do nothing.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "ConfigFileRefusal.h"

class IniFile;
class QByteArray;

// The values of a configuration: what the ECU holds, what the configuration file adds and the
// presence flags of the last read. Plain values, so a pass can keep a copy and put it back.
struct TEcuDataFields {
  static constexpr int kMapSize = 12;                // rows (MAP) and columns (rpm) of a map
  static constexpr int kZone = 145;                  // entries of each adaptive zone table
  static constexpr int kArrRows = 5;                 // rows of the enrichment map
  static constexpr int kArrCols = 6;                 // columns of the enrichment map
  static constexpr int kCylinders = 8;               // entries of the injector sequence
  static constexpr int kDatiEcu35 = 20;              // elements of variable 0x35
  static constexpr int kDescriptionLen = 18;         // description characters the ECU holds
  static constexpr int kTempTable = 10;              // temperature breakpoints (Rif)
  static constexpr int kCurve = 9;                   // entries of the coefficient curves
  static constexpr int kPriming = 3;                 // entries of the priming tables
  static constexpr double kUnknownValue = 800000.0;  // GetValue of an unknown code
  // LPG enrichment presets (also the defaults): the enrichment map and the idle-exit values.
  static constexpr int kMappaArrGpl[kArrRows][kArrCols] = {{80, 80, 60, 60, 40, 40},
                                                           {60, 60, 40, 40, 20, 20},
                                                           {60, 60, 40, 40, 20, 20},
                                                           {40, 40, 30, 20, 20, 20},
                                                           {40, 40, 30, 20, 20, 20}};
  static constexpr int kArrUscitaMinGpl[kArrCols] = {150, 150, 100, 80, 60, 60};

  int32_t Mappa[kMapSize][kMapSize] = {};         // gas map, [MAP row][rpm col], raw = ms x 250
  int32_t MappaBenzina[kMapSize][kMapSize] = {};  // petrol map, same layout
  bool HasMappaBenzina = true;                    // the ECU holds the petrol map
  int32_t UndoMappa[kMapSize][kMapSize] = {};     // one-level undo copy of a map
  bool UndoValida = false;                        // UndoMappa holds a copy
  int32_t SequenzaIniezione[kCylinders] = {};     // bits 0-2 order number, bit 7 bank
  int32_t RifGiri[kMapSize] = {};                 // rpm breakpoints
  int32_t RifMAP[kMapSize] = {};                  // MAP breakpoints, raw = V x 51
  int32_t RifOpenLoop[kMapSize] = {};             // bits 0-2 kind 1, bits 3-5 kind 2
  int32_t PassiInvArr[kMapSize] = {};
  int32_t PassiInvSmg[kMapSize] = {};
  int32_t PassiIngr[kMapSize] = {};   // raw = time / 5
  int32_t PassiSmag[kMapSize] = {};   // raw = time / 5
  int32_t TipoSensore = 0;            // level-sensor type code, bit 7 inverted
  int32_t GiriCambioMemo = 0;         // changeover rpm kept while rpm changeover is off
  bool CambioDisattivo = false;       // changeover by rpm is off
  int32_t RifSensore[4] = {};         // level thresholds (255 - v when inverted)
  int32_t CorrezioneLivello[5] = {};  // raw = v / 10 + 100
  int32_t ArrPerTps[kArrCols] = {};
  int32_t VarCumulo[kArrCols] = {};
  int32_t MappaArr[kArrRows][kArrCols] = {};  // raw = v / 2
  int32_t NumeroRigheArr = 0;                 // rows of MappaArr in use (at most 5)
  int32_t RifCumulo[kArrRows] = {};
  int32_t CorrezioneZona[kZone] = {};
  int32_t CoefficienteZona[kZone] = {};
  int32_t ZonaCella[kMapSize][kMapSize] = {};    // adaptive zone id per map cell
  int32_t ValoreCella[kMapSize][kMapSize] = {};  // local per-cell value, never sent
  int32_t ValoreZona[kZone] = {};
  int32_t NumeroZone = 0;              // zones in use: kZone once the zone tables were read, 0 before
  char Descrizione[20] = {};           // description buffer (GetDescription output, loader input)
  int32_t DatiEcu35[kDatiEcu35] = {};  // [0] bit 7 official, [1] bit 0 turbo, [2..19] text
  int32_t Stato[2] = {};
  int32_t Abilitazione[2] = {};
  int32_t Coeff[kCurve] = {};           // temperature coefficients, raw = v x 50
  int32_t Rif[kTempTable] = {};         // temperature breakpoints as sensor readings
  int32_t TempoAperturaIniettore = 0;   // raw = ms x 250
  int32_t TempoAperturaLocale = 0;      // raw = ms x 250, never sent
  int32_t ArrUscitaMin[kArrCols] = {};  // raw = v / 2
  int32_t ArricchimentoAccelerazione = 0;
  int32_t GiriCutoffMemo = 0;  // cut-off rpm kept while cut-off is off
  int32_t ChiusuraCutoff = 0;  // ramp steps, units of 0.02 s
  int32_t AperturaCutoff = 0;
  int32_t CicliCutoff = 0;  // low nibble kind 1, high nibble kind 2
  int32_t MajorVersionProg = 0;
  int32_t MinorVersionProg = 0;
  int32_t OffsetMapEsterno = 0;  // pressure-sensor calibration, elements 0-3 of 0x67A
  int32_t PendenzaMapEsterno = 0;
  int32_t OffsetDiff = 0;
  int32_t PendenzaDiff = 0;
  bool HasDatiAggiuntivi = true;        // the ECU holds block 0x477A
  int32_t RifPressDiff[kCurve] = {};    // raw = bar x 100
  int32_t CoeffPressDiff[kCurve] = {};  // raw = v x 2
  int32_t RifGas[kCurve] = {};          // sensor readings
  int32_t CoeffGas[kCurve] = {};
  int32_t TempoCicchettoTemp[kPriming] = {};  // raw = s x 50
  int32_t TempCicchetto[kPriming] = {};       // sensor readings
  bool HasTempoCicchetto = false;             // the ECU holds variable 0x26D
  bool HasCicchettoTemp = true;               // the ECU holds block 0x3184
  int32_t MonoFuel = 0;
  bool HasMonoFuel = false;  // the ECU holds variable 0x81
  bool HasCoeffTemp = true;  // the ECU holds block 0x9578
  int32_t Flag1 = 0;
  int32_t TipoDiLambda = 0;
  int32_t RifLambda = 0;
  int32_t OffsetLambda = 0;
  int32_t RitardoLetturaSonda = 0;
  int32_t TempoSondaFredda = 0;
  int32_t RifSupSondaFredda = 0;
  int32_t RifInfSondaFredda = 0;
  int32_t RifSupSondaCalda = 0;
  int32_t RifInfSondaCalda = 0;
  int32_t LivelloGasAlcol = 0;
  int32_t TemperaturaCambio = 0;  // sensor reading
  int32_t GiriPerCambio = 0;      // bit 0 = changeover mode
  int32_t Cambio12 = 0;
  int32_t RitardoMinimoCambio = 0;
  int32_t FuoriGiri = 0;
  int32_t NumeroCilindri = 0;
  int32_t FasciaGiriMinimo = 0;
  int32_t GiriCutoff = 0;
  int32_t TipoDiTps = 0;
  int32_t Isteresi = 0;
  int32_t CoefficienteUscitaMinimo = 0;
  int32_t TempoCoefficienteUscitaMinimo = 0;
  int32_t TempoPer100 = 0;
  int32_t TempoAlto = 0;  // lambda emulation
  int32_t TempoBasso = 0;
  int32_t TempoSondaSconnessa = 0;
  int32_t NumeroOnde = 0;
  int32_t MaxErroreIntegrale = 0;
  int32_t MinErroreIntegrale = 0;
  int32_t MaxErroreIntegraleAlMinimo = 0;
  int32_t MinErroreIntegraleAlMinimo = 0;
  int32_t TpsSbana = 0;
  int32_t GiriSbana = 0;
  int32_t TempiInversioneSbana = 0;
  int32_t MinCumulo = 0;
  int32_t TipoIniezione = 0;  // bits 0-2 cylinder count - 1
  int32_t CorrenteMantenimento = 0;
  int32_t DutyCorrenteHold = 0;
  int32_t MinutiGas = 0;      // running time on gas, units of 20 minutes
  int32_t MinutiBenzina = 0;  // running time on petrol, units of 20 minutes
  int32_t RampaChiusura = 0;  // legacy cut-off ramp
  int32_t RampaApertura = 0;
  int32_t RampaValida = 0;
  int32_t CorrezioneInRilascio = 0;
  int32_t TempoRitBenzina = 0;
  int32_t TpsMoltoFuori = 0;
  int32_t Live43 = 0;  // live diagnostic values the ECU computes
  int32_t Live44 = 0;
  int32_t TempoApSbana = 0;
  int32_t TempoChSbana = 0;
  int32_t LivelloAlto = 0;
  int32_t LivelloBasso = 0;
  int32_t CorrRientroMin = 0;
  int32_t TempoMaxCorrente = 0;
  int32_t Cilindrata = 0;
  int32_t NumeroInjUscitaMin = 0;
  int32_t Live5D = 0;
  int32_t Live25E = 0;
  int32_t Live5F = 0;
  int32_t Live60 = 0;
  int32_t Live61 = 0;
  int32_t Live62 = 0;
  int32_t Live263 = 0;
  int32_t CorrezioneFuoriMinimo = 0;  // adaptivity
  int32_t CorrezioneAlMinimo = 0;
  int32_t MassimoValoreCorrezione = 0;
  int32_t TempoTraCorrezioni = 0;
  int32_t ZonaApprendimentoFuoriMinimo = 0;
  int32_t MinimoValoreCorrettore = 0;
  int32_t TempoPerCorrezione = 0;
  int32_t TempoCicchetto = 0;
  uint8_t Identita[4] = {};  // customer code, ECU type, model, software version
  char ProgFile[100] = {};
  char DescrizAuto[51] = {};
  char Euro[11] = {};
  int32_t CentCubici = 0;
  int32_t Valvole = 0;
  int32_t NCilindri = 0;  // INI key "N cilindri"
  float Potenza = 0.0f;
  char Motore[51] = {};
  char Centralina[51] = {};
  char Cambio[51] = {};
  int32_t AnnoVettura = 0;

  // Field by field; two data sets that compare equal hold the same configuration.
  bool operator==(const TEcuDataFields&) const = default;
};

class TEcuData : public TEcuDataFields {
 public:
  explicit TEcuData(const char* name);
  ~TEcuData();
  TEcuData(const TEcuData&) = delete;
  TEcuData& operator=(const TEcuData&) = delete;

  // Every field to its default, in the order the defaults depend on each other. Writes nothing
  // through (the write-through flag is off while it runs); Changed is false afterwards.
  void SetDefaults();

  // ---- file layer and edit state ------------------------------------------------------------
  char FilePath[250] = {};       // configuration file of the last open or save
  bool IniOpen = false;          // the INI document is open (file layer)
  char FileKey[50] = {};         // key of the configuration-file scrambling
  std::unique_ptr<IniFile> Ini;  // the INI document in memory (file layer)
  bool Changed = false;          // edited, or read from the ECU, since the last load or save
  bool WriteThrough = false;     // setters write to the ECU first (set from construction on)

  // ---- accessors (EcuData.cpp) --------------------------------------------------------------
  double GetMappa(int row, int col) const;
  void SetMappa(int row, int col, double ms);
  double GetMappaBenzina(int row, int col) const;
  void SetMappaBenzina(int row, int col, double ms);
  // kind 1 zone id, 2 zone correction x 4, 3 zone coefficient, 4 correction x 4 / coefficient,
  // 5 ValoreCella, 6 zone value x 4.
  int GetZonaAdattativa(int row, int col, int kind) const;
  void SetZonaAdattativa(int row, int col, int kind, int v);
  // Zeroes every zone table in the ECU and here; true when every write succeeded.
  bool AzzeraAdatta();
  double GetRifMAP(int i) const;  // volts
  void SetRifMAP(int i, double volts);
  int GetRifGiri(int i) const;
  void SetRifGiri(int i, int rpm);
  int GetRifOpenLoop(int i, int kind) const;
  void SetRifOpenLoop(int i, int kind, int v);
  // kind 1 PassiInvArr, 2 PassiInvSmg, 3 PassiIngr, 4 PassiSmag.
  int GetPassi(int i, int kind) const;
  void SetPassi(int i, int kind, int v);
  // Presets 0-2; the getter gives 4 for NumeroOnde 255 and 3 for no preset.
  int GetTipoEmulazione() const;
  void SetTipoEmulazione(int preset);
  int GetTipoSensore() const;  // type index 0-7, -1 when the code is not in the table
  void SetTipoSensore(int index);
  int GetRifSensore(int i) const;
  void SetRifSensore(int i, int v);
  int GetCorrezioneLivello(int i) const;
  void SetCorrezioneLivello(int i, int v);
  int GetArricchimento(int i, int kind) const;  // kind 1 ArrPerTps, 5 VarCumulo
  void SetArricchimento(int i, int kind, int v);
  int GetMappaArr(int row, int col) const;
  void SetMappaArr(int row, int col, int v);
  int GetRifCumulo(int i) const;
  void SetRifCumulo(int i, int v);
  // 0/1 changeover by rpm with that mode bit, 2 changeover by rpm off.
  int GetModoCambio() const;
  void SetModoCambio(int mode);
  // 0 no cut-off, 1 lean only, 2 full cut-off.
  int GetModoCutoff();
  void SetModoCutoff(int mode);
  int GetCentroGiri(int i) const;        // i 1-12
  double GetCentroMAP(int i) const;      // i 1-12, volts
  int GetGiriCentroFascia(int i) const;  // i 1-5
  bool GetSegnaleGiri() const;
  void SetSegnaleGiri(bool v);
  // kind 1 map correction relative (bit 5 clear), 2 enrichment relative (bit 6 clear),
  // 3 total cut-off (bit 7), 4 fuel CNG (bit 1), 5 cut-off with injectors (bit 8).
  bool GetFlag1(int kind) const;
  void SetFlag1(int kind, bool v);
  double GetTempoAperturaIniettore(int kind) const;  // kind 1 ECU value, other local copy
  void SetTempoAperturaIniettore(int kind, double ms);
  int GetArrUscitaMin(int i) const;
  void SetArrUscitaMin(int i, int v);
  int GetArricchimentoAccelerazione() const;
  void SetArricchimentoAccelerazione(int v);
  double GetTempoCutoff(int phase) const;  // phase 1 opening, other closing; seconds
  void SetTempoCutoff(int phase, double s);
  int GetCicliCutoff(int which) const;  // which 2 high nibble, other low nibble
  void SetCicliCutoff(int which, int n);
  int GetOffsetPendenza(int i) const;  // OffsetMapEsterno, PendenzaMapEsterno, OffsetDiff, PendenzaDiff
  void SetOffsetPendenza(int i, int v);
  double GetCoeffPressDiff(int i) const;
  void SetCoeffPressDiff(int i, double v);
  double GetRifPressDiff(int i) const;  // bar
  void SetRifPressDiff(int i, double bar);
  static double GetRifPressDiffGpl(int i);
  static double GetRifPressDiffMetano(int i);
  static double GetCoeffPressDiffGpl(int i);
  static double GetCoeffPressDiffMetano(int i);
  int GetRifGas(int i) const;  // deg C
  void SetRifGas(int i, int celsius);
  int GetCoeffGas(int i) const;
  void SetCoeffGas(int i, int v);
  double GetTempoCicchettoTemp(int i) const;  // seconds
  void SetTempoCicchettoTemp(int i, double s);
  int GetTempCicchetto(int i) const;  // deg C
  void SetTempCicchetto(int i, int celsius);
  bool IsMonoFuel() const;
  void SetMonoFuel(int v);
  // The 18-character ECU description, NUL-terminated in Descrizione.
  const char* GetDescription();
  void SetDescription(const char* text);
  bool IsUfficiale() const;
  void SetUfficiale(bool v);
  bool GetOpzioneVettura(int n) const;  // n 1 = turbo
  void SetOpzioneVettura(int n, bool v);
  // which 1 order number (0-7), other bank bit (0/1).
  int GetSequenzaIniezione(int cyl, int which) const;
  void SetSequenzaIniezione(int cyl, int which, int v);
  // The default injector sequence for the cylinder count of value code 0x3000034.
  void SetSequenzaDefault();
  // which 1 Stato (re-read from the ECU first), 2 Abilitazione.
  int GetDiagnosi(int i, int which);
  void SetDiagnosi(int i, int which, int v);
  double GetCoeffTemp(int i) const;
  void SetCoeffTemp(int i, double v);
  int GetRifTemp(int i) const;  // elements 0 and 9 raw, the others deg C
  void SetRifTemp(int i, int celsius);
  int GetNumeroSonde() const;  // lambda probes, 1 or 2
  void SetNumeroSonde(int n);
  void SetDatoVettura(int id, int v);  // 6 CentCubici, 7 Valvole, 8 NCilindri, 9 AnnoVettura
  void SetPotenza(float v);
  // 1 DescrizAuto, 2 Euro, 3 Motore, 4 Centralina, 5 Cambio; cut to the field's size.
  void SetDatoVetturaStr(int id, const char* text);
  // Firmware version word: n 2 variable 0x25B, other 0x24C. 0 when the read fails; *ok (when
  // given) tells whether it succeeded.
  int ReadVersioneEcu(int n, bool* ok = nullptr);
  // Cut-off ramp values from the steps (before writing to an older ECU) and back (after a read
  // or a load). StepsFromRamp leaves the steps alone when the low nibble of CicliCutoff is 0 or
  // 1 (no ramp to spread); RampFromSteps then gives no ramp.
  void RampFromSteps();
  void StepsFromRamp();

  // First index of value in table[0..count-1]; -1 when absent or count < 1.
  static int IndexOf(const int32_t* table, int count, int32_t value);

  // ---- presence queries -----------------------------------------------------------------------
  bool HasAdattativita() const { return true; }
  bool IsMappaArricchimento() const { return (Flag1 & 0x08) != 0; }
  int GetNumeroRigheArr() const { return NumeroRigheArr; }
  bool IsDoppiaSonda() const { return Identita[2] != 0 && (Flag1 & 0x04) == 0; }
  bool GetTipoLambdaBit0() const { return (TipoDiLambda & 1) != 0; }
  bool GetTipoTpsBit0() const { return (TipoDiTps & 1) != 0; }
  bool IsSensoreLivelloInvertito() const { return (TipoSensore & 0x80) != 0; }

  // ---- value codes (EcuValueCodes.cpp) ------------------------------------------------------
  // Physical value of a value code; live codes are re-read from the ECU first. kUnknownValue
  // for a code that is not in the table.
  double GetValue(int code);
  // -1 negative code, 0 unknown code or refused write, 1 written. Always marks Changed.
  int SetValue(int code, double v);
  // Vector elements are reached only through the typed accessors: these do nothing.
  double GetVectorValue(int code, int index);
  double SetVectorValue(int code, int index, double v);
  // The field that mirrors a value code; nullptr for an unknown code.
  int32_t* GetValuePtr(int code);

  // ---- ECU exchange (EcuExchange.cpp) -------------------------------------------------------
  // Waits until ECU variable 2 reads 172, polling every 500 ms for up to timeoutMs.
  bool WaitEcuState(uint32_t timeoutMs);
  bool ReadIdentificazione();
  bool SetCodiceCliente(uint8_t code);
  // Reads the whole configuration; leaves Changed set. 1, or 0 when there is no link object or
  // the pass was cut short (the link closed or the ECU stopped answering): every value and
  // Changed are then as they were before the pass.
  int ReadAll();
  // Writes the axes and the gas map, and unless mapsOnly everything else. Returns 0.
  int WriteAll(bool mapsOnly);
  // Reads one adaptivity table (0x54, 0x3D, 0x45C, 0x637); false when the link is closed or a
  // read is refused; other codes read nothing and give true.
  bool ReadBlock(int code);
  // Lambda thresholds for the present probe type; true when a preset was found and written.
  bool ApplyPresetLambda();
  // Enrichment presets for the present fuel; true when every preset value is now held.
  bool ApplyPresetArricchimento();
  void SaveUndoMappa(bool benzina);
  bool RestoreUndoMappa(bool benzina);

  // ---- configuration files (EcuConfigFile.cpp, EcuConfigContent.cpp) ------------------------
  // Failures: OpenConfigIni raises EConfigFileError ("Impossibile aprire il file",
  // ConfigFileFormat.h); every other operation here raises nothing and reports by its result.
  // The stored file is only ever replaced whole (a temporary sibling renamed over it).
  bool SetFileKey(const char* text);   // false, key unchanged, for null, "" or 50+ characters
  bool SetFilePath(const char* text);  // false, path unchanged, when it does not fit FilePath
  // mode 1 (kConfigUnscramble) makes a plain copy, 0 (kConfigScramble) a stored file; key null =
  // FileKey. False (destination untouched) for equal names, an unreadable or unwritable file, or
  // a source or converted file beyond kMaxConfigFileSize (noted in OversizedFile).
  bool ConvertConfigFile(const char* source, const char* destination, int mode, bool checkHeader,
                         const char* key = nullptr);
  // Opens the INI document, held in memory only (no plain copy ever reaches the disk): empty,
  // or (unscramble) the unscrambled content of FilePath, which must read as configuration text
  // and, when it is not yet in the stored form, must stay within kMaxConfigFileSize in it.
  void OpenConfigIni(bool unscramble);
  // Releases the document. With writeBack, a new or changed document, or one loaded from a file
  // not yet in the stored form, is scrambled over FilePath; false when that failed or the stored
  // form would pass kMaxConfigFileSize (nothing is written then).
  bool CloseConfigIni(bool writeBack = true);
  // While the document is open: true when the key exists (and, for numbers, reads as one); the
  // field changes only then. Strings keep at most size - 1 characters.
  bool ReadIniInteger(int32_t& field, const char* key, const char* section);
  bool ReadIniBool(bool& field, const char* key, const char* section);
  bool ReadIniString(char* buffer, const char* key, const char* section, int size);
  void WriteIniInteger(int32_t value, const char* key, const char* section);
  void WriteIniBool(bool value, const char* key, const char* section);
  void WriteIniString(const char* value, const char* key, const char* section);
  bool IniValueExists(const char* section, const char* key);
  // A scrambled programming file as [u32 little-endian length][unscrambled bytes] in *image;
  // false with *image emptied on any failure, among them a file whose size is no image size
  // (IsProgramImageSize), which is not read. checkHeader has no effect: every file is
  // unscrambled from byte 0.
  bool LoadProgrammingFile(const char* name, std::vector<uint8_t>* image, bool checkHeader = false,
                           const char* key = nullptr);
  // 1, or 0 after any failure. A failed save leaves the stored file, FilePath and Changed as
  // they were; a failed load (unreadable, empty, foreign or damaged file, or a value the ECU
  // cannot hold) leaves the whole data set as it was. A key the file lacks, or holds without a
  // value, leaves its field as it is. name null = FilePath.
  int SaveConfiguration(const char* name = nullptr, bool mapsOnly = false);
  int LoadConfiguration(const char* name = nullptr, bool mapsOnly = false);
  // The gas map and both axes of another file into the caller's buffers: only the keys the file
  // holds change them, and nothing changes when the file is refused.
  int LoadMapOnly(const char* name, int32_t map[kMapSize][kMapSize], int32_t rpmAxis[kMapSize],
                  int32_t mapAxis[kMapSize]);
  // Why the last load refused its file (the key, its value and what is wrong with it), for the
  // window to show under the file error; empty after a load that succeeded or a file that could
  // not be read at all.
  const ConfigFileRefusal& FileRefusal() const { return fileRefusal_; }
  // The file the last load or conversion refused as far larger than any configuration
  // (kMaxConfigFileSize): its name and size, or (rewrite) the size of the file the program would
  // have written from it, a plain copy or an older file in the stored form; size 0 when there
  // was none.
  struct OversizedFileInfo {
    std::string path;
    int64_t size = 0;
    bool rewrite = false;
  };
  const OversizedFileInfo& OversizedFile() const { return oversizedFile_; }
  bool IniRewrite = false;  // the open document goes back over FilePath on close
  // ---- end of configuration files ------------------------------------------------------------

 private:
  ConfigFileRefusal fileRefusal_;    // FileRefusal()
  OversizedFileInfo oversizedFile_;  // OversizedFile()
  // The stored form of a document to be rewritten, built once when it was opened to check its
  // size; written as it is on close unless the document changed since.
  std::unique_ptr<QByteArray> iniStored_;
  // Raises EConfigFileError, noting the size, when FilePath is far larger than a configuration.
  void RefuseOversizedFile();
  // The official flag is cleared by the first edit (in the ECU as well).
  void ClearUfficiale();
  // Changed, then clear the official flag: the tail of most setters.
  void MarkEdited();
  // Write through when WriteThrough is set; true when the value may be stored.
  bool WriteVar(int code, int32_t v);
  bool WriteElem(int code, int index, int32_t v);
  bool WriteCel(int code, int row, int col, int32_t v);
  // Element setters. Group B: write element `index`, store it, then Changed and the official
  // flag cleared; false when refused. Group A the same with Changed set on entry, so that a
  // refused write still leaves it set.
  bool StoreElement(int code, int32_t* table, int index, int32_t raw);
  bool StoreElementA(int code, int32_t* table, int index, int32_t raw);
  // Writes the whole Flag1 word, stores it and marks Changed; false when refused.
  bool StoreFlag1(int32_t value);
  void SetMappaCell(int32_t (&map)[kMapSize][kMapSize], int code, int row, int col, double ms);
  // The scalar field a whole-configuration pass moves for a code; nullptr when none.
  int32_t* ExchangeField(int code);
  void ReadCodes(std::initializer_list<int> codes);
  void WriteCodes(std::initializer_list<int> codes);
};

// The process-wide data set, made at start-up.
extern TEcuData* EcuData;
