#include "TraceRecorder.h"

#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <charconv>

#include "DurableFile.h"

namespace {

const char kLineEnd[] = "\r\n";

void AppendInt(QByteArray& out, long long v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, static_cast<int>(r.ptr - buf));
}

// General notation with up to 6 significant digits, '.' as separator, whatever the locale.
void AppendDouble(QByteArray& out, double v) {
  char buf[40];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
  out.append(buf, static_cast<int>(r.ptr - buf));
}

}  // namespace

TTraceRecorder::TTraceRecorder(const QString& folder) : folder_(folder) {}

TTraceRecorder::~TTraceRecorder() {
  if (file_.isOpen()) file_.close();
}

QString TTraceRecorder::TempFileName(int n) { return QStringLiteral("__acqtmp%1.txt").arg(n); }

QString TTraceRecorder::TempFolderFor(const QString& acquisitions) {
  return QDir(acquisitions).filePath(QStringLiteral("Temporanee"));
}

QStringList TTraceRecorder::UnsavedRecordings(const QString& folder) {
  QStringList paths;
  const QDir dir(folder);
  for (const QString& name : dir.entryList({QStringLiteral("__acqtmp*.txt")}, QDir::Files, QDir::Name))
    paths << dir.filePath(name);
  return paths;
}

QString TTraceRecorder::StartText() {
  const QLocale locale;
  const QDateTime now = QDateTime::currentDateTime();
  return locale.toString(now.date(), QLocale::LongFormat) + QLatin1Char(' ') +
         locale.toString(now.time(), QLocale::LongFormat);
}

QByteArray TTraceRecorder::HeaderLines(int format, const QString& startText) {
  QByteArray out("Ver. 1 ");
  AppendInt(out, format);
  out += " real time data RID2001, ";
  out += startText.toUtf8();
  out += kLineEnd;
  out += "TEMPO\tGIRI\tMAP\tCUMULO\tTPS";
  out += "\tLAMBDA\tINJ\tCOR.\tINJ.BNZ\tCOR.BNZ";
  out += "\tFLAG1\tARR.\tPRESS.\tTEMP.\tLIVELLO";
  if (format == 2) out += "\tLAMBDA2\tCORRET2\tINJ2";
  return out;
}

QByteArray TTraceRecorder::RecordLine(uint32_t elapsedMs, const TTraceRecord& r, int format) {
  QByteArray out;
  out.reserve(160);
  out += kLineEnd;
  AppendInt(out, elapsedMs);
  const auto tabInt = [&out](long long v) {
    out += '\t';
    AppendInt(out, v);
  };
  const auto tabDouble = [&out](double v) {
    out += '\t';
    AppendDouble(out, v);
  };
  tabInt(r.rpm);
  tabDouble(r.map);
  tabInt(r.cumulo);
  tabDouble(r.tps);
  tabDouble(r.lambda);
  tabDouble(r.gasInjection);
  tabInt(r.correction);
  tabDouble(r.petrolInjection);
  tabInt(r.petrolCorrection);
  tabInt(r.flag1);
  tabDouble(r.enrichment);
  tabDouble(r.pressure);
  tabInt(r.temperatureRaw);
  tabInt(r.level);
  if (format == 2) {
    tabDouble(r.lambda2);
    tabInt(r.correction2);
    tabDouble(r.injection2);
  }
  return out;
}

bool TTraceRecorder::Start(int format, const QString& startText, uint32_t startTick) {
  if (recording_) Stop();
  const QDir dir(folder_);
  tempPath_.clear();
  if (!dir.mkpath(QStringLiteral("."))) return false;
  // The first free name; NewOnly makes taking it atomic, so a name another process takes at
  // the same moment only moves us on to the next number.
  for (int n = 0; n < 1000000; ++n) {
    const QString path = dir.filePath(TempFileName(n));
    if (QFile::exists(path)) continue;
    file_.setFileName(path);
    // Unbuffered: each record reaches the operating system as it is taken.
    if (file_.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
      tempPath_ = path;
      break;
    }
    if (!QFile::exists(path)) return false;  // the folder does not take new files
  }
  if (tempPath_.isEmpty()) return false;
  format_ = format == 2 ? 2 : 1;
  writeFailed_ = false;
  Write(HeaderLines(format_, startText));
  startTick_ = startTick;
  recording_ = true;
  return !writeFailed_;
}

void TTraceRecorder::Write(const QByteArray& bytes) {
  if (file_.write(bytes) != bytes.size()) writeFailed_ = true;
}

void TTraceRecorder::Append(uint32_t tick, const TTraceRecord& record) {
  if (!recording_) return;
  Write(RecordLine(tick - startTick_, record, format_));
}

bool TTraceRecorder::Stop() {
  if (!recording_) return !writeFailed_;
  recording_ = false;
  if (!file_.flush()) writeFailed_ = true;
  file_.close();
  if (file_.error() != QFileDevice::NoError) writeFailed_ = true;
  return !writeFailed_;
}

TTraceRecorder::SaveResult TTraceRecorder::SaveAs(const QString& target) {
  const bool existed = QFileInfo::exists(target);
  // The temporary file itself chosen: the trace is already there (copying it over itself and
  // removing the temporary file would lose it).
  if (existed && !tempPath_.isEmpty() &&
      QFileInfo(target).canonicalFilePath() == QFileInfo(tempPath_).canonicalFilePath())
    return SaveResult::Saved;
  const auto failed = existed ? SaveResult::NotReplaced : SaveResult::NotWritten;
  // The temporary file is removed only once the trace is safely at its new name.
  QByteArray trace;
  if (!ReadWholeFile(tempPath_, &trace) || !WriteFileReplacing(target, trace)) return failed;
  QFile::remove(tempPath_);
  return SaveResult::Saved;
}

void TTraceRecorder::Discard() {
  if (recording_) Stop();
  if (!tempPath_.isEmpty()) QFile::remove(tempPath_);
}
