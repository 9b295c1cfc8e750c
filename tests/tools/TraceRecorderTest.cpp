#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "TraceReaderRule.h"
#include "TraceRecorder.h"

namespace {

const QString kStart = QString::fromUtf8("luned\u00EC 1 gennaio 2024 08:30:00");

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString GoldenPath(const char* name) {
  return QFileInfo(QString::fromUtf8(__FILE__)).dir().filePath(QStringLiteral("golden/") + name);
}

// Three ticks of a warm engine on gas, with a bank-2 side.
std::vector<TTraceRecord> SampleRecords() {
  std::vector<TTraceRecord> out;
  for (int i = 0; i < 3; ++i) {
    TTraceRecord r;
    r.rpm = 850 + 600 * i;
    r.map = 1.18 + 0.35 * i;
    r.cumulo = i * 4;
    r.tps = 0.55 + 0.2 * i;
    r.lambda = i == 1 ? 0.1 : 0.82;
    r.gasInjection = 3.236 + 0.004 * i;
    r.correction = -7 + 9 * i;
    r.petrolInjection = 2.9 + i * 0.004;
    r.petrolCorrection = i == 2 ? 0 : -45 + 60 * i;
    r.flag1 = 0x33;
    r.enrichment = i * 0.004;
    r.pressure = i == 0 ? 0 : 1.08 + 0.01 * i;
    r.temperatureRaw = 128 + i;
    r.level = 200;
    r.lambda2 = 0.78;
    r.correction2 = 25 - 30 * i;
    r.injection2 = 3.252;
    out.push_back(r);
  }
  return out;
}

QString Record(QTemporaryDir& dir, int format) {
  TTraceRecorder rec(dir.path());
  EXPECT_TRUE(rec.Start(format, kStart, 5000));
  uint32_t tick = 5000;
  for (const auto& r : SampleRecords()) {
    rec.Append(tick, r);
    tick += 170;
  }
  EXPECT_TRUE(rec.Stop());
  return rec.TempPath();
}

}  // namespace

// Both formats against their golden files, and the chart's reader accepts them.
TEST(TraceRecorder, GoldenFilesOfBothFormats) {
  for (int format : {1, 2}) {
    SCOPED_TRACE(format);
    QTemporaryDir dir;
    const QByteArray written = ReadAll(Record(dir, format));
    const QByteArray golden = ReadAll(GoldenPath(format == 1 ? "trace_format1.txt" : "trace_format2.txt"));
    ASSERT_FALSE(golden.isEmpty());
    EXPECT_EQ(written, golden);
    const auto check = trace_rule::Check(written);
    EXPECT_TRUE(check.accepted);
    EXPECT_EQ(check.format, format);
    EXPECT_EQ(check.records, 3);
    // Every line ends in CR LF, and the last record has no line end.
    EXPECT_EQ(written.count("\r\n"), 4);
    EXPECT_EQ(written.count('\n'), 4);
    EXPECT_FALSE(written.endsWith('\n'));
    // TEMPO counts from the start tick.
    EXPECT_TRUE(written.contains("\r\n0\t850\t"));
    EXPECT_TRUE(written.contains("\r\n340\t2050\t"));
  }
}

TEST(TraceRecorder, TheReaderRejectsWhatItCannotScan) {
  // The rule itself: a decimal where an integer belongs, an empty line, a bad first line. One
  // line end after the last record is taken.
  const QByteArray good = TTraceRecorder::HeaderLines(1, kStart) +
                          TTraceRecorder::RecordLine(0, SampleRecords()[0], 1);
  EXPECT_TRUE(trace_rule::Check(good).accepted);
  EXPECT_TRUE(trace_rule::Check(good + "\r\n").accepted);
  EXPECT_FALSE(trace_rule::Check(good + "\r\n\r\n").accepted);
  QByteArray decimals = good;
  decimals.replace("\t-45\t", "\t-45.25\t");  // COR.BNZ with decimals stops the scan
  EXPECT_FALSE(trace_rule::Check(decimals).accepted);
  QByteArray notAvailable = good;
  notAvailable.replace("\t-45\t", "\tn.d.\t");
  EXPECT_FALSE(trace_rule::Check(notAvailable).accepted);
  EXPECT_FALSE(trace_rule::Check("Versione 1\r\nTEMPO").accepted);
}

