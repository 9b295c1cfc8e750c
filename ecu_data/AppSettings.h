#pragma once
// The settings that outlive a run of the program: the data folder, the port, the language and
// the day of the last version warning. They live in the user's native settings store (the
// registry key HKCU\Software\<subkey> on Windows) and are read at construction and written back
// at destruction.
#include <QDate>
#include <QString>

class QSettings;

// Ids of GetSetting / SetSetting.
enum AppSettingId : int {
  SettingComPort = 10,
  SettingLanguage = 11,
  SettingFifteen = 15,
  SettingLastWarning = 16,
};

constexpr int kMainPathMaxLength = 149;

class TAppSettings {
 public:
  // subKey null: the brand's registry subkey ("Tarn\2001" for this build). The part before the
  // first backslash names the organisation, the rest the application.
  explicit TAppSettings(const char* subKey = nullptr);
  // Writes MainPath, ComPort, Language and LastWarning back, in this order.
  ~TAppSettings();
  TAppSettings(const TAppSettings&) = delete;
  TAppSettings& operator=(const TAppSettings&) = delete;

  // 10 ComPort, 11 Language, 15 setting 15, 16 LastWarning; any other id gives 0.
  int GetSetting(int id) const;
  // Stores value under the ids of GetSetting and returns 1; another id stores nothing and
  // returns 0. Only the object changes; the store is written at destruction.
  int SetSetting(int id, int value);

  const QString& GetMainPath() const { return mainPath_; }
  // MainPath followed by "/Configurazioni".
  const QString& GetConfigurationsFolder() const { return configurationsFolder_; }

  // Whether start-up enters the message loop; true after construction.
  bool GetRunFlag() const { return runFlag_; }
  void SetRunFlag(bool run) { runFlag_ = run; }

  // True when a stored value was missing or unreadable at construction: the shell then shows
  // ResetMessage() in a message box (application title as caption, error icon, OK button).
  // Values read before the failing one are kept, the others keep their defaults.
  bool ResetNeeded() const { return resetNeeded_; }
  static QString ResetMessage();

 private:
  void Read();
  // Writes the values back; a store that cannot be written keeps what it held.
  void Write() const;
  void Store(QSettings& settings) const;
  bool Holds(const QSettings& settings) const;
  void SetMainPath(const QString& path);

  QString organisation_;
  QString application_;
  QString mainPath_;
  QString configurationsFolder_;
  int comPort_ = 1;
  int language_ = 0;
  int setting15_ = 2;
  int lastWarning_ = 0;
  bool runFlag_ = true;
  bool resetNeeded_ = false;
};

extern TAppSettings* AppSettings;

// Day number of a calendar date as the platform's date-time value counts it: whole days since
// 1899-12-30 (so 1900-01-01 is 2).
int DayNumber(const QDate& date);
// Day number of today; tests fix the date with ScopedToday.
int TodayDayNumber();

// Fixes "today" for the lifetime of the guard (an invalid date means the real date).
class ScopedToday {
 public:
  explicit ScopedToday(const QDate& date);
  ~ScopedToday();
  ScopedToday(const ScopedToday&) = delete;
  ScopedToday& operator=(const ScopedToday&) = delete;

 private:
  QDate previous_;
};
