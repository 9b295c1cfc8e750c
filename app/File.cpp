#include "File.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "BaseCalibration.h"
#include "BrandProfile.h"
#include "ConfigActions.h"
#include "ConfigFileFormat.h"
#include "EcuData.h"
#include "FileTimes.h"
#include "FormMessaggio.h"
#include "Language.h"
#include "MessageSink.h"
#include "NumericEdit.h"
#include "PrivateMessage.h"
#include "Prompt.h"
#include "ScreenScale.h"
#include "WaitCursor.h"

TFormFile* FormFile = nullptr;

namespace {

constexpr int kFormWidth = 470;
constexpr int kFormHeight = 430;
constexpr int kNameLength = 50;
constexpr int kCodeCilindrata = 0x24B;

QLineEdit* NewTextEdit(QWidget* parent, const char* name, int maxLength) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QLatin1String(name));
  edit->setMaxLength(maxLength);
  return edit;
}

TNumericEdit* NewNumberEdit(QWidget* parent, const char* name, double precision, double max) {
  auto* edit = new TNumericEdit(parent);
  edit->setObjectName(QLatin1String(name));
  edit->SetPrecision(precision);
  edit->SetMaxValue(max);
  edit->SetValidation(false);
  edit->SetInt(0);
  return edit;
}

QByteArray FileName8(const QString& path) { return QFile::encodeName(path); }

bool IsCng() { return EcuData && EcuData->GetFlag1(4); }

}  // namespace

QString ConfigExtension() {
  char ext[kBrandExtSize] = {};
  return QString::fromLatin1(GetBrandConfigExtFor(ext, 0));
}

