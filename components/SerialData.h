#pragma once
// The base of the data-bound component set: one ECU item (a variable, a vector, a table, or a
// value inside a packet) addressed by its SerialWord. It converts between the raw ECU integer
// and the user value, reads and writes through a TKivConnection, raises its events, tells the
// bound controls and dependent data objects of changes with WM_DATACHANGED (wParam = the
// object that changed) and keeps its value in INI files.
//
// Bound controls call AddNotificationList(this) and RemoveNotificationList(this) before they
// go; a widget in the list receives the private messages synchronously (PrivateMessageEvent
// through QCoreApplication::sendEvent), a data object forwards them to its own list.
// Everything runs on the user-interface thread.
#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "KivConnection.h"
#include "MessageSink.h"
#include "Transformations.h"

class IniFile;
class TKivSerialData;

enum TransformationType { ttNone, ttFormula, ttTabled, ttNonLinearTabled };
enum SerialDataType : uint8_t { sdNumber = 0, sdVector = 1, sdMatrix = 2, sdPacket = 3 };

// User value of a conversion whose table is missing or has no matching row, and of a formula
// whose denominator is zero; the raw forms of the same cases come from ConvertValueToEcu.
constexpr double kNoTableValue = -10000001.0;
constexpr double kZeroDenominatorValue = -10000002.0;
constexpr int kNoTableRaw = -10000001;
constexpr int kZeroDenominatorRaw = -10000002;

using TKivNotifyEvent = std::function<void(TKivSerialData* sender)>;
using TKivErrorEvent = std::function<void(TKivSerialData* sender, int errorCode, bool writing)>;

class TKivSerialData : public QObject {
 public:
  TKivSerialData(QObject* owner, int code, SerialDataType kind);
  ~TKivSerialData() override;
  TKivSerialData(const TKivSerialData&) = delete;
  TKivSerialData& operator=(const TKivSerialData&) = delete;

  // ---- conversions ----
  double ConvertValueToUser(int raw);
  // current: the held raw value, merged with the new bits when the mask is partial (the item
  // is read again first); null for no merge.
  int ConvertValueToEcu(double value, int* current);
  // The 1 or 2 little-endian bytes at p, zero- or sign-extended, converted to the user value.
  double GetUserValueFromPacket(const char* p);
  // A, B, C, D, each replaced by its external coefficient's value (transformed) when set.
  void GetFormulaCoefficients(double* a, double* b, double* c, double* d);

  // ---- conversion table: an ECU-value column and a user-value column ----
  void SetConversionTable(const double* ecu, const double* user, int count);
  void DeleteConversionTable();
  bool HasConversionTable() const { return hasTable_; }
  int ConversionTableCount() const { return static_cast<int>(tableEcu_.size()); }
  double GetEcuTableValue(int i) const;
  void SetEcuTableValue(int i, double v);
  double GetUserTableValue(int i) const;
  void SetUserTableValue(int i, double v);

  // ---- notification ----
  void AddNotificationList(QObject* c);
  void RemoveNotificationList(QObject* c);
  void NotifyData(unsigned msg, intptr_t wParam, intptr_t lParam);
  // WM_DATACHANGED with this object as wParam: the bound controls show the held value again.
  void NotifyChanged() { NotifyData(WM_DATACHANGED, reinterpret_cast<intptr_t>(this), 0); }

  // ---- transfers (virtual operations) ----
  virtual void AllocateMemory() = 0;
  virtual void DeallocateMemory() = 0;
  // Reads the item unless the held data are current.
  virtual bool Reload() = 0;
  // Reports a failed transfer through OnError with the link's error code (-1 without a
  // loaded library).
  virtual void DoError(bool writing);
  virtual void DoGetData();
  virtual void DoSetData();
  virtual void DoBeforeGetData();
  virtual void DoBeforeSetData();
  virtual void BackupData() = 0;
  virtual void DiscardBackup() = 0;
  virtual void RestoreBackup() = 0;
  // Reads the item again: DataValid false, then Reload.
  virtual bool Load();
  virtual void Download() = 0;
  virtual bool WriteToFile(IniFile* ini) = 0;
  virtual bool ReadFromFile(IniFile* ini) = 0;
  // The refresher's delivery of a read buffer.
  virtual void UpdateData(const void* buffer) = 0;
  virtual bool ResetDefault(bool toEcu) = 0;

  // Settings are being set up in a row (as from a stored layout): limits take any value.
  void BeginLoading() { loading_ = true; }
  // The settings are complete: the held value becomes the default, nothing goes to the ECU.
  virtual void Loaded();

  // ---- properties ----
  SerialDataType Kind() const { return serialDataType_; }
  bool DataValid() const { return dataValid_; }
  void SetDataValid(bool v) { dataValid_ = v; }
  int SerialCode() const { return serialCode_; }
  virtual void SetSerialCode(int v);
  int SerialWord() const { return serialWord_; }
  int DataMask() const { return dataMask_; }
  void SetDataMask(int v);
  int DataLength() const { return dataLength_; }
  void SetDataLength(int v);
  bool Signed() const { return signed_; }
  void SetDataSigned(bool b);
  TransformationType Transformation() const { return transformation_; }
  void SetTransformation(TransformationType t) { transformation_ = t; }
  QString MeasureUnit;
  double CoeffA = 1;
  double CoeffB = 0;
  double CoeffC = 0;
  double CoeffD = 1;
  double Precision() const { return precision_; }
  void SetPrecision(double p);
  double ValueMin() const { return valueMin_; }
  double ValueMax() const { return valueMax_; }
  void SetMinValue(double v);
  void SetMaxValue(double v);
  bool DisableLimits = false;
  int DataGroup = 0;
  bool OldReadFileMode = false;
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { readOnly_ = v; }
  bool StoreUserValue = true;
  QString FileSection;
  QString FileKeyName;
  bool NotifyEnabled = true;

