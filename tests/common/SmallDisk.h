#pragma once
// A small disk of its own for a test: a tmpfs mounted on a temporary folder, that the test can
// fill up or make read-only, to see what a save does on a full disk or in a folder that takes
// no file. Mounting needs root (CI runs as root); elsewhere the tests that need it skip with a
// message.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#if defined(__linux__)
#include <sys/mount.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>

class SmallDisk {
 public:
  // How a case leaves the disk before the save.
  enum class State { Full, ReadOnly };

  explicit SmallDisk(int kilobytes = 512) {
#if defined(__linux__)
    if (::geteuid() != 0 || !dir_.isValid()) {
      why_ = QStringLiteral("mounting a small tmpfs needs root");
      return;
    }
    const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k,mode=0755";
    if (::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0, options.constData()) != 0) {
      why_ = QStringLiteral("mount of a small tmpfs failed: ") + QString::fromLocal8Bit(std::strerror(errno));
      return;
    }
    mounted_ = true;
#else
    (void)kilobytes;
    why_ = QStringLiteral("a small tmpfs is mounted only on Linux");
#endif
  }
  ~SmallDisk() {
#if defined(__linux__)
    if (mounted_) ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
#endif
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool Mounted() const { return mounted_; }
  // Why there is no disk (for the skip message).
  const QString& WhyNot() const { return why_; }
  QString Path() const { return dir_.path(); }
  QString FilePath(const QString& name) const { return dir_.filePath(name); }

  // Takes every free byte of the disk with a filler file, then gives back leaveFree bytes.
  void Fill(qint64 leaveFree = 0) {
    QFile filler(dir_.filePath(QStringLiteral(".filler")));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered));
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size()) {
    }
    // The last partial block, byte by byte.
    while (filler.write("f", 1) == 1) {
    }
    filler.close();
    if (leaveFree > 0) {
      ASSERT_TRUE(filler.resize(filler.size() - leaveFree));
      return;
    }
    QFile probe(dir_.filePath(QStringLiteral(".probe")));
    ASSERT_TRUE(probe.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    EXPECT_NE(probe.write("x", 1), 1) << "the disk should be full";
    probe.close();
    probe.remove();
  }
  // Gives the filler's space back.
  void Free() { QFile::remove(dir_.filePath(QStringLiteral(".filler"))); }

  // Remounts the disk read-only (write permission bits do not stop root; a read-only mount does).
  void MakeReadOnly(bool readOnly = true) {
#if defined(__linux__)
    const unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
    ASSERT_EQ(::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", flags, nullptr), 0)
        << std::strerror(errno);
#else
    (void)readOnly;
#endif
  }

  // Puts the disk into the state of a case, and back.
  void Enter(State state) {
    if (state == State::Full)
      Fill();
    else
      MakeReadOnly(true);
  }
  void Leave(State state) {
    if (state == State::Full)
      Free();
    else
      MakeReadOnly(false);
  }

  static const char* Name(State state) { return state == State::Full ? "full disk" : "read-only folder"; }

 private:
  QTemporaryDir dir_;
  bool mounted_ = false;
  QString why_;
};

// Both ways a save can find no room.
inline constexpr SmallDisk::State kNoRoomStates[] = {SmallDisk::State::Full, SmallDisk::State::ReadOnly};

#define SKIP_WITHOUT_SMALL_DISK(disk) \
  if (!(disk).Mounted())              \
  GTEST_SKIP() << "no small disk for the full-disk tests: " << (disk).WhyNot().toStdString()
