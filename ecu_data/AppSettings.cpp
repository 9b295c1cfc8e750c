#include "AppSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>
#include <QVariant>

#include "BrandProfile.h"
#include "DurableFile.h"

TAppSettings* AppSettings = nullptr;

namespace {

QDate g_today;  // invalid: the real date

const char kComPort[] = "ComPort";
const char kMainPath[] = "MainPath";
const char kLanguage[] = "Language";
const char kLastWarning[] = "LastWarning";

// An integer value. Typed stores (the registry) hand back a number; untyped ones (the INI files
// of other systems) hand back the decimal text, which must then be a whole integer.
bool ReadInteger(const QSettings& settings, const char* name, int& out) {
  const QVariant value = settings.value(name);
  bool ok = false;
  int number = 0;
  switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
      number = value.toInt(&ok);
      break;
    case QMetaType::QString:
      number = value.toString().toInt(&ok, 10);
      break;
    default:
      break;
  }
  if (ok) out = number;
  return ok;
}

// A text value; an absent one reads as empty.
bool ReadText(const QSettings& settings, const char* name, QString& out) {
  const QVariant value = settings.value(name);
  if (!value.isValid()) {
    out.clear();
    return true;
  }
  if (value.typeId() != QMetaType::QString && value.typeId() != QMetaType::QByteArray) return false;
  out = value.toString();
  return true;
}

}  // namespace

TAppSettings::TAppSettings(const char* subKey) {
  SetMainPath(QDir::currentPath());
  const QString key = QString::fromLatin1(subKey ? subKey : GetBrandRegistryKey());
  const qsizetype slash = key.indexOf(QLatin1Char('\\'));
  organisation_ = slash < 0 ? key : key.left(slash);
  application_ = slash < 0 ? QString() : key.mid(slash + 1);
  Read();
}

void TAppSettings::Read() {
  const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, organisation_, application_);
  if (settings.status() == QSettings::AccessError) return;  // cannot be opened: defaults, silently
  QString path;
  bool ok = settings.status() == QSettings::NoError && ReadInteger(settings, kComPort, comPort_) &&
            ReadText(settings, kMainPath, path);
  if (ok) {
    // An absent or empty path keeps the current directory: an empty data folder is never useful.
    if (!path.isEmpty()) SetMainPath(path);
    ok = ReadInteger(settings, kLanguage, language_) && ReadInteger(settings, kLastWarning, lastWarning_);
  }
  resetNeeded_ = !ok;
}

TAppSettings::~TAppSettings() { Write(); }

void TAppSettings::Store(QSettings& settings) const {
  settings.setValue(kMainPath, mainPath_);
  settings.setValue(kComPort, comPort_);
  settings.setValue(kLanguage, language_);
  settings.setValue(kLastWarning, lastWarning_);
}

bool TAppSettings::Holds(const QSettings& settings) const {
  return settings.status() == QSettings::NoError && settings.value(kMainPath).toString() == mainPath_ &&
         settings.value(kComPort).toInt() == comPort_ && settings.value(kLanguage).toInt() == language_ &&
         settings.value(kLastWarning).toInt() == lastWarning_;
}

void TAppSettings::Write() const {
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, organisation_, application_);
  if (settings.status() == QSettings::AccessError || !settings.isWritable()) return;
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
  Store(settings);
  settings.sync();
#else
  // Here the store is an INI file, and Qt's own save of it can report success on a full disk
  // after renaming an empty file over the old one. The values go to a scratch copy beside the
  // file instead, and the copy replaces the file through the durable save only when it reads
  // back whole; on any failure the stored values stay as they were (and nothing is said: a
  // store that cannot be written is silent).
  const QFileInfo file(settings.fileName());
  if (!QDir().mkpath(file.absolutePath())) return;
  QByteArray stored;
  if (file.exists() && !ReadWholeFile(file.absoluteFilePath(), &stored)) return;
  QTemporaryFile scratch(file.absoluteFilePath() + QStringLiteral(".XXXXXX"));
  if (!scratch.open() || scratch.write(stored) != stored.size() || !scratch.flush()) return;
  scratch.close();
  {
    QSettings copy(scratch.fileName(), QSettings::IniFormat);
    Store(copy);
    copy.sync();
  }
  // The check reads the bytes again under a name never used before: settings objects of one
  // file share what they hold in memory, also values they believe written.
  QByteArray written;
  if (!ReadWholeFile(scratch.fileName(), &written)) return;
  QTemporaryFile probe;
  if (!probe.open() || probe.write(written) != written.size() || !probe.flush()) return;
  probe.close();
  if (!Holds(QSettings(probe.fileName(), QSettings::IniFormat))) return;
  WriteFileReplacing(file.absoluteFilePath(), written);
#endif
}

void TAppSettings::SetMainPath(const QString& path) {
  mainPath_ = path.left(kMainPathMaxLength);
  configurationsFolder_ = mainPath_ + QStringLiteral("/Configurazioni");
}

int TAppSettings::GetSetting(int id) const {
  switch (id) {
    case SettingComPort:
      return comPort_;
    case SettingLanguage:
      return language_;
    case SettingFifteen:
      return setting15_;
    case SettingLastWarning:
      return lastWarning_;
    default:
      return 0;
  }
}

int TAppSettings::SetSetting(int id, int value) {
  switch (id) {
    case SettingComPort:
      comPort_ = value;
      return 1;
    case SettingLanguage:
      language_ = value;
      return 1;
    case SettingFifteen:
      setting15_ = value;
      return 1;
    case SettingLastWarning:
      lastWarning_ = value;
      return 1;
    default:
      return 0;
  }
}

QString TAppSettings::ResetMessage() {
  return QStringLiteral(
      "Il programma non è in grado di rilevare alcune impostazioni essenziali.\n"
      "Queste verranno ora resettate: controllarne la correttezza.\n"
      "In caso di ulteriori problemi ripetere l'installazione del software.");
}

int DayNumber(const QDate& date) { return static_cast<int>(QDate(1899, 12, 30).daysTo(date)); }

int TodayDayNumber() { return DayNumber(g_today.isValid() ? g_today : QDate::currentDate()); }

ScopedToday::ScopedToday(const QDate& date) : previous_(g_today) { g_today = date; }

ScopedToday::~ScopedToday() { g_today = previous_; }
