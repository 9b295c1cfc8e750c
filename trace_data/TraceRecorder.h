#pragma once
// Real-time trace recording: a tab-separated text file written while the configuration editor
// runs its live tick. The trace goes to a temporary file first ("__acqtmp<N>.txt") and is moved
// to the name the user chooses when the recording stops. Every write goes straight to the
// operating system, so a crash or a kill loses at most the record being written; the temporary
// file of a recording that never got its name stays for the user (UnsavedRecordings).
//
// File layout (CR LF line ends, numbers in C-locale notation, doubles in general notation with
// up to 6 significant digits):
//   line 1  "Ver. 1 <format> real time data RID2001, <start date and time>"
//   line 2  the column titles (15 for format 1, 18 for format 2)
//   then one record per tick, each starting with a line end, so the file ends without one.
#include <QFile>
#include <QString>
#include <QStringList>
#include <cstdint>

// One record of a trace, in the units the file holds.
struct TTraceRecord {
  int rpm = 0;
  double map = 0;  // V, rounded to 0.01
  int cumulo = 0;
  double tps = 0;           // V, rounded to 0.01
  double lambda = 0;        // V, rounded to 0.01
  double gasInjection = 0;  // ms
  int correction = 0;
  double petrolInjection = 0;  // ms
  int petrolCorrection = 0;    // per mille, 0 when not available
  int flag1 = 0;
  double enrichment = 0;  // ms
  double pressure = 0;    // bar
  int temperatureRaw = 0;
  int level = 0;
  // Format 2 only.
  double lambda2 = 0;  // V, rounded to 0.01
  int correction2 = 0;
  double injection2 = 0;  // ms
};

class TTraceRecorder {
 public:
  // Outcome of moving the finished trace to its chosen name.
  enum class SaveResult {
    Saved,        // the trace is at the chosen name, the temporary file is gone
    NotReplaced,  // the chosen file exists and was left as it was; the temporary file is kept
    NotWritten,   // the chosen name could not be written; the temporary file is kept
  };

  // folder: where the temporary files are made.
  explicit TTraceRecorder(const QString& folder);
  ~TTraceRecorder();
  TTraceRecorder(const TTraceRecorder&) = delete;
  TTraceRecorder& operator=(const TTraceRecorder&) = delete;

  // Creates the first "__acqtmp<N>.txt" (N = 0, 1, ...) that does not exist yet and writes
  // the two header lines. format: 2 with two lambda probes, else 1. startText: the start date
  // and time as the first line shows it. False when no temporary file could be made.
  bool Start(int format, const QString& startText, uint32_t startTick);
  // Appends one record; TEMPO is tick - the start tick (wrapping like the tick counter).
  void Append(uint32_t tick, const TTraceRecord& record);
  // Closes the temporary file. False when a write failed since Start.
  bool Stop();

  // After Stop: moves the trace to target, replacing an existing file only by a complete
  // new one (the old file stays intact when anything fails).
  SaveResult SaveAs(const QString& target);
  // After Stop: deletes the temporary file.
  void Discard();

  // Folder of the temporary files, made at Start when missing; a change applies from the next
  // Start.
  void SetFolder(const QString& folder) { folder_ = folder; }
  const QString& Folder() const { return folder_; }
  bool IsRecording() const { return recording_; }
  int Format() const { return format_; }
  // The temporary file of the last Start (empty before).
  const QString& TempPath() const { return tempPath_; }

  static QString TempFileName(int n);
  // Where the temporary files of recordings go for an acquisitions folder: a folder of its own
  // inside it, so that the save dialog, which opens on the acquisitions, does not list them.
  static QString TempFolderFor(const QString& acquisitions);
  // The temporary files in folder, in name order: at start-up, the recordings an earlier run
  // left without a name (a crash, a kill, a save that failed).
  static QStringList UnsavedRecordings(const QString& folder);
  static QByteArray HeaderLines(int format, const QString& startText);
  // One record with its leading line end.
  static QByteArray RecordLine(uint32_t elapsedMs, const TTraceRecord& record, int format);
  // The start text of line 1: the locale's long date and long time.
  static QString StartText();

 private:
  void Write(const QByteArray& bytes);

  QString folder_;
  QString tempPath_;
  QFile file_;
  int format_ = 1;
  uint32_t startTick_ = 0;
  bool recording_ = false;
  bool writeFailed_ = false;
};
