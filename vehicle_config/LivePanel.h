#pragma once
// The rules of the configuration editor's live panel, without widgets: the live values taken
// from each real-time record, the texts and colours of the panel labels, the petrol
// correction, the temperature band and the trace record of a tick.
#include <QString>
#include <cstdint>

#include "LiveDataRecord.h"
#include "TraceRecorder.h"

// The editor's live values, converted from the last record.
struct TLiveValues {
  int rpm = 0;
  double lambda = 0;  // V
  double tps = 0;     // V
  double map = 0;     // V
  int correction = 0;
  int correction2 = 0;
  double gasInjection = 0;     // ms
  double petrolInjection = 0;  // ms
  double injection2 = 0;       // ms
  double enrichment = 0;       // ms
  int cumulo = 0;
  int flag1 = 0;
  int temperatureRaw = 0;
  int level = 0;
  double lambda2 = 0;  // V
  int pressure = 0;    // hundredths of a bar
};

// The petrol map as the petrol-correction rule reads it.
struct TPetrolMap {
  int rpm[12] = {};          // rpm breakpoints
  double load[12] = {};      // MAP breakpoints, V
  double cell[12][12] = {};  // [MAP index][rpm index], ms
};

struct TPetrolCorrection {
  bool available = true;  // false: the expected petrol time is 0 ("n.d.")
  double perMille = 0;
};

// Texts of the panel in the current language.
struct TLivePanelTexts {
  QString volt = QStringLiteral("V");
  QString celsius = QStringLiteral("\u00B0C");
  QString bar = QStringLiteral("bar");
  QString rpm = QStringLiteral("rpm");
  QString notAvailable = QStringLiteral("n.d.");
  QString gas = QStringLiteral("GAS");
  QString petrol = QStringLiteral("BENZINA");
};

// What the panel labels show after one tick.
struct TLivePanelView {
  QString lambda, lambda2, tps, map;
  QString gasInjection, gasInjection2, correction, correction2;
  QString pressure, petrolInjection, cumulo, enrichment, rpm, petrolCorrection;
  bool tpsRed = false;         // FLAG1 bit 0: TPS text red, else blue
  bool lambdaEnabled = false;  // FLAG1 bit 5
  bool lambdaGreen = false;    // lambda on the good side of its reference
  bool lambda2Green = false;
  bool cutoff = false;       // FLAG1 bit 2
  uint32_t markerColor = 0;  // 0x00BBGGRR
  // The slow fields, refreshed on every 10th tick only.
  bool slowRefresh = false;
  QString temperature, level;
  bool onGas = false;  // FLAG1 bit 4: "GAS" in green, else "BENZINA" in red
  QString fuel;
};

// The data-set values one tick needs besides the record.
struct TLiveTickInputs {
  bool twoProbes = false;       // bank-2 fields wanted
  double lambdaReference = 0;   // value code 5, V
  bool lambdaTypeBit0 = false;  // probe type bit 0
  float temperatureC = 0;       // the NTC conversion of the record's temperature byte
  const TPetrolMap* petrolMap = nullptr;
};

class TLivePanel {
 public:
  // Converts a record; pressure is the gas pressure the data set computed from it.
  static TLiveValues ValuesFrom(const LiveDataRecord& record, int pressure);
  // Without a map the expected time is the measured one.
  static TPetrolCorrection PetrolCorrection(const TLiveValues& v, const TPetrolMap* map);
  // The per-mille value a trace record carries: rounded to an integer, 0 when not available.
  static int TracePetrolCorrection(const TPetrolCorrection& c);
  // The panel's text of the petrol correction.
  static QString PetrolCorrectionText(double measured, const TPetrolCorrection& c,
                                      const TLivePanelTexts& texts);
  // Band 0..8 of temperature t on the references ref[1..8] (descending from 1 to 8).
  static int TemperatureBand(int t, const int ref[9]);
  // Working-point marker colour from FLAG1.
  static uint32_t MarkerColor(int flag1);
  // Rounds a double to a whole number, halves to even.
  static int RoundEven(double v);
  static TTraceRecord TraceRecordFrom(const TLiveValues& v, const TPetrolCorrection& c);

  // Takes what the link delivered (size <= 0: nothing new) into the record and the live
  // values. pressureOf turns the record into the gas pressure (the data set's rule).
  template <class PressureFn>
  void Decode(const uint8_t* data, int size, bool twoProbes, PressureFn&& pressureOf) {
    if (!data || size <= 0) return;
    record_.Decode(data, size, twoProbes);
    values_ = ValuesFrom(record_, pressureOf(record_));
  }
  // Computes the panel from the live values; counts the tick for the slow fields.
  void Refresh(const TLiveTickInputs& in);
  // Decode and Refresh of one tick.
  template <class PressureFn>
  const TLivePanelView& Tick(const uint8_t* data, int size, const TLiveTickInputs& in,
                             PressureFn&& pressureOf) {
    Decode(data, size, in.twoProbes, pressureOf);
    Refresh(in);
    return view_;
  }

  void SetTexts(const TLivePanelTexts& texts) { texts_ = texts; }
  const TLivePanelTexts& Texts() const { return texts_; }
  const LiveDataRecord& Record() const { return record_; }
  const TLiveValues& Values() const { return values_; }
  const TLivePanelView& View() const { return view_; }
  const TPetrolCorrection& Correction() const { return correction_; }
  // The trace record of the present values.
  TTraceRecord TraceRecord() const { return TraceRecordFrom(values_, correction_); }
  int TickCounter() const { return slowCounter_; }

 private:
  LiveDataRecord record_;
  TLiveValues values_;
  TPetrolCorrection correction_;
  TLivePanelTexts texts_;
  TLivePanelView view_;
  int slowCounter_ = 0;
};
