#include "PageIniezione.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <algorithm>

#include "Config.h"
#include "ConfigPageFields.h"
#include "DrawGrid.h"
#include "EcuData.h"
#include "KeyComboBox.h"
#include "Language.h"
#include "NumericEdit.h"
#include "ScreenScale.h"
#include "WinColor.h"

using namespace PageFields;

namespace {
constexpr int kCodeCylinders = 0x3000034;
constexpr int kWhichWire = 1;
constexpr int kWhichBank = 2;
constexpr int kTitleWidth = 180;
constexpr uint32_t kBtnFace = 0xF0F0F0;

const char* const kOrdinals[TPageIniezione::kCylinders] = {"Primo",  "Secondo", "Terzo",   "Quarto",
                                                           "Quinto", "Sesto",   "Settimo", "Ottavo"};
const char* const kWires[TPageIniezione::kCylinders] = {"A", "B", "C", "D", "E", "F", "G", "H"};

QString BankText(int bank) { return QString::number(bank + 1); }
}  // namespace

TPageIniezione::TPageIniezione(TFormConfig* form, ConfigPageId id) : TConfigPage(form, id) {
  LabelCorrente = Label(this, "LabelCorrente", QStringLiteral("Corrente mantenimento"));
  EditTpsArrBenzina = Edit(this, "EditTpsArrBenzina");
  LabelTempoMaxCorr = Label(this, "LabelTempoMaxCorr", QStringLiteral("Tempo massima corrente"));
  EditGiriArrBenzina = Edit(this, "EditGiriArrBenzina");
  LabelDutyCorrente = Label(this, "LabelDutyCorrente", QStringLiteral("Duty corrente di mantenimento"));
  EditDutyCorrente = Edit(this, "EditDutyCorrente");
  LabelCil = Label(this, "LabelCil", QStringLiteral("Numero cilindri"));
  EditCil = Edit(this, "EditCil");
  LabelCilRif = Label(this, "LabelCilRif", QStringLiteral("Cilindro di riferimento"));
  EditCilRif = Edit(this, "EditCilRif");
  GridSequenza = new TDrawGrid(this);
  GridSequenza->setObjectName(QStringLiteral("GridSequenza"));
  GridSequenza->SetSize(kCylinders + 1, 3, 1, 1);
  GridSequenza->OnDrawCell = [this](QPainter& p, int c, int r, const QRect& rect, int state) {
    DrawSequenceCell(p, c, r, rect, state);
  };
  titles_[0] = QStringLiteral("Sequenza iniezione");
  titles_[1] = QStringLiteral("Filo");
  titles_[2] = QStringLiteral("N° bancata");
  QStringList wires;
  for (const char* w : kWires) wires << QString::fromLatin1(w);
  ComboColori = Combo(GridSequenza, "ComboColori", wires);
  ComboBancata = Combo(GridSequenza, "ComboBancata", {"1", "2"});
  LabelIstruzioni = Label(this, "LabelIstruzioni",
                          QStringLiteral("Mouse o Shift + freccie su/giu per modificare il valore, "
                                         "freccie dx/sx per vedere altre uscite"));
  LabelIstruzioni->hide();
  LabelTAperturaInj = Label(this, "LabelTAperturaInj", QStringLiteral("Tempo apertura iniettore"));
  EditAperturaInj = Edit(this, "EditAperturaInj");
  LabelTChiusuraInj = Label(this, "LabelTChiusuraInj", QStringLiteral("Tempo chiusura iniettore"));
  EditChiusuraInj = Edit(this, "EditChiusuraInj");
  for (TNumericEdit* e : {EditAperturaInj, EditChiusuraInj}) {
    e->SetMaxValue(20);
    e->SetMinValue(0);
    e->SetPrecision(0.02);
  }

  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(3, 1);
  int row = 0;
  AddRow(grid, row++, LabelCorrente, EditTpsArrBenzina, Label(this, "LabelA1", QStringLiteral("A")));
  AddRow(grid, row++, LabelTempoMaxCorr, EditGiriArrBenzina, Label(this, "LabelMsec3", QStringLiteral("ms")));
  AddRow(grid, row++, LabelDutyCorrente, EditDutyCorrente,
         Label(this, "LabelPerCento2", QStringLiteral("%")));
  AddRow(grid, row++, LabelCil, EditCil);
  AddRow(grid, row++, LabelCilRif, EditCilRif);
  grid->addWidget(GridSequenza, row++, 0, 1, 4, Qt::AlignHCenter);
  grid->addWidget(LabelIstruzioni, row++, 0, 1, 4, Qt::AlignHCenter);
  AddRow(grid, row++, LabelTAperturaInj, EditAperturaInj, Label(this, "LabelMsec4", QStringLiteral("ms")));
  AddRow(grid, row++, LabelTChiusuraInj, EditChiusuraInj, Label(this, "LabelMsec5", QStringLiteral("ms")));
  grid->setRowStretch(row, 1);

  LinkChain({EditTpsArrBenzina, EditGiriArrBenzina, EditDutyCorrente, EditCil, EditCilRif, ComboColori,
             ComboBancata, EditAperturaInj, EditChiusuraInj});
  for (TKeyComboBox* list : {ComboColori, ComboBancata}) {
    list->installEventFilter(this);
    const int which = list == ComboColori ? kWhichWire : kWhichBank;
    connect(list, &TKeyComboBox::enterPressed, this, [this, list, which] {
      if (!list->DroppedDown()) SequenceListChange(which);
    });
  }
  connect(GridSequenza, &TDrawGrid::SelectionChanged, this, [this] {
    if (selecting_) return;
    if (!GridSequenzaSelectCell(GridSequenza->Col(), GridSequenza->Row())) {
      // Refused: the current cell goes back to the cylinder shown.
      selecting_ = true;
      GridSequenza->SetCurrent(column_, std::max(GridSequenza->Row(), 1));
      selecting_ = false;
    }
  });
  for (TNumericEdit* e : {EditAperturaInj, EditChiusuraInj})
    connect(e, &TNumericEdit::enterPressed, this, &TPageIniezione::EditAperturaInjKeyPress);
  SizeSequenceGrid();
}

