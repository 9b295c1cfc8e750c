// The child process of the kill sweep, killed by its parent at some moment. Without end it
//   save <file>     saves configuration state 0, 1, 2, ... to the file;
//   save-named <file>  the same as on a file system without unnamed temporary files;
//   load <file>     saves state 0 once, then loads the file again and again;
//   trace <folder>  records a trace in the folder, one record after another.
// It says on its standard output what is complete: the number of each configuration state
// saved, or of each load; the trace's temporary file once made, then the number of each record
// appended.
#include <unistd.h>

#include <QFile>
#include <cstring>
#include <string>

#include "DurableFile.h"
#include "KillSweep.h"

namespace {

void Say(const std::string& line) {
  const std::string text = line + "\n";
  // Unbuffered, so the parent reads everything said before the kill.
  if (::write(STDOUT_FILENO, text.data(), text.size()) < 0) ::_exit(3);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  if (std::strcmp(argv[1], "save-named") == 0) {
    SetUnnamedTemporaryFiles(false);
    argv[1] = const_cast<char*>("save");
  }
  const bool save = std::strcmp(argv[1], "save") == 0;
  if (save || std::strcmp(argv[1], "load") == 0) {
    TEcuData data("default");
    kill_sweep::Mark(data, 0);
    for (int n = 0;; ++n) {
      if (save) kill_sweep::Mark(data, n);
      const bool done = save || n == 0 ? data.SaveConfiguration(argv[2]) == 1
                                       : data.LoadConfiguration(argv[2]) == 1;
      if (!done) {
        Say("failed");
        return 1;
      }
      Say(std::to_string(n));
    }
  }
  if (std::strcmp(argv[1], "trace") == 0) {
    TTraceRecorder recorder(QFile::decodeName(argv[2]));
    if (!recorder.Start(1, QStringLiteral("kill sweep"), 0)) return 1;
    Say(QFile::encodeName(recorder.TempPath()).toStdString());
    for (int n = 1;; ++n) {
      recorder.Append(static_cast<uint32_t>(n) * kill_sweep::kTickMs, kill_sweep::Record(n));
      Say(std::to_string(n));
    }
  }
  return 2;
}
