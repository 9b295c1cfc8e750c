#include "MapGridHost.h"

#include <QWidget>

#include "Modmappa.h"
#include "WaitCursor.h"

bool RunCellDialog(IGridHost& host, QWidget* grid, const std::function<int(TFormModMappa&)>& open,
                   const std::function<void(uint8_t)>& apply) {
  TFormModMappa* dialog = host.CellDialog();
  if (!dialog) return false;
  host.StopLiveTimer();
  grid->repaint();
  const bool ok = open(*dialog) == TFormModMappa::mrOk;
  if (ok) {
    const TWaitCursor hourglass;
    apply(dialog->SelectedMode());
    grid->update();
  }
  host.StartLiveTimer();
  return ok;
}