int TPageIniezione::CylinderCount() const {
  return EcuData ? std::clamp(Rounded(EcuData->GetValue(kCodeCylinders)), 1, kCylinders) : kCylinders;
}

QString TPageIniezione::CellText(int col, int row) const {
  if (row == 0) return col == 0 ? titles_[0] : QString::fromLatin1(kOrdinals[col - 1]);
  if (col == 0) return titles_[row];
  return cells_[col - 1][row - 1];
}

void TPageIniezione::PageShow() {
  if (!EcuData) return;
  EditTpsArrBenzina->SetDouble(EcuData->GetValue(0x38));
  // Steps of 4 us: shown as held (a whole number here would go back to the ECU on Enter).
  EditGiriArrBenzina->SetDouble(EcuData->GetValue(0x24A));
  EditDutyCorrente->SetDouble(Rounded(EcuData->GetValue(0x7F)));
  EditCil->SetDouble(Rounded(EcuData->GetValue(kCodeCylinders)));
  EditCilRif->SetDouble(Rounded(EcuData->GetValue(0x3300034)));
  SizeSequenceGrid();
  FillSequence();
  GridSequenza->show();
  EditAperturaInj->SetDouble(EcuData->GetTempoAperturaIniettore(1));
  EditChiusuraInj->SetDouble(EcuData->GetTempoAperturaIniettore(2));
  if (EditGiriArrBenzina->isEnabled() && EditGiriArrBenzina->isVisibleTo(this))
    EditGiriArrBenzina->setFocus();
  else
    EditAperturaInj->setFocus();
}

QSize TPageIniezione::ListSize() const {
  // Wide enough for the column titles, since each list covers its column.
  int titles = 0;
  for (const char* t : kOrdinals)
    titles = std::max(titles, fontMetrics().horizontalAdvance(QString::fromLatin1(t)));
  QSize list = ComboColori->sizeHint().expandedTo(ComboBancata->sizeHint());
  list.setWidth(std::max(list.width(), titles + 12));
  return list;
}

void TPageIniezione::SizeSequenceGrid() {
  // Cells 4 pixels narrower than the lists, a title column of 180 pixels; the cells no wider
  // than the page has room for, and rows as high as the lists so the two lists do not cover
  // each other.
  const QSize list = ListSize();
  const int titleWidth = ScaleToScreen(kTitleWidth, ScaledWidthOf(this));
  const QMargins margins = layout() ? layout()->contentsMargins() : QMargins();
  const int room = width() - margins.left() - margins.right() - titleWidth - 2;
  const int cellWidth = std::min(list.width() - 4, room / kCylinders - 1);
  GridSequenza->SetDefaultCellSize(cellWidth, list.height());
  GridSequenza->SetColWidth(0, titleWidth);
  GridSequenza->setFixedSize(GridSequenza->GridExtent());
  PlaceLists(column_);
}

void TPageIniezione::FillSequence() {
  for (int c = 0; c < kCylinders; ++c) {
    cells_[c][0] = QString::fromLatin1(kWires[EcuData->GetSequenzaIniezione(c, kWhichWire) & 7]);
    cells_[c][1] = BankText(EcuData->GetSequenzaIniezione(c, kWhichBank));
  }
  selecting_ = true;
  GridSequenza->SetCurrent(1, 1);
  selecting_ = false;
  column_ = 1;
  PlaceLists(1);
  GridSequenza->update();
}

