#pragma once
// The SerialWords of the exchanges that move a whole configuration between the ECU and the data
// set: ReadAll, WriteAll, the ready wait and the adaptivity block reads. The same words give most
// configuration-file keys the range of their values. One constant per word, named after the field
// it fills; SerialWord.h gives the meaning of the bits. The single-value setters reach some of
// these variables through element or cell words of their own.
namespace EcuWord {

// ECU state and identity.
constexpr int kEcuState = 0x02;  // reads 172 once the ECU is ready
constexpr int kCodiceCliente = 0x40;

// Option bits, the maps and their axes (the maps by rows of 12 cells).
constexpr int kFlag1 = 0x203;
constexpr int kMonoFuel = 0x81;
constexpr int kRifGiri = 0xC30C;
constexpr int kRifMAP = 0xC10D;
constexpr int kMappa = 0xC30E;
constexpr int kMappaBenzina = 0xC34F;

// Lambda probe and level.
constexpr int kTipoDiLambda = 0x04;
constexpr int kRifLambda = 0x05;
constexpr int kOffsetLambda = 0x2F;
constexpr int kRitardoLetturaSonda = 0x06;
constexpr int kTempoSondaFredda = 0x07;
constexpr int kRifSupSondaFredda = 0x08;
constexpr int kRifInfSondaFredda = 0x09;
constexpr int kRifSupSondaCalda = 0x0A;
constexpr int kRifInfSondaCalda = 0x0B;
constexpr int kLivelloGasAlcol = 0x70;

// Changeover.
constexpr int kTemperaturaCambio = 0x0F;
constexpr int kGiriPerCambio = 0x210;  // bit 0: the changeover mode
constexpr int kCambio12 = 0x12;
constexpr int kRitardoMinimoCambio = 0x11;
constexpr int kFuoriGiri = 0x213;
constexpr int kNumeroCilindri = 0x14;
constexpr int kFasciaGiriMinimo = 0x215;

// Cut-off: older ECUs hold the ramp, newer ones the steps and cycles.
constexpr int kGiriCutoff = 0x216;
constexpr int kRampaChiusura = 0x17;
constexpr int kRampaApertura = 0x4D;
constexpr int kRampaValida = 0x18;
constexpr int kChiusuraCutoff = 0x59;
constexpr int kAperturaCutoff = 0x5A;
constexpr int kCicliCutoff = 0x57;

// TPS.
constexpr int kTipoDiTps = 0x1A;
constexpr int kIsteresi = 0x1B;
constexpr int kTpsMoltoFuori = 0x3F;
constexpr int kCoefficienteUscitaMinimo = 0x64;
constexpr int kTempoCoefficienteUscitaMinimo = 0x65;
constexpr int kTempoPer100 = 0x66;

// Open loop and stepper, one element per rpm breakpoint.
constexpr int kRifOpenLoop = 0xC11C;
constexpr int kPassiInvArr = 0xC11D;
constexpr int kPassiInvSmg = 0xC119;
constexpr int kPassiIngr = 0xC11E;
constexpr int kPassiSmag = 0xC11F;

// Lambda emulation and level sensor.
constexpr int kTempoAlto = 0x20;
constexpr int kTempoBasso = 0x21;
constexpr int kTempoSondaSconnessa = 0x222;
constexpr int kNumeroOnde = 0x23;
constexpr int kLivelloAlto = 0x47;
constexpr int kLivelloBasso = 0x48;
constexpr int kTipoSensore = 0x24;
constexpr int kRifSensore = 0x4125;
constexpr int kTempoRitBenzina = 0x3E;
constexpr int kCorrezioneLivello = 0x5150;

// Carburation.
constexpr int kMinErroreIntegrale = 0x627;
constexpr int kMaxErroreIntegrale = 0x626;
constexpr int kMaxErroreIntegraleAlMinimo = 0x628;
constexpr int kMinErroreIntegraleAlMinimo = 0x629;
constexpr int kTpsSbana = 0x2C;
constexpr int kGiriSbana = 0x22D;
constexpr int kTempiInversioneSbana = 0x2E;
constexpr int kTempoApSbana = 0x46;
constexpr int kTempoChSbana = 0x45;
constexpr int kCorrRientroMin = 0x449;
constexpr int kSequenzaIniezione = 0x814E;

// Enrichment. RifCumulo is read unsigned as one array and written signed, element by element.
constexpr int kRifCumuloRead = 0x5132;
constexpr int kRifCumuloWrite = 0x432;
constexpr int kNumeroRigheArr = 0x04;  // ReadBytes: one byte, the rows of MappaArr the ECU holds
constexpr int kMappaArr = 0x6136;      // by rows of 6 cells
constexpr int kArrPerTps = 0x6131;
constexpr int kVarCumulo = 0x6130;
constexpr int kMinCumulo = 0x33;
constexpr int kArrUscitaMin = 0x6555;
constexpr int kNumeroInjUscitaMin = 0x56;
constexpr int kArricchimentoAccelerazione = 0x458;

// Injection, engine size, description and official flag.
constexpr int kTipoIniezione = 0x34;
constexpr int kCorrenteMantenimento = 0x38;
constexpr int kDutyCorrenteHold = 0x7F;
constexpr int kTempoMaxCorrente = 0x24A;
constexpr int kTempoAperturaIniettore = 0x253;
constexpr int kCilindrata = 0x24B;
constexpr int kDatiEcu35 = 0x14135;  // official flag, turbo option, description characters

// Diagnosis and running times.
constexpr int kStato = 0x2339;
constexpr int kAbilitazione = 0x233A;
constexpr int kLive43 = 0x43;
constexpr int kLive44 = 0x44;
constexpr int kMinutiGas = 0x23B;
constexpr int kMinutiBenzina = 0x23C;
constexpr int kCorrezioneInRilascio = 0x66C;

// Adaptivity: the zone tables and their parameters.
constexpr int kZonaCella = 0xC154;  // by rows of 12 cells
constexpr int kCoefficienteZona = 0x9113D;
constexpr int kCorrezioneZona = 0x91737;
constexpr int kValoreZona = 0x9155C;
constexpr int kCorrezioneFuoriMinimo = 0x671;
constexpr int kCorrezioneAlMinimo = 0x672;
constexpr int kMassimoValoreCorrezione = 0x73;
constexpr int kTempoTraCorrezioni = 0x74;
constexpr int kZonaApprendimentoFuoriMinimo = 0x75;
constexpr int kMinimoValoreCorrettore = 0x76;
constexpr int kTempoPerCorrezione = 0x277;

// Temperature, priming and pressure tables.
constexpr int kRifTemp = 0xA12A;    // temperature breakpoints, field Rif
constexpr int kCoeffTemp = 0x9578;  // temperature coefficients, field Coeff
constexpr int kTempoCicchetto = 0x26D;
constexpr int kTempoCicchettoTemp = 0x3184;
constexpr int kTempCicchetto = 0x3185;
// The pressure-sensor calibration: OffsetMapEsterno, PendenzaMapEsterno, OffsetDiff, PendenzaDiff.
constexpr int kDatiAggiuntivi = 0x477A;
constexpr int kRifPressDiff = 0x917B;
constexpr int kCoeffPressDiff = 0x957C;
constexpr int kRifGas = 0xA17D;  // 10 elements: the tenth has no field
constexpr int kCoeffGas = 0x917E;

}  // namespace EcuWord
