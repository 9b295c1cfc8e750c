#pragma once
// "Varie1" (TabIniezione): injector current, cylinder count and reference cylinder, injector
// opening and closing times, and the injection-sequence grid that gives each cylinder its
// injector wire and bank (two lists over the grid's cells).
#include <QString>

#include "ConfigPage.h"

class QLabel;
class TDrawGrid;
class TKeyComboBox;
class TNumericEdit;

class TPageIniezione final : public TConfigPage {
  Q_OBJECT
 public:
  static constexpr int kCylinders = 8;

  TPageIniezione(TFormConfig* form, ConfigPageId id);

  void PageShow() override;
  void AfterSharedEnter(QWidget* sender) override;
  void Translate() override;

  // The current cylinder column (1..8) and what its cells show.
  int SequenceColumn() const { return column_; }
  QString CellText(int col, int row) const;
  // Selecting a cell of the grid: false when the column lies beyond the cylinder count.
  bool GridSequenzaSelectCell(int col, int row);
  // A list's value changed (which 1 wire, 2 bank).
  void SequenceListChange(int which);
  void EditAperturaInjKeyPress();

  QLabel* LabelCorrente = nullptr;
  TNumericEdit* EditTpsArrBenzina = nullptr;
  QLabel* LabelTempoMaxCorr = nullptr;
  TNumericEdit* EditGiriArrBenzina = nullptr;
  QLabel* LabelDutyCorrente = nullptr;
  TNumericEdit* EditDutyCorrente = nullptr;
  QLabel* LabelCil = nullptr;
  TNumericEdit* EditCil = nullptr;
  QLabel* LabelCilRif = nullptr;
  TNumericEdit* EditCilRif = nullptr;
  TDrawGrid* GridSequenza = nullptr;
  TKeyComboBox* ComboColori = nullptr;
  TKeyComboBox* ComboBancata = nullptr;
  QLabel* LabelIstruzioni = nullptr;
  QLabel* LabelTAperturaInj = nullptr;
  TNumericEdit* EditAperturaInj = nullptr;
  QLabel* LabelTChiusuraInj = nullptr;
  TNumericEdit* EditChiusuraInj = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int CylinderCount() const;
  QSize ListSize() const;
  void FillSequence();
  void SizeSequenceGrid();
  // Places both lists over the column's cells and shows that cylinder's wire and bank.
  void PlaceLists(int col);
  void DrawSequenceCell(class QPainter& p, int col, int row, const QRect& rect, int state);
  // Keys of the two lists; true when the key is taken.
  bool ListKey(TKeyComboBox* list, int key, bool shift);

  QString titles_[3];  // column 0: "Sequenza iniezione", "Filo", "N° bancata"
  QString cells_[kCylinders][2];
  int column_ = 1;
  bool selecting_ = false;  // the page itself moves the grid's current cell
};