TEST(TraceRecorder, StoppedAtOnceHoldsOnlyTheHeader) {
  QTemporaryDir dir;
  TTraceRecorder rec(dir.path());
  ASSERT_TRUE(rec.Start(1, kStart, 0));
  EXPECT_TRUE(rec.IsRecording());
  EXPECT_TRUE(rec.Stop());
  EXPECT_FALSE(rec.IsRecording());
  const QByteArray bytes = ReadAll(rec.TempPath());
  EXPECT_EQ(bytes, TTraceRecorder::HeaderLines(1, kStart));
  EXPECT_TRUE(bytes.endsWith("TEMP.\tLIVELLO"));
  const auto check = trace_rule::Check(bytes);
  EXPECT_TRUE(check.accepted);
  EXPECT_EQ(check.records, 0);
}

// Every record is in the file as soon as it is appended, long before the stop: a crash or a kill
// loses at most the record being written.
TEST(TraceRecorder, RecordsAreInTheFileAsTheyAreTaken) {
  QTemporaryDir dir;
  TTraceRecorder rec(dir.path());
  ASSERT_TRUE(rec.Start(1, kStart, 0));
  for (uint32_t n = 1; n <= 3; ++n) {
    rec.Append(n * 170, TTraceRecord{});
    EXPECT_EQ(trace_rule::Check(ReadAll(rec.TempPath())).records, static_cast<int>(n));
  }
  rec.Stop();
}

