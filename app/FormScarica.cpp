#include "FormScarica.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "BrandProfile.h"
#include "FileTimes.h"
#include "Language.h"

TFormScarica* FormScarica = nullptr;

TFormScarica::TFormScarica(QWidget* owner)
    : TModalDialog(owner),
      LabelFile(new QLabel(QStringLiteral("File:"))),
      LabelN(new QLabel),
      Label1(new QLabel(QStringLiteral("Data:"))),
      LabelD(new QLabel),
      ButtonCambia(new QPushButton(QStringLiteral("&Cambia file"))),
      ButtonRiprogr(new QPushButton(QStringLiteral("&Programma"))),
      ButtonAnnulla(new QPushButton(QStringLiteral("&Annulla"))) {
  setObjectName(QStringLiteral("FormScarica"));
  setWindowTitle(QStringLiteral("Programmazione centralina"));
  LabelFile->setObjectName(QStringLiteral("LabelFile"));
  LabelN->setObjectName(QStringLiteral("LabelN"));
  Label1->setObjectName(QStringLiteral("Label1"));
  LabelD->setObjectName(QStringLiteral("LabelD"));
  ButtonCambia->setObjectName(QStringLiteral("ButtonCambia"));
  ButtonRiprogr->setObjectName(QStringLiteral("ButtonRiprogr"));
  ButtonRiprogr->setDefault(true);
  ButtonAnnulla->setObjectName(QStringLiteral("ButtonAnnulla"));

  OpenDialogFile.InitialDir = QStringLiteral("./Programmazione");
  Translate();
  OpenDialogFile.DefaultExt.clear();

  connect(ButtonCambia, &QPushButton::clicked, this, &TFormScarica::ButtonCambiaClick);
  connect(ButtonRiprogr, &QPushButton::clicked, this, [this] { done(mrOk); });
  connect(ButtonAnnulla, &QPushButton::clicked, this, [this] { done(mrCancel); });

  auto* info = new QGridLayout;
  info->addWidget(LabelFile, 0, 0);
  info->addWidget(LabelN, 0, 1);
  info->addWidget(Label1, 1, 0);
  info->addWidget(LabelD, 1, 1);
  info->setColumnStretch(1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ButtonCambia);
  buttons->addStretch(1);
  buttons->addWidget(ButtonRiprogr);
  buttons->addWidget(ButtonAnnulla);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(info);
  layout->addLayout(buttons);
  setMinimumWidth(400);
}

void TFormScarica::ChooseProgramFile() {
  if (OpenDialogFile.FileName.isEmpty()) {
    if (!OpenDialogFile.Execute(parentWidget())) {
      setResult(mrCancel);
      return;
    }
  }
  ShowProgramFileInfo();
  exec();
}

void TFormScarica::Translate() {
  const std::pair<QObject*, int> captions[] = {
      {this, 542}, {Label1, 539}, {ButtonCambia, 540}, {ButtonRiprogr, 541}, {ButtonAnnulla, 104}};
  for (const auto& [control, k] : captions) TranslateCaption(control, k);
  OpenDialogFile.Title = Tr(543);
  OpenDialogFile.Filter = Tr(544) + QStringLiteral("|*.") + QString::fromLatin1(GetBrandProgramExt()) +
                          QLatin1Char('|') + Tr(545) + QStringLiteral("|*.s19");
}

void TFormScarica::ButtonCambiaClick() {
  if (OpenDialogFile.Execute(this)) ShowProgramFileInfo();
}

void TFormScarica::ShowProgramFileInfo() {
  LabelN->setText(QFileInfo(OpenDialogFile.FileName).fileName());
  const QDateTime created = FileCreationTime(OpenDialogFile.FileName);
  LabelD->setText(created.isValid() ? FormatProgramFileDate(created.toLocalTime().date()) : Tr(546));
}

QString LocaleDateSeparator() {
  // The first mark between two fields of the short date; blanks and quotes do not count, so a
  // locale whose short date has none ("d MMM yyyy", the C locale) gives "/".
  const QString format = QLocale().dateFormat(QLocale::ShortFormat);
  for (const QChar c : format)
    if (!c.isLetterOrNumber() && !c.isSpace() && c != QLatin1Char('\'')) return QString(c);
  return QStringLiteral("/");
}

QString FormatProgramFileDate(const QDate& date) {
  const QString sep = LocaleDateSeparator();
  return QString::number(date.day()) + sep + QString::number(date.month()) + sep +
         QString::number(date.year());
}
