#pragma once
// "Dati acquisiti": the points of the acquisition store (DatiMappati) in a grid, one point per
// column, with editing, adding, deleting and re-sorting. The window works on the store itself,
// so every change is in effect at once; ButtonOk (also the cancel button) only closes.
//
// Grid layout: the column headers hold the point numbers 1..n, the row headers the titles
// "Giri (rpm)", "MAP (mv)", "Tempo (us)", "Ordine"; column c holds point c of the store, rows
// 0..3 its rpm, map (mV), injection time (us) and order number. An empty store shows one empty
// column and a disabled grid.
//
// Editing a cell: Enter stores the text (a decimal integer) into the point's field and re-files
// the point (its map cell and its place in the sort order follow), and the selection follows the
// point to its new column. Text that is not an integer is refused with the conversion-error
// message and the cell shows its old text again. Leaving the cell any other way (Esc, a click
// elsewhere) puts the old text back.
#include <QString>

#include "ModalDialog.h"

class QLabel;
class QTableWidget;
class TDatiMappati;

class TFormDatiMappati final : public TModalDialog {
  Q_OBJECT
 public:
  // Works on store (the process-wide DatiMappati when null).
  explicit TFormDatiMappati(QWidget* owner, TDatiMappati* store = nullptr);

  // Rebuilds the grid from the store.
  void RefreshGrid();

  void ButtonEliminaClick();
  void ButtonAggiungiClick();
  void ButtonOrdinaClick();
  // The end of an edit of cell (row 0..3, column = point index) with text: stores it and
  // re-files the point, or reports a text that is not an integer. True when stored.
  bool CommitEdit(int row, int column, const QString& text);

  // The conversion-error message for a text that is not an integer.
  static QString ConversionErrorText(const QString& text);

  QTableWidget* GridValori = nullptr;
  QLabel* LabelValori = nullptr;
  QLabel* LabelCounter = nullptr;
  QPushButton* ButtonElimina = nullptr;
  QPushButton* ButtonAggiungi = nullptr;
  QPushButton* ButtonOrdina = nullptr;
  QPushButton* ButtonOk = nullptr;

 protected:
  void changeEvent(QEvent* e) override;

 private:
  TDatiMappati* Store() const;
  // Columns as wide as the widest value a point's field can hold, in the grid's font.
  void SizeColumns();
  void Translate();

  TDatiMappati* store_ = nullptr;
  QString rowTitles_[4];
};
