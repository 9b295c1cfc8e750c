#pragma once
// The print dialog. The program runs it through one service, so tests can answer it from a
// script (printing to a PDF file) and count how often it was asked.
#include <QString>

class QPrinter;
class QWidget;

class IPrintDialogService {
 public:
  virtual ~IPrintDialogService() = default;
  // Sets up printer as the user chooses; false when the user cancels.
  virtual bool Run(QWidget* owner, QPrinter& printer) = 0;
};

IPrintDialogService& PrintDialogs();
// Installs a service (nullptr restores the toolkit's dialog). The caller keeps ownership.
void SetPrintDialogService(IPrintDialogService* service);

// Prints to a PDF file with a number of copies, or cancels; records how often it ran.
class ScriptedPrintDialog final : public IPrintDialogService {
 public:
  bool Run(QWidget* owner, QPrinter& printer) override;
  QString PdfFile;  // empty: the dialog is cancelled
  int Copies = 1;
  int Runs = 0;
  int Resolution = 0;  // dots per inch of the printer of the last run that printed
};
