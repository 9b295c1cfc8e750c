#include "MapGridHost.h"

#include <QApplication>
#include <QWidget>

#include "Modmappa.h"

bool RunCellDialog(IGridHost& host, QWidget* grid, const std::function<int(TFormModMappa&)>& open,
                   const std::function<void(uint8_t)>& apply) {
  TFormModMappa* dialog = host.CellDialog();
  if (!dialog) return false;
  host.StopLiveTimer();
  grid->repaint();
  const bool ok = open(*dialog) == TFormModMappa::mrOk;
  if (ok) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    apply(dialog->SelectedMode());
    grid->update();
    QApplication::restoreOverrideCursor();
  }
  host.StartLiveTimer();
  return ok;
}
