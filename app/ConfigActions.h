#pragma once
// The main window's configuration actions: open and save a configuration file, ask to save
// unsaved changes, ask for the fuel type, the configuration-file dialog in its two modes, and a
// plain copy of a configuration opened in the text editor. The main window's actions call these
// with the window itself as owner: dialogs and message boxes belong to it and message boxes carry
// its caption. The file dialogs are the window's own, so they keep their folder between runs.
#include <QString>

#include "ConfigFileRefusal.h"

class QWidget;
class TFileDialog;

// Before connect, before File Apri and when the window closes. With no unsaved changes PromptNo
// without asking; otherwise the Yes/No/Cancel question: Yes runs ExecuteSalva and gives PromptYes
// only when the data set was saved, PromptCancel when the save dialog was cancelled or the save
// failed (so nothing unsaved is thrown away); No and Cancel come back as they are.
int AskSaveChanges(QWidget* owner, TFileDialog& saveDialog);

// The fuel question (fuel-only dialog). A different fuel chosen with OK sets the fuel flag and
// gives the nine gas-pressure compensation points the new fuel's defaults; nothing else changes.
void AskFuelType(QWidget* owner);
// The dialog AskFuelType shows: the fuel-only dialog of the tools (RunFuelOnlyDialog) unless a
// test puts another in its place. It shows *fuelIndex (0 LPG, 1 CNG), returns the modal result
// (1 OK, 2 Cancel) and leaves the choice in *fuelIndex. With none (null), AskFuelType asks nothing.
using FuelDialogFunction = int (*)(QWidget* owner, int* fuelIndex);
void SetFuelDialog(FuelDialogFunction dialog);

// File Apri: unsaved changes first, then the open dialog; the chosen file is loaded and, with the
// link open, written to the ECU. A failed load shows "Impossibile aprire il file" and writes
// nothing.
void ExecuteApri(QWidget* owner, TFileDialog& openDialog, TFileDialog& saveDialog, const QString& dataFolder);
// File Salva: the save dialog (asking before overwriting), the description from the file name,
// the whole configuration saved. True when a file was saved; a failed save shows "Impossibile
// aprire il file" and leaves the description (and the file the data set belongs to) as it was.
bool ExecuteSalva(QWidget* owner, TFileDialog& saveDialog);
// Entry 4: the configuration-file dialog in save mode.
void ExecuteSalvaConf(QWidget* owner, const QString& dataFolder);
// Entry 5: the configuration-file dialog in load mode, without the displacement; with no file in
// the folder the message "Nessun file presente in memoria!" instead.
void ExecuteApriConf(QWidget* owner, const QString& dataFolder);
// Apri in blocco note: the chosen file unscrambled into a new numbered plain copy
// (PlainCopyPath), opened in the text editor; "Impossibile decriptare il file" when the copy
// cannot be made (with the reason when the file is too large for a configuration),
// NoTextEditorText when no editor could be started.
void ExecuteBloccoNote(QWidget* owner, TFileDialog& openDialog, const QString& dataFolder);
// The message for a plain copy that was written but no editor could be started to show it.
QString NoTextEditorText(const QString& copy);

// The first free name "Configurazioni/Decrypted/Dec<n>.<fileName>" under the data folder, n from 1.
QString PlainCopyPath(const QString& dataFolder, const QString& fileName);

// The message of a load that failed: "Impossibile aprire il file" and, on the next line, the
// file that is too large (or would become too large when the program writes it back) or which
// value of the file the data set refused and why, in the current language.
QString LoadErrorText();
// Why the data set refused a file, in the current language; empty for no refusal.
QString FileRefusalText(const ConfigFileRefusal& refusal);
// Why the last load or conversion refused a file for its size, in the current language; empty
// when none was refused for it.
QString OversizedFileText();

// Loads a configuration file into the data set behind a wait window owned by owner and, with
// the link open, writes the whole data set to the ECU (the wait window plays
// "Immagini/Attesa.avi" of the data folder when there is one). A file that cannot be loaded shows
// LoadErrorText (stop icon) and nothing is written. True when loaded.
bool LoadConfigurationIntoEcu(QWidget* owner, const QString& path, bool mapsOnly, const QString& dataFolder);
