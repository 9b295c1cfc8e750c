#pragma once
// What the editor's table grids need of the form that holds them: the cell-change dialog it
// keeps, the live tick to stop around a change, its texts and its caption for message boxes.
#include <QString>
#include <cstdint>
#include <functional>

class QWidget;
class TFormModMappa;

class IGridHost {
 public:
  virtual ~IGridHost() = default;
  virtual TFormModMappa* CellDialog() = 0;
  virtual void StopLiveTimer() = 0;
  virtual void StartLiveTimer() = 0;
  // Text k of the current language; `fallback` when the language has none.
  virtual QString Text(int id, const QString& fallback) const = 0;
  // The window that owns message boxes (its caption is their title).
  virtual QWidget* DialogOwner() = 0;
};

// One change through the cell dialog: with the live tick stopped and the grid repainted,
// `open` shows the dialog (EditIntCell or EditFloatCell) and returns its result; on OK `apply`
// runs with the chosen mode (0..2) under the hourglass cursor and the grid is repainted. The
// live tick starts again whatever the result. False when there is no dialog or it was
// cancelled.
// Opens the breakpoint editor `Dialog` (owned by the host's window) with the live tick stopped;
// then `grid` recomputes its bounds from what the editor stored and repaints.
template <class Dialog, class Grid>
void EditBreakpoints(IGridHost& host, Grid* grid) {
  host.StopLiveTimer();
  {
    Dialog dialog(host.DialogOwner());
    dialog.ShowModal();
  }
  grid->RecomputeBounds();
  grid->repaint();
  host.StartLiveTimer();
}

bool RunCellDialog(IGridHost& host, QWidget* grid, const std::function<int(TFormModMappa&)>& open,
                   const std::function<void(uint8_t mode)>& apply);