TFormFile::TFormFile(QWidget* owner, bool* existsFlag, int mode, const QString& basePath)
    : TModalDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      mode_(mode == ModeLoad ? ModeLoad : ModeSave),
      basePath_(QDir::fromNativeSeparators(basePath)),
      ext_(ConfigExtension()) {
  TWaitCursor hourglass;
  setObjectName(QStringLiteral("FormFile"));
  FormFile = this;

  ListFile = new QTreeWidget(this);
  ListFile->setObjectName(QStringLiteral("ListFile"));
  ListFile->setColumnCount(2);
  ListFile->setRootIsDecorated(false);
  ListFile->setItemsExpandable(false);
  ListFile->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListFile->setSelectionMode(QAbstractItemView::SingleSelection);
  ListFile->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListFile->setSortingEnabled(false);  // ScanConfigFiles puts the names in order itself
  ListFile->header()->setSectionsMovable(false);
  ListFile->header()->setStretchLastSection(true);
  ListFile->setHeaderLabels({QStringLiteral("Configurazioni disponibili"), QString()});

  LabelFile = new QLabel(this);
  LabelFile->setObjectName(QStringLiteral("LabelFile"));
  EditName = new QLineEdit(this);
  EditName->setObjectName(QStringLiteral("EditName"));
  LabelFile->setBuddy(EditName);
  LabelFile->hide();
  EditName->hide();

  LabelCilindrata = new QLabel(Tr(355), this);
  LabelCilindrata->setObjectName(QStringLiteral("LabelCilindrata"));
  EditCilindrata = NewNumberEdit(this, "EditCilindrata", 1, 10000);
  LabelCilindrata->setBuddy(EditCilindrata);

  CheckSalvaPerTaratura = new QCheckBox(Tr(356), this);
  CheckSalvaPerTaratura->setObjectName(QStringLiteral("CheckSalvaPerTaratura"));
  CheckSalvaPerTaratura->hide();
  CheckTurbo = new QCheckBox(QStringLiteral("Turbo"), this);
  CheckTurbo->setObjectName(QStringLiteral("CheckTurbo"));
  CheckTurbo->hide();
  CheckMappa = new QCheckBox(Tr(358), this);
  CheckMappa->setObjectName(QStringLiteral("CheckMappa"));
  BuildGroupDetails();

  ButtonOk = new QPushButton(Tr(103), this);
  ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
  ButtonOk->setAutoDefault(false);
  // Return in the name or on a file of the list confirms as OK does (Enter in the displacement
  // confirms that field and moves on).
  ButtonOk->setDefault(true);
  ButtonAnnulla = AddCloseButton(Tr(104), QStringLiteral("ButtonAnnulla"), mrCancel);

  auto* cilindrata = new QHBoxLayout;
  cilindrata->addWidget(LabelCilindrata);
  cilindrata->addWidget(EditCilindrata);
  cilindrata->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ButtonOk);
  buttons->addWidget(ButtonAnnulla);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(LabelFile);
  layout->addWidget(EditName);
  layout->addWidget(ListFile, 1);
  layout->addLayout(cilindrata);
  layout->addWidget(CheckSalvaPerTaratura);
  layout->addWidget(CheckTurbo);
  layout->addWidget(CheckMappa);
  layout->addWidget(GroupDetails);
  layout->addLayout(buttons);

  // Laid out for a screen 800 pixels wide.
  const int screenWidth = FittedScreenWidth(QSize(kFormWidth, kFormHeight));
  ScaleFontToScreen(this, screenWidth);
  resize(ScaleToScreen(kFormWidth, screenWidth), ScaleToScreen(kFormHeight, screenWidth));

  connect(ButtonOk, &QPushButton::clicked, this, &TFormFile::ButtonOkClick);
  connect(CheckSalvaPerTaratura, &QCheckBox::toggled, CheckTurbo, &QWidget::setVisible);
  connect(ListFile, &QTreeWidget::itemSelectionChanged, this, [this] {
    const QList<QTreeWidgetItem*> selected = ListFile->selectedItems();
    if (!selected.isEmpty()) EditName->setText(selected.first()->text(0));
  });
  // A double click runs OK only over an item (the signal comes for items only).
  connect(ListFile, &QTreeWidget::itemDoubleClicked, this, [this] { ButtonOkClick(); });

  if (mode_ == ModeSave) {
    CheckSalvaPerTaratura->show();
    EditCilindrata->SetNextControl(CheckSalvaPerTaratura);
  }

  // The folder, made when missing; the process's current directory is never changed.
  folder_ = basePath_ + QStringLiteral("/Configurazioni/");
  if (IsCng()) folder_ += QStringLiteral("Metano/");
  QDir().mkpath(folder_);

  textCaption_[ModeSave] = Tr(351);
  textCaption_[ModeLoad] = Tr(352);
  textMissing_ = Tr(362);
  textOverwrite_ = Tr(363);
  textUnsaved_ = Tr(364);
  ListFile->setHeaderLabels({Tr(353) + QStringLiteral(" - ") + (IsCng() ? Tr(61) : Tr(63)), Tr(354)});

  setWindowTitle(textCaption_[mode_]);
  if (mode_ == ModeSave) {
    EditCilindrata->SetInt(EcuData ? static_cast<int>(std::trunc(EcuData->GetValue(kCodeCilindrata))) : 0);
    LabelFile->setText(Tr(359));
    LabelFile->show();
    EditName->show();
    EditName->setMaxLength(kNameLength);
    EditName->setText(
        NameFromDescription(EcuData ? QString::fromLatin1(EcuData->GetDescription()) : QString()));
    // The dialog is there to take a name: it opens in the name with the proposal selected, so
    // that what the user types at once replaces it.
    EditName->selectAll();
    EditName->setFocus();
  } else {
    LabelFile->setText(Tr(360));
    EditName->setEnabled(false);
    if (existsFlag)
      *existsFlag = !QDir(folder_).entryList({QStringLiteral("*.") + ext_}, QDir::Files).isEmpty();
  }
}

TFormFile::~TFormFile() {
  if (FormFile == this) FormFile = nullptr;
}

