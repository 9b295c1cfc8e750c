#pragma once
// The programming-file choice: made once at start-up and kept, so the chosen file stays for the
// next programming run. ChooseProgramFile leaves its outcome in ModalResult(): OK with the file
// in OpenDialogFile.FileName and its kind in OpenDialogFile.FilterIndex (1 programming file,
// 2 Motorola S-record file).
#include <QDateTime>
#include <QString>

#include "FileDialog.h"
#include "ModalDialog.h"

class QLabel;
class QPushButton;

// FilterIndex values of the programming-file dialog.
constexpr int kProgramFileFilter = 1;
constexpr int kSRecordFileFilter = 2;

class TFormScarica : public TModalDialog {
  Q_OBJECT
 public:
  explicit TFormScarica(QWidget* owner);

  QLabel* LabelFile;
  QLabel* LabelN;
  QLabel* Label1;
  QLabel* LabelD;
  QPushButton* ButtonCambia;
  QPushButton* ButtonRiprogr;
  QPushButton* ButtonAnnulla;
  TFileDialog OpenDialogFile;

  // No file chosen yet: runs the file dialog first; cancelled, the result is Cancel and nothing
  // shows. Otherwise shows the window modally with the labels of the chosen file.
  void ChooseProgramFile();
  // Fills the labels from the chosen file: its name, and its creation date (or "sconosciuta").
  void ShowProgramFileInfo();
  // Loads the texts of the window and of its file dialog in the current language (at
  // construction and on every change of language: the window lives as long as the program).
  void Translate();
  // "Cambia file": another file from the dialog, the labels follow when one is picked.
  void ButtonCambiaClick();
  int ModalResult() const { return result(); }
};

// Day, month and year in decimal without leading zeros, joined by the locale's date separator
// (5/3/2004 with "/").
QString FormatProgramFileDate(const QDate& date);
// The date separator of the locale's short date format.
QString LocaleDateSeparator();

extern TFormScarica* FormScarica;
