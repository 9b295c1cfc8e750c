#include "AboutBox.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "JpegImage.h"
#include "Language.h"

TAboutBox::TAboutBox(QWidget* owner)
    : TModalDialog(owner),
      Tarn(new QLabel),
      ProductName(new QLabel(QStringLiteral("Product Name"))),
      Version(new QLabel(QStringLiteral("x.x"))),
      Notice(new QLabel(QStringLiteral(
          "Configurazione della centralina del sistema di iniezione sequenziale GPL e Metano.\n"
          "Software libero: lo si può ridistribuire e modificare secondo i termini della GNU "
          "General Public License, versione 3 o successiva."))),
      OKButton(new QPushButton(QStringLiteral("&OK"))) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("About"));
  auto* panel = new QFrame;
  panel->setFrameShape(QFrame::StyledPanel);
  panel->setFrameShadow(QFrame::Sunken);
  Tarn->setObjectName(QStringLiteral("Tarn"));
  const QImage picture = SplashPicture();
  if (!picture.isNull())
    Tarn->setPixmap(QPixmap::fromImage(picture.scaledToWidth(160, Qt::SmoothTransformation)));
  ProductName->setObjectName(QStringLiteral("ProductName"));
  QFont bold = ProductName->font();
  bold.setBold(true);
  ProductName->setFont(bold);
  Version->setObjectName(QStringLiteral("Version"));
  Notice->setObjectName(QStringLiteral("Notice"));
  Notice->setWordWrap(true);
  auto* grid = new QGridLayout(panel);
  grid->addWidget(Tarn, 0, 0, 2, 1, Qt::AlignTop);
  grid->addWidget(ProductName, 0, 1);
  grid->addWidget(Version, 1, 1, Qt::AlignTop);
  grid->addWidget(Notice, 2, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, [this] { done(mrOk); });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panel);
  layout->addWidget(OKButton, 0, Qt::AlignHCenter);
  setMinimumWidth(420);
  TranslateCaption(Notice, 594);
  TranslateCaption(OKButton, 103);
}