// The temporary files of recordings live in a folder of their own inside the acquisitions; at
// start-up the ones an earlier run left are listed in name order, and nothing else is.
TEST(TraceRecorder, UnsavedRecordingsAreTheTemporaryFilesLeft) {
  QTemporaryDir dir;
  const QString folder = TTraceRecorder::TempFolderFor(dir.path());
  EXPECT_EQ(QFileInfo(folder).absolutePath(), QFileInfo(dir.path()).absoluteFilePath());
  EXPECT_TRUE(TTraceRecorder::UnsavedRecordings(folder).isEmpty());    // no folder yet
  ASSERT_TRUE(QDir().mkpath(QDir(folder).filePath("__acqtmp3.txt")));  // a folder, not a recording
  for (const char* name : {"__acqtmp10.txt", "__acqtmp0.txt", "prova.txt", "__acqtmp1.dma"}) {
    QFile f(QDir(folder).filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  EXPECT_EQ(TTraceRecorder::UnsavedRecordings(folder),
            (QStringList{QDir(folder).filePath("__acqtmp0.txt"), QDir(folder).filePath("__acqtmp10.txt")}));
}

TEST(TraceRecorder, TempoWrapsLikeTheTickCounter) {
  const QByteArray line = TTraceRecorder::RecordLine(0u - 0xFFFFFF00u + 0x100u, TTraceRecord{}, 1);
  EXPECT_TRUE(line.startsWith("\r\n512\t0\t0\t")) << line.constData();
}

TEST(TraceRecorder, TakesTheFirstFreeTemporaryName) {
  QTemporaryDir dir;
  for (const char* taken : {"__acqtmp0.txt", "__acqtmp1.txt", "__acqtmp3.txt"}) {
    QFile f(QDir(dir.path()).filePath(taken));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("keep");
  }
  TTraceRecorder rec(dir.path());
  ASSERT_TRUE(rec.Start(2, kStart, 0));
  EXPECT_EQ(QFileInfo(rec.TempPath()).fileName(), "__acqtmp2.txt");
  rec.Stop();
  // The files already there are untouched.
  EXPECT_EQ(ReadAll(QDir(dir.path()).filePath("__acqtmp1.txt")), "keep");
  TTraceRecorder second(dir.path());
  ASSERT_TRUE(second.Start(1, kStart, 0));
  EXPECT_EQ(QFileInfo(second.TempPath()).fileName(), "__acqtmp4.txt");
  second.Stop();
}

TEST(TraceRecorder, AFolderThatTakesNoFileIsReported) {
  QTemporaryDir dir;
  // A missing folder is made; one whose parent is a file cannot be.
  TTraceRecorder made(QDir(dir.path()).filePath("missing/folder"));
  EXPECT_TRUE(made.Start(1, kStart, 0));
  EXPECT_EQ(made.TempPath(), QDir(dir.path()).filePath("missing/folder/__acqtmp0.txt"));
  made.Stop();
  QFile file(QDir(dir.path()).filePath("file"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  TTraceRecorder rec(QDir(dir.path()).filePath("file/folder"));
  EXPECT_FALSE(rec.Start(1, kStart, 0));
  EXPECT_FALSE(rec.IsRecording());
  rec.Append(10, TTraceRecord{});  // nothing to write to, nothing happens
  EXPECT_TRUE(rec.TempPath().isEmpty());
}

TEST(TraceRecorder, SaveCancelAndTargetsThatCannotBeReplaced) {
  QTemporaryDir dir;
  const QDir d(dir.path());
  const QByteArray trace = ReadAll(Record(dir, 1));

  {  // A new name: moved, the temporary file is gone.
    TTraceRecorder rec(dir.path());
    rec.Start(1, kStart, 0);
    rec.Stop();
    const QString temp = rec.TempPath();
    EXPECT_EQ(rec.SaveAs(d.filePath("nuova.txt")), TTraceRecorder::SaveResult::Saved);
    EXPECT_FALSE(QFile::exists(temp));
    EXPECT_EQ(ReadAll(d.filePath("nuova.txt")), TTraceRecorder::HeaderLines(1, kStart));
  }
  {  // An existing file is replaced by the whole new trace.
    QFile old(d.filePath("vecchia.txt"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old trace that is much longer than the new one ..............................");
    old.close();
    TTraceRecorder rec(dir.path());
    rec.Start(1, kStart, 0);
    rec.Stop();
    EXPECT_EQ(rec.SaveAs(d.filePath("vecchia.txt")), TTraceRecorder::SaveResult::Saved);
    EXPECT_EQ(ReadAll(d.filePath("vecchia.txt")), TTraceRecorder::HeaderLines(1, kStart));
  }
  {  // A target that cannot be replaced (a folder of that name) stays, and so does the trace.
    ASSERT_TRUE(d.mkpath("occupato.txt"));
    ASSERT_TRUE(QFile(d.filePath("occupato.txt/inside")).open(QIODevice::WriteOnly));
    TTraceRecorder rec(dir.path());
    rec.Start(1, kStart, 0);
    rec.Append(170, SampleRecords()[0]);
    rec.Stop();
    const QByteArray kept = ReadAll(rec.TempPath());
    EXPECT_EQ(rec.SaveAs(d.filePath("occupato.txt")), TTraceRecorder::SaveResult::NotReplaced);
    EXPECT_TRUE(QFileInfo(d.filePath("occupato.txt/inside")).exists());
    EXPECT_EQ(ReadAll(rec.TempPath()), kept);
    // A name in a folder that does not exist is not written; the trace is still kept.
    EXPECT_EQ(rec.SaveAs(d.filePath("nessuna/cartella.txt")), TTraceRecorder::SaveResult::NotWritten);
    EXPECT_EQ(ReadAll(rec.TempPath()), kept);
    // The user then picks another name.
    EXPECT_EQ(rec.SaveAs(d.filePath("altra.txt")), TTraceRecorder::SaveResult::Saved);
    EXPECT_EQ(ReadAll(d.filePath("altra.txt")), kept);
  }
  {  // The temporary file itself chosen as the name (through another spelling of its path): the
     // trace is already there and stays.
    TTraceRecorder rec(dir.path());
    rec.Start(1, kStart, 0);
    rec.Append(170, SampleRecords()[0]);
    rec.Stop();
    const QByteArray kept = ReadAll(rec.TempPath());
    const QString sameFile = d.filePath("./" + QFileInfo(rec.TempPath()).fileName());
    EXPECT_EQ(rec.SaveAs(sameFile), TTraceRecorder::SaveResult::Saved);
    EXPECT_EQ(ReadAll(rec.TempPath()), kept);
  }
  {  // Cancel: the temporary file is deleted.
    TTraceRecorder rec(dir.path());
    rec.Start(2, kStart, 0);
    rec.Stop();
    const QString temp = rec.TempPath();
    ASSERT_TRUE(QFile::exists(temp));
    rec.Discard();
    EXPECT_FALSE(QFile::exists(temp));
  }
  EXPECT_FALSE(trace.isEmpty());
}
