// Start-up of the program.
#include <QApplication>
#include <QLabel>

#include "BrandProfile.h"

int main(int argc, char** argv) {
  SelectBrand(kThisBuildBrandBit);
  QApplication app(argc, argv);
  app.setApplicationName(QString::fromLatin1(GetBrandTitle()));
  QLabel window(QString::fromLatin1(GetBrandTitle()));
  window.setWindowTitle(QString::fromLatin1(GetBrandTitle()));
  window.resize(480, 120);
  window.show();
  return app.exec();
}