  TKivConnection* Connection() const { return connection_; }
  void SetConnection(TKivConnection* c) { connection_ = c; }
  // Index 1-4 for A-D; others are ignored.
  TBaseTransformation* GetCoeffTransformation(int index) const;
  // Setting one reads the item again with the new coefficient.
  void SetCoeffTransformation(int index, TBaseTransformation* t);
  TKivSerialData* GetExtCoeff(int index) const;
  // n must be null or a TKivNumber other than this object; this object joins n's
  // notification list, so a change of n reaches the controls bound here.
  void SetExtCoeff(int index, TKivSerialData* n);

  TKivNotifyEvent OnSetData;
  TKivNotifyEvent OnGetData;
  TKivNotifyEvent BeforeSetData;
  TKivNotifyEvent BeforeGetData;
  TKivErrorEvent OnError;

 protected:
  // All raw bits of the item: 256^DataLength - 1.
  int FullMask() const { return dataLength_ == 2 ? 0xFFFF : 0xFF; }
  bool PartialMask() const { return dataMask_ != FullMask(); }
  // raw AND DataMask, sign-extended from the item's width when Signed.
  int MaskedRaw(int raw) const;
  // The raw value in the 1 or 2 little-endian bytes at p, zero- or sign-extended.
  int RawFromBytes(const uint8_t* p) const;
  // A usable connection: set and its library loaded.
  bool LinkReady();
  // OnError with an error code of our own (a value that has no raw form).
  void ReportError(int errorCode, bool writing);
  // Reloads with notifications off (the partial-mask merge); true when the item was read.
  bool LoadSilently();

  // The read pattern: with no usable connection returns noLinkResult (vectors and matrices
  // also report a missing library); with the link closed the held data count as current.
  enum class NoLink { ReadsTrue, ReadsFalse };
  bool ReadThroughLink(NoLink mode, const std::function<bool(TSerialLink&)>& transfer);
  // The write pattern: without a usable connection store() runs, the failure is reported and
  // the result is true; otherwise store() runs only when the ECU took the data.
  bool WriteThroughLink(const std::function<bool(TSerialLink&)>& transfer,
                        const std::function<void()>& store);

  // The INI guard: both FileSection and FileKeyName empty -> nothing to do (true); exactly one
  // empty -> false; both set -> the file operation goes on (nullopt).
  std::optional<bool> IniGuard() const;
  // The entry of key in FileSection as a number; nullopt when it is missing or no number.
  std::optional<double> ReadIniFloat(const IniFile& ini, const std::string& key) const;
  std::optional<int> ReadIniInteger(const IniFile& ini, const std::string& key) const;
  // Numbers in files always use '.', whatever the locale.
  void WriteIniFloat(IniFile& ini, const std::string& key, double v) const;
  std::string Section() const { return FileSection.toStdString(); }
  std::string KeyName() const { return FileKeyName.toStdString(); }

  bool loading_ = false;

 private:
  // (A·r + B) / (C·r + D); false when the denominator is zero.
  bool Formula(double r, double a, double b, double c, double d, double* v) const;
  // Index of the table's segment for x along column `col` (the row search of the conversions).
  static int SegmentIndex(const std::vector<double>& col, double x);

  SerialDataType serialDataType_;
  bool dataValid_ = false;
  int serialCode_ = 0;
  int dataMask_ = 255;
  int dataLength_ = 1;
  bool signed_ = false;
  int serialWord_ = 0;
  TransformationType transformation_ = ttNone;
  double precision_ = 0;
  double valueMin_ = 0;
  double valueMax_ = 0;
  QPointer<TKivConnection> connection_;
  bool hasTable_ = false;
  std::vector<double> tableEcu_;
  std::vector<double> tableUser_;
  bool readOnly_ = false;
  std::vector<QPointer<QObject>> notificationList_;
  QPointer<TBaseTransformation> transformations_[4];
  QPointer<TKivSerialData> extCoeffs_[4];

 protected:
  // The descendants set the array, packet and count bits.
  void SetWordBits(int mask, int bits) { serialWord_ = (serialWord_ & ~mask) | (bits & mask); }
};

// True for a non-null data object of this set.
bool IsKivSerialData(const QObject* c);

// value truncated toward zero, saturated to the int range (NaN gives 0).
int TruncToInt(double v);
// value rounded half away from zero, saturated to the int range.
int RoundAwayToInt(double v);

// Binds a control to another data object: the control leaves the old object's notification
// list and joins the new one's. False when the object was already bound.
template <class T>
bool RebindNotifications(QPointer<T>& bound, T* next, QObject* control) {
  if (bound == next) return false;
  if (bound) bound->RemoveNotificationList(control);
  bound = next;
  if (bound) bound->AddNotificationList(control);
  return true;
}
