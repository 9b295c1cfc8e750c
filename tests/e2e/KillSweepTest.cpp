// A process killed at any moment of a configuration save or load, or of a trace recording: the
// files it leaves load whole, no plain copy of the configuration is left anywhere, and the
// trace lacks at most the record that was being written.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <random>
#include <string>

#include "KillSweep.h"
#include "TraceFile.h"

namespace {

constexpr int kKills = 8;  // for each kind of child
constexpr int kLongestDelayMs = 60;
constexpr int kWaitMs = 20000;

// Starts the child with TMPDIR in a folder of its own, lets it work for a random moment after
// it said its first line, kills it, and returns every line it said completely.
class KilledChild {
 public:
  KilledChild(const QString& what, const QString& path, const QString& tmp, int delayMs) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), tmp);
    process_.setProcessEnvironment(env);
    process_.start(QStringLiteral(KILL_SWEEP_CHILD), {what, path});
    if (!process_.waitForStarted(kWaitMs)) return;
    while (lines_.isEmpty() && process_.state() == QProcess::Running && process_.waitForReadyRead(kWaitMs))
      Read();
    QElapsedTimer since;
    since.start();
    while (since.elapsed() < delayMs && process_.state() == QProcess::Running) {
      process_.waitForReadyRead(static_cast<int>(delayMs - since.elapsed()));
      Read();
    }
    runningAtKill_ = process_.state() == QProcess::Running;
    if (runningAtKill_) ::kill(static_cast<pid_t>(process_.processId()), SIGKILL);
    process_.waitForFinished(kWaitMs);
    Read();
  }

  bool RunningAtKill() const { return runningAtKill_; }
  const QList<QByteArray>& Lines() const { return lines_; }
  // The last line said as a number; -1 when the last line is none.
  int LastNumber() const {
    bool ok = false;
    const int n = lines_.isEmpty() ? -1 : lines_.last().toInt(&ok);
    return ok ? n : -1;
  }

 private:
  void Read() {
    pending_ += process_.readAllStandardOutput();
    qsizetype end = 0;
    while ((end = pending_.indexOf('\n')) >= 0) {
      lines_ << pending_.left(end);
      pending_.remove(0, end + 1);
    }
  }

  QProcess process_;
  QByteArray pending_;  // a line not yet ended
  QList<QByteArray> lines_;
  bool runningAtKill_ = false;
};

// The moments of the kills: a fixed series, so a failure can be run again.
std::vector<int> Delays() {
  std::mt19937 random(19);
  std::uniform_int_distribution<int> delay(0, kLongestDelayMs);
  std::vector<int> delays(kKills);
  for (int& d : delays) d = delay(random);
  return delays;
}

// Files under folder whose bytes hold configuration text in the clear.
QStringList PlainCopies(const QString& folder) {
  QStringList found;
  QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    QFile file(it.next());
    if (!file.open(QIODevice::ReadOnly)) continue;
    const QByteArray bytes = file.readAll();
    for (const char* clear : {"DECRYPTED_DOZA_FILE", "[Versione]", "Mappa0_0=", "Prova "})
      if (bytes.contains(clear)) {
        found << it.filePath();
        break;
      }
  }
  return found;
}

}  // namespace