void TPageIniezione::PlaceLists(int col) {
  column_ = col;
  const QSize size = ListSize();
  for (int row : {1, 2}) {
    TKeyComboBox* list = row == 1 ? ComboColori : ComboBancata;
    const QRect cell = GridSequenza->CellRect(col, row);
    list->resize(size);
    list->move(cell.center() - QPoint(size.width() / 2, size.height() / 2));
  }
  if (EcuData) {
    SetIndex(ComboColori, EcuData->GetSequenzaIniezione(col - 1, kWhichWire));
    SetIndex(ComboBancata, EcuData->GetSequenzaIniezione(col - 1, kWhichBank));
  }
}

bool TPageIniezione::GridSequenzaSelectCell(int col, int row) {
  if (col < 1 || col > CylinderCount()) return false;
  PlaceLists(col);
  if (row == 1) ComboColori->setFocus();
  if (row == 2) ComboBancata->setFocus();
  return true;
}

void TPageIniezione::SequenceListChange(int which) {
  if (!EcuData) return;
  TKeyComboBox* list = which == kWhichWire ? ComboColori : ComboBancata;
  if (list->currentIndex() < 0) return;
  const int cyl = column_ - 1;
  EcuData->SetSequenzaIniezione(cyl, which, list->currentIndex());
  const int held = EcuData->GetSequenzaIniezione(cyl, which);
  SetIndex(list, held);
  cells_[cyl][which - 1] = which == kWhichWire ? QString::fromLatin1(kWires[held & 7]) : BankText(held);
  GridSequenza->update(GridSequenza->CellRect(column_, which));
}

bool TPageIniezione::ListKey(TKeyComboBox* list, int key, bool shift) {
  if (list->DroppedDown()) return false;
  switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
      const int col = column_ + (key == Qt::Key_Left ? -1 : 1);
      if (col >= 1 && col <= CylinderCount()) {
        selecting_ = true;
        GridSequenza->SetCurrent(col, list == ComboColori ? 1 : 2);
        selecting_ = false;
        PlaceLists(col);
      }
      return true;
    }
    case Qt::Key_Up:
    case Qt::Key_Down: {
      if (!shift) return false;  // the list's own focus chain
      const int index = std::clamp(list->currentIndex() + (key == Qt::Key_Up ? -1 : 1), 0, list->count() - 1);
      if (index != list->currentIndex()) {
        SetIndex(list, index);
        SequenceListChange(list == ComboColori ? kWhichWire : kWhichBank);
      }
      return true;
    }
    default:
      return false;
  }
}

bool TPageIniezione::eventFilter(QObject* watched, QEvent* event) {
  auto* list = qobject_cast<TKeyComboBox*>(watched);
  if (list && (list == ComboColori || list == ComboBancata)) {
    if (event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (ListKey(list, key->key(), key->modifiers() & Qt::ShiftModifier)) return true;
    } else if (event->type() == QEvent::FocusIn) {
      LabelIstruzioni->show();
      selecting_ = true;
      GridSequenza->SetCurrent(column_, list == ComboColori ? 1 : 2);
      selecting_ = false;
    } else if (event->type() == QEvent::FocusOut) {
      if (!TFocusChain::IsTransientFocusChange(static_cast<QFocusEvent*>(event)->reason()))
        LabelIstruzioni->hide();
    }
  }
  return TConfigPage::eventFilter(watched, event);
}

void TPageIniezione::DrawSequenceCell(QPainter& p, int col, int row, const QRect& rect, int state) {
  (void)state;
  // Outputs beyond the cylinder count are greyed.
  if (col > 0 && row > 0 && col > CylinderCount()) p.fillRect(rect, WinColor(kBtnFace));
  p.setPen(Qt::black);
  TDrawGrid::DrawCellText(p, rect, CellText(col, row), col == 0 ? Qt::AlignLeft : Qt::AlignHCenter, 2);
}

void TPageIniezione::AfterSharedEnter(QWidget* sender) {
  // A new cylinder count brought its default sequence.
  if (sender == EditCil) FillSequence();
}

void TPageIniezione::EditAperturaInjKeyPress() {
  if (!EcuData) return;
  EcuData->SetTempoAperturaIniettore(1, EditAperturaInj->GetDouble());
  EcuData->SetTempoAperturaIniettore(2, EditChiusuraInj->GetDouble());
  EditAperturaInj->SetDouble(EcuData->GetTempoAperturaIniettore(1));
  EditChiusuraInj->SetDouble(EcuData->GetTempoAperturaIniettore(2));
}

void TPageIniezione::Translate() {
  TranslateCaptions({{LabelTempoMaxCorr, 267},
                     {LabelCorrente, 269},
                     {LabelCil, 270},
                     {LabelCilRif, 271},
                     {LabelTAperturaInj, 275},
                     {LabelTChiusuraInj, 276},
                     {LabelDutyCorrente, 558},
                     {LabelIstruzioni, 560}});
  for (int i = 0; i < 3; ++i) ReadText(272 + i, &titles_[i]);
  GridSequenza->update();
}