void TFormFile::BuildGroupDetails() {
  GroupDetails = new QGroupBox(QStringLiteral("Dati identificativi del file"), this);
  GroupDetails->setObjectName(QStringLiteral("GroupDetails"));
  EditAuto = NewTextEdit(GroupDetails, "EditAuto", 50);
  EditEuro = NewTextEdit(GroupDetails, "EditEuro", 10);
  EditMotore = NewTextEdit(GroupDetails, "EditMotore", 50);
  EditCentralina = NewTextEdit(GroupDetails, "EditCentralina", 50);
  EditCambio = NewTextEdit(GroupDetails, "EditCambio", 50);
  EditValvole = NewNumberEdit(GroupDetails, "EditValvole", 1, 100);
  EditCilindri = NewNumberEdit(GroupDetails, "EditCilindri", 1, 100);
  EditPotenza = NewNumberEdit(GroupDetails, "EditPotenza", 0.01, 1000);
  EditAnno = NewNumberEdit(GroupDetails, "EditAnno", 1, 2100);
  auto* form = new QFormLayout(GroupDetails);
  form->addRow(QStringLiteral("Auto"), EditAuto);
  form->addRow(QStringLiteral("Euro"), EditEuro);
  form->addRow(QStringLiteral("Motore"), EditMotore);
  form->addRow(QStringLiteral("Centralina"), EditCentralina);
  form->addRow(QStringLiteral("Cambio"), EditCambio);
  form->addRow(QStringLiteral("Valvole"), EditValvole);
  form->addRow(QStringLiteral("Cilindri"), EditCilindri);
  form->addRow(QStringLiteral("Potenza"), EditPotenza);
  form->addRow(QStringLiteral("Anno"), EditAnno);
  GroupDetails->hide();
}

QString TFormFile::NameFromDescription(const QString& description) {
  QString name = description.left(TEcuData::kDescriptionLen);
  static const QString kDropped = QStringLiteral("./\\\",;");
  name.removeIf([](QChar c) { return kDropped.contains(c); });
  return name;
}

bool TFormFile::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate && !busy_ && isVisible()) {
    ScanConfigFiles();
    if (mode_ == ModeLoad && ListFile->topLevelItemCount() > 0) {
      QTreeWidgetItem* first = ListFile->topLevelItem(0);
      ListFile->setCurrentItem(first);
      first->setSelected(true);
    }
  }
  return TModalDialog::event(e);
}

void TFormFile::ScanConfigFiles() {
  TWaitCursor hourglass;
  ListFile->clear();
  TFormMessaggio notice(this);
  // The notice must not take the activation: coming back active would start another scan.
  notice.setAttribute(Qt::WA_ShowWithoutActivating);
  notice.setWindowTitle(Tr(549));
  notice.Messaggio->setText(Tr(550));
  notice.show();
  notice.repaint();
  repaint();

  struct Entry {
    QString name;
    QString date;
  };
  std::vector<Entry> entries;
  const QDir dir(folder_);
  const QStringList files = dir.entryList({QStringLiteral("*.") + ext_}, QDir::Files);
  const QLocale locale;
  for (const QString& file : files) {
    // The calendar date as the file system stores the time, without moving it to local time.
    const QDateTime created = FileCreationTime(dir.filePath(file));
    entries.push_back(
        {file.left(file.size() - 4),
         created.isValid() ? locale.toString(created.toUTC().date(), QLocale::ShortFormat) : QString()});
  }
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    const int c = a.name.compare(b.name, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a.name < b.name;
  });
  for (const Entry& entry : entries) new QTreeWidgetItem(ListFile, QStringList{entry.name, entry.date});

  const int width = ListFile->viewport()->width();
  ListFile->header()->resizeSection(0, width * 70 / 100);
}

void TFormFile::ButtonOkClick() {
  if (busy_ || EditName->text().isEmpty()) return;
  busy_ = true;
  if (mode_ == ModeSave)
    SaveClick();
  else
    LoadClick();
  busy_ = false;
}

