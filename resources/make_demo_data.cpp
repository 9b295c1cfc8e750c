// Prepares a demo data folder: writes the parts of the demo set that are missing there.
//   ecu_demo_data <data folder>
// Exit code 0 when the set is complete, 1 (with what is missing on stderr) otherwise.
#include <QCoreApplication>
#include <QTextStream>

#include "DemoData.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  QTextStream err(stderr);
  if (args.size() != 2) {
    err << "usage: ecu_demo_data <data folder>\n";
    return 2;
  }
  const QStringList problems = WriteDemoDataSet(args[1]);
  for (const QString& p : problems) err << "cannot write " << p << '\n';
  return problems.isEmpty() ? 0 : 1;
}
