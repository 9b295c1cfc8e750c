// Runs every test under a QApplication, so widget tests and data tests share one main.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>

// The exit code ctest counts as a skipped test (SKIP_RETURN_CODE).
constexpr int kSkipped = 77;

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The runs on a real X server need one (scripts/x-server.sh starts one): skipped without.
  if (qgetenv("QT_QPA_PLATFORM") == "xcb" && qEnvironmentVariableIsEmpty("DISPLAY")) {
    std::fprintf(stderr, "No X display (DISPLAY is not set): the tests on the X server are skipped.\n");
    return kSkipped;
  }
  // Each test program gets a temporary folder of its own: test programs run side by side, and
  // tests that count or clean up temporary files must see only their own.
  QTemporaryDir privateTemp(QDir::tempPath() + QStringLiteral("/ecutest-XXXXXX"));
  if (privateTemp.isValid()) qputenv("TMPDIR", QFile::encodeName(privateTemp.path()));
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