void TFormFile::SaveClick() {
  QString name = EditName->text();
  // A typed name is a file name, never a path: it must not reach outside the folder.
  if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name == QStringLiteral(".") ||
      name == QStringLiteral("..")) {
    ShowPrompt(this, QString(), QString::fromLatin1(kConfigFileErrorText), PromptIcon::Stop);
    return;  // the dialog stays open for another name
  }
  const int cilindrata = EditCilindrata->GetInt();
  const bool calibration = CheckSalvaPerTaratura->isChecked();
  QString folder = folder_;
  if (calibration) {
    folder = basePath_ + QStringLiteral("/Taratura/");
    QDir().mkpath(folder);
    const QString suffix = CalibrationSaveSuffix(IsCng(), CheckTurbo->isChecked(), cilindrata);
    if (!name.contains(suffix, Qt::CaseInsensitive)) name += suffix;
  }
  const QString fileName = name + QLatin1Char('.') + ext_;
  QString path = folder + fileName;
  const QString existing = ExistingFileNoCase(folder, fileName);
  if (!existing.isEmpty()) {
    if (ShowPrompt(this, QString(), textOverwrite_, PromptIcon::Warning, PromptYesNo, PromptNo) != PromptYes)
      return;
    path = existing;  // the file that is there, whatever the case of its name
  }

  TWaitCursor hourglass;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  // The name goes into the file; a save that fails leaves the description as it was.
  const QByteArray previousDescription(EcuData ? EcuData->GetDescription() : "");
  const QByteArray previousVehicleName(EcuData ? EcuData->DescrizAuto : "");
  if (EcuData) {
    EcuData->SetValue(kCodeCilindrata, cilindrata);
    const QByteArray name8 = name.toLatin1();
    if (EcuData->Identita[3] >= 1 && !calibration) {
      EcuData->SetDescription(name8.constData());
      EcuData->SetDatoVetturaStr(1, name8.constData());
    }
    EcuData->SetUfficiale(false);
    EcuData->SetDatoVettura(6, cilindrata);
    // The vehicle data group is never shown: its empty edits must not replace the vehicle data
    // the data set holds.
    if (!GroupDetails->isHidden()) {
      EcuData->SetDatoVetturaStr(2, EditEuro->text().toLatin1().constData());
      EcuData->SetDatoVetturaStr(3, EditMotore->text().toLatin1().constData());
      EcuData->SetDatoVetturaStr(4, EditCentralina->text().toLatin1().constData());
      EcuData->SetDatoVetturaStr(5, EditCambio->text().toLatin1().constData());
      EcuData->SetDatoVettura(7, EditValvole->GetInt());
      EcuData->SetDatoVettura(8, EditCilindri->GetInt());
      EcuData->SetDatoVettura(9, EditAnno->GetInt());
      EcuData->SetPotenza(static_cast<float>(EditPotenza->GetDouble()));
    }
  }
  if (!EcuData || !EcuData->SaveConfiguration(FileName8(path).constData(), CheckMappa->isChecked())) {
    if (EcuData) {
      EcuData->SetDescription(previousDescription.constData());
      EcuData->SetDatoVetturaStr(1, previousVehicleName.constData());
    }
    hourglass.Release();
    ShowPrompt(this, QString(), QString::fromLatin1(kConfigFileErrorText), PromptIcon::Stop);
    done(mrCancel);
    return;
  }
  done(mrOk);
}

void TFormFile::LoadClick() {
  const QString fileName = EditName->text() + QLatin1Char('.') + ext_;
  if (EcuData && EcuData->Changed) {
    const int answer = ShowPrompt(this, QString(), textUnsaved_, PromptIcon::Warning, PromptYesNoCancel);
    if (answer == PromptCancel) return;
    if (answer == PromptYes) {
      // The main window saves the data set; when that did not happen (its save dialog was
      // cancelled, or the save failed) the unsaved data stay and so does this dialog.
      QWidget* main = parentWidget() ? parentWidget()->window() : nullptr;
      SendPrivateMessage(main, WM_ECUCHANGED, 0, EcuSaveRequest);
      if (EcuData->Changed) return;
    }
  }
  const QString path = ExistingFileNoCase(folder_, fileName);
  if (path.isEmpty()) {
    ShowPrompt(this, QString(), textMissing_, PromptIcon::Stop);
    done(mrCancel);
    return;
  }
  done(LoadConfigurationIntoEcu(this, path, CheckMappa->isChecked(), basePath_) ? mrOk : mrCancel);
}

void TFormFile::done(int r) {
  if (EcuData) EcuData->SetFileKey(GetBrandFileKey());
  TModalDialog::done(r);
}