TEST(KillSweep, ConfigurationSaveOrLoadKilledLeavesNoPlainCopyAndAWholeFile) {
  int wrong = 0;
  int kills = 0;
  for (const char* what : {"save", "load"}) {
    for (const int delay : Delays()) {
      SCOPED_TRACE(std::string(what) + " killed " + std::to_string(delay) + " ms after the first save");
      ++kills;
      QTemporaryDir root;
      ASSERT_TRUE(root.isValid());
      const QString tmp = root.filePath(QStringLiteral("tmp"));
      ASSERT_TRUE(QDir().mkpath(tmp));
      ASSERT_TRUE(QDir().mkpath(root.filePath(QStringLiteral("Configurazioni"))));
      const QString file = root.filePath(QStringLiteral("Configurazioni/kill.trm"));
      const KilledChild child(QString::fromLatin1(what), file, tmp, delay);
      ASSERT_TRUE(child.RunningAtKill()) << child.Lines().join(' ').toStdString();
      const int done = child.LastNumber();
      ASSERT_GE(done, 0);
      // The state of the last complete save, or of the one the kill cut short.
      const int saved = what[0] == 's' ? done : 0;
      const int next = what[0] == 's' ? done + 1 : 0;

      const QStringList plain = PlainCopies(root.path());
      EXPECT_TRUE(plain.isEmpty()) << plain.join(QLatin1Char(' ')).toStdString();
      TEcuData data("default");
      EXPECT_EQ(data.LoadConfiguration(QFile::encodeName(file).constData()), 1) << data.FileRefusal().Where();
      const int loaded = kill_sweep::MarkOf(data);
      EXPECT_TRUE(loaded == saved || loaded == next) << "saved " << saved << ", loaded " << loaded;
      std::printf("%s killed after %d: the file holds state %d, %d plain copies\n", what, done, loaded,
                  static_cast<int>(plain.size()));
      wrong += !plain.isEmpty() || (loaded != saved && loaded != next);
    }
  }
  EXPECT_EQ(wrong, 0) << wrong << " of " << kills << " kills went wrong";
}

// Where the file system has no unnamed temporary files a kill before the rename leaves the
// sibling of the save; the next save of the file removes it, and the file loads whole.
TEST(KillSweep, SiblingsThatKilledSavesLeaveGoWithTheNextSave) {
  int left = 0;
  int wrong = 0;
  for (const int delay : Delays()) {
    for (int again = 0; again < 3; ++again) {
      SCOPED_TRACE("killed " + std::to_string(delay) + " ms after the first save");
      QTemporaryDir root;
      ASSERT_TRUE(root.isValid());
      const QString file = root.filePath(QStringLiteral("kill.trm"));
      const KilledChild child(QStringLiteral("save-named"), file, root.path(), delay + again);
      ASSERT_TRUE(child.RunningAtKill());
      const auto siblings = [&] {
        return QDir(root.path()).entryList({QStringLiteral("kill.trm.*")}, QDir::Files | QDir::Hidden);
      };
      left += !siblings().isEmpty();
      TEcuData data("default");
      EXPECT_EQ(data.LoadConfiguration(QFile::encodeName(file).constData()), 1) << data.FileRefusal().Where();
      kill_sweep::Mark(data, 99);
      EXPECT_EQ(data.SaveConfiguration(QFile::encodeName(file).constData()), 1);
      EXPECT_TRUE(siblings().isEmpty()) << siblings().join(QLatin1Char(' ')).toStdString();
      wrong += !siblings().isEmpty();
    }
  }
  std::printf("%d of %d kills left a sibling\n", left, 3 * kKills);
  EXPECT_EQ(wrong, 0) << wrong << " saves left a sibling";
}

TEST(KillSweep, RecordingKilledLosesAtMostTheRecordBeingWritten) {
  int wrong = 0;
  for (const int delay : Delays()) {
    SCOPED_TRACE("killed " + std::to_string(delay) + " ms after the start");
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const KilledChild child(QStringLiteral("trace"), root.filePath(QStringLiteral("Temporanee")), root.path(),
                            delay);
    ASSERT_TRUE(child.RunningAtKill());
    ASSERT_FALSE(child.Lines().isEmpty());
    const QString trace = QFile::decodeName(child.Lines().first());
    // The last record appended whole; the next one may have been on its way.
    const int appended = child.Lines().size() > 1 ? child.LastNumber() : 0;
    ASSERT_GE(appended, 0);

    const TTraceFile read = TTraceFile::Read(trace);
    const bool whole = read.status == TTraceFile::Status::Ok;
    EXPECT_TRUE(whole) << trace.toStdString();
    const int records = whole ? read.records : 0;
    EXPECT_GE(records, appended);
    EXPECT_LE(records, appended + 1);
    for (int k = 0; k < records; ++k)
      ASSERT_DOUBLE_EQ(read.time[static_cast<size_t>(k)], (k + 1) * kill_sweep::kTickMs * 0.001) << k;
    std::printf("killed after %d records appended: %d in the file\n", appended, records);
    wrong += !whole || records < appended || records > appended + 1;
  }
  EXPECT_EQ(wrong, 0) << wrong << " of " << kKills << " kills went wrong";
}
