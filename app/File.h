#pragma once
// The configuration-file dialog: the user picks the name under which the data set is saved, or
// the file that is loaded into the data set and written to the ECU. The dialog only chooses the
// folder and the name; the data set reads and writes the content.
//
// Folders hang from the base path: "Configurazioni" (its "Metano" subfolder while the data set's
// fuel is CNG) and, for a calibration save, "Taratura"; they are made when missing. File names
// are matched without regard to case, and the list is sorted the same way.
#include <QString>

#include "FileNoCase.h"
#include "ModalDialog.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QTreeWidget;
class TNumericEdit;

class TFormFile final : public TModalDialog {
  Q_OBJECT
 public:
  enum Mode { ModeSave = 0, ModeLoad = 1 };

  // existsFlag (load mode only, may be null) receives whether the folder holds any
  // configuration file. The modal result is mrOk after a save or a load that succeeded, mrCancel
  // after Annulla or a failed one.
  TFormFile(QWidget* owner, bool* existsFlag, int mode, const QString& basePath);
  ~TFormFile() override;

  int GetMode() const { return mode_; }
  // The configurations folder, with a trailing '/'.
  const QString& Folder() const { return folder_; }

  // Fills the list with the folder's configuration files: name without extension, creation
  // date. Runs every time the dialog becomes active.
  void ScanConfigFiles();
  // OK: save or load under the name in EditName (nothing happens while it is empty).
  void ButtonOkClick();

  QTreeWidget* ListFile = nullptr;
  QLabel* LabelFile = nullptr;
  QLineEdit* EditName = nullptr;
  QLabel* LabelCilindrata = nullptr;
  TNumericEdit* EditCilindrata = nullptr;
  QCheckBox* CheckSalvaPerTaratura = nullptr;
  QCheckBox* CheckTurbo = nullptr;
  QCheckBox* CheckMappa = nullptr;
  // Vehicle data of the file; never shown, so a save keeps the data set's own vehicle data.
  QGroupBox* GroupDetails = nullptr;
  QLineEdit* EditAuto = nullptr;
  QLineEdit* EditEuro = nullptr;
  QLineEdit* EditMotore = nullptr;
  QLineEdit* EditCentralina = nullptr;
  QLineEdit* EditCambio = nullptr;
  TNumericEdit* EditValvole = nullptr;
  TNumericEdit* EditCilindri = nullptr;
  TNumericEdit* EditPotenza = nullptr;
  TNumericEdit* EditAnno = nullptr;
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonAnnulla = nullptr;

 protected:
  bool event(QEvent* e) override;
  // Every way of closing gives the data set the brand's file key back.
  void done(int r) override;

 private:
  void BuildGroupDetails();
  void SaveClick();
  void LoadClick();
  // The description with the characters a file name cannot carry removed.
  static QString NameFromDescription(const QString& description);

  int mode_;
  QString basePath_;
  QString folder_;
  QString ext_;
  bool busy_ = false;  // inside OK: a reactivation must not rebuild the list under it
  QString textCaption_[2];
  QString textOverwrite_;
  QString textMissing_;
  QString textUnsaved_;
};

// The dialog while one is open, else null.
extern TFormFile* FormFile;

// The configuration extension of this build ("trm").
QString ConfigExtension();
