#include "PrintDialog.h"

#include <QPrintDialog>
#include <QPrinter>

namespace {

class ToolkitPrintDialog final : public IPrintDialogService {
 public:
  bool Run(QWidget* owner, QPrinter& printer) override {
    QPrintDialog dialog(&printer, owner);
    return dialog.exec() == QDialog::Accepted;
  }
};

ToolkitPrintDialog toolkitDialog;
IPrintDialogService* service = &toolkitDialog;

}  // namespace

IPrintDialogService& PrintDialogs() { return *service; }

void SetPrintDialogService(IPrintDialogService* s) { service = s ? s : &toolkitDialog; }

bool ScriptedPrintDialog::Run(QWidget*, QPrinter& printer) {
  ++Runs;
  if (PdfFile.isEmpty()) return false;
  printer.setOutputFormat(QPrinter::PdfFormat);
  Resolution = printer.resolution();
  printer.setOutputFileName(PdfFile);
  printer.setCopyCount(Copies);
  return true;
}
