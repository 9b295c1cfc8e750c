#include "KivGrid.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <algorithm>

#include "FocusChain.h"
#include "GridMath.h"
#include "GridModifyDialog.h"
#include "MessageSink.h"
#include "NumericEditCore.h"
#include "PrivateMessage.h"

// The grid's cells as a table model: texts from the grid, editing through the grid.
class TKivGridModel : public QAbstractTableModel {
 public:
  explicit TKivGridModel(TKivGrid* grid) : QAbstractTableModel(grid), grid_(grid) {}
  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : grid_->rowCount_;
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : grid_->colCount_;
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return grid_->CellText(index.row(), index.column());
    if (role == Qt::EditRole) return grid_->GetEditText(index.row(), index.column()).value_or(QString());
    return {};
  }
  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    if (role != Qt::EditRole || !index.isValid()) return false;
    grid_->SetEditText(index.row(), index.column(), value.toString());
    return true;
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    if (!index.isValid() || !grid_->IsDataCell(index.row(), index.column())) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (grid_->editing_ && grid_->GetEditText(index.row(), index.column())) f |= Qt::ItemIsEditable;
    return f;
  }
  void Reset() {
    beginResetModel();
    endResetModel();
  }

 private:
  TKivGrid* grid_;
};

namespace {

// Draws the cells as the grid shows them: header cells in the button colour (the active
// breakpoint in the highlight colour of the working point), the selection only while the grid
// has the focus, texts vertically centred, 2 pixels from a left or right edge.
class TKivGridDelegate : public QStyledItemDelegate {
 public:
  explicit TKivGridDelegate(TKivGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}
  void paint(QPainter* p, const QStyleOptionViewItem& opt, const QModelIndex& index) const override {
    const int row = index.row(), col = index.column();
    const bool fixed = row < grid_->FixedRows() || col < grid_->FixedCols();
    const bool selected = !fixed && (opt.state & QStyle::State_Selected) && grid_->hasFocus();
    const QPalette& pal = grid_->palette();
    QColor fill = fixed ? pal.color(QPalette::Button) : pal.color(QPalette::Base);
    Qt::Alignment align = grid_->Alignment();
    const TGridWorkingPoint* wp = grid_->WorkingPoint();
    if (col < grid_->FixedCols() && row >= grid_->FixedRows()) {
      align = grid_->RowReferences()->Alignment();
      if (wp->ShowActiveRef() && grid_->RowReferences()->Type() == TGridRefType::rtData &&
          row - grid_->FixedRows() == grid_->ActiveRow())
        fill = wp->ActiveRefColor();
    } else if (row < grid_->FixedRows() && col >= grid_->FixedCols()) {
      align = grid_->ColReferences()->Alignment();
      if (wp->ShowActiveRef() && grid_->ColReferences()->Type() == TGridRefType::rtData &&
          col - grid_->FixedCols() == grid_->ActiveCol())
        fill = wp->ActiveRefColor();
    }
    if (selected) fill = pal.color(QPalette::Highlight);
    p->fillRect(opt.rect, fill);
    p->setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
    p->setFont(grid_->font());
    const QRect text = opt.rect.adjusted(2, 0, -2, 0);
    const Qt::Alignment h = (align & Qt::AlignLeft)    ? Qt::AlignLeft
                            : (align & Qt::AlignRight) ? Qt::AlignRight
                                                       : Qt::AlignHCenter;
    p->drawText(text, int(h | Qt::AlignVCenter), index.data(Qt::DisplayRole).toString());
  }

 private:
  TKivGrid* grid_;
};

}  // namespace

TKivGrid::TKivGrid(QWidget* parent) : QTableView(parent) {
  model_ = new TKivGridModel(this);
  setModel(model_);
  setItemDelegate(new TKivGridDelegate(this));
  horizontalHeader()->hide();
  verticalHeader()->hide();
  horizontalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setDefaultSectionSize(64);
  verticalHeader()->setDefaultSectionSize(24);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(false);
  resizer_ = new TResizer(this, this);
  resizer_->SetResizingMode(TResizingMode::All());
  colRefs_ = new TGridReference(this, QStringLiteral("Columns"));
  rowRefs_ = new TGridReference(this, QStringLiteral("Rows"));
  msgStrings_ = {QStringLiteral("Caption=Modifica valori mappa"),
                 QStringLiteral("ButtonOk=&OK"),
                 QStringLiteral("ButtonCancel=&Annulla"),
                 QStringLiteral("GroupMode=Modalità"),
                 QStringLiteral("Mode1=A&ssoluta"),
                 QStringLiteral("Mode2=&Relativa"),
                 QStringLiteral("Mode3=&Percentuale")};
  point_ = new TGridWorkingPoint(this);
  connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] { SectionResized(true); });
  connect(verticalHeader(), &QHeaderView::sectionResized, this, [this] { SectionResized(false); });
  Refresh();
}

TKivGrid::~TKivGrid() {
  if (matrix_) matrix_->RemoveNotificationList(this);
  delete point_;
  point_ = nullptr;
}

QWidget* TKivGrid::GetNextControl() const {
  return next_ && TFocusChain::CanTakeFocus(next_) ? next_.data() : nullptr;
}

QWidget* TKivGrid::GetPrevControl() const {
  return prev_ && TFocusChain::CanTakeFocus(prev_) ? prev_.data() : nullptr;
}

void TKivGrid::SetAutoSize(bool v) {
  autoSize_ = v;
  if (v) SizeChanged();
}

void TKivGrid::SetAlignment(Qt::Alignment a) {
  alignment_ = a;
  Repaint();
}

void TKivGrid::SetDataFormat(const QString& f) {
  dataFormat_ = f;
  Repaint();
}

void TKivGrid::SetMsgStrings(const QStringList& m) {
  msgStrings_ = m;
  InitModifyDialog();
}

void TKivGrid::SetEditing(bool v) {
  editing_ = v;
  setEditTriggers(v ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed
                    : QAbstractItemView::NoEditTriggers);
}

void TKivGrid::SetMatrix(TKivMatrix* m) {
  if (!RebindNotifications(matrix_, m, this)) return;
  Refresh();
  Repaint();
}

void TKivGrid::Refresh() {
  int cols = colCount_, rows = rowCount_;
  if (matrix_) {
    cols = matrix_->ColCount() + (rowRefs_->Visible() ? 1 : 0);
    rows = matrix_->RowCount() + (colRefs_->Visible() ? 1 : 0);
  }
  fixedCols_ = rowRefs_->Visible() ? 1 : 0;
  fixedRows_ = colRefs_->Visible() ? 1 : 0;
  SetDimensions(cols, rows);
}

void TKivGrid::SetDimensions(int cols, int rows) {
  if (cols != colCount_ || rows != rowCount_) {
    colCount_ = cols;
    rowCount_ = rows;
    model_->Reset();
    SizeChanged();
  }
  Repaint();
}

void TKivGrid::Repaint() { viewport()->update(); }

QString TKivGrid::CellText(int row, int col) const {
  if (row < fixedRows_ && col < fixedCols_) return matrix_ ? matrix_->MeasureUnit : QString();
  const bool rowHeader = col < fixedCols_;
  const bool colHeader = row < fixedRows_;
  if (rowHeader || colHeader) {
    const TGridReference* ref = rowHeader ? rowRefs_ : colRefs_;
    const int i = rowHeader ? row - fixedRows_ : col - fixedCols_;
    if (ref->Type() == TGridRefType::rtStrings)
      return i < ref->Descriptions().size() ? ref->Descriptions().at(i) : QString();
    if (ref->Type() != TGridRefType::rtData) return {};
    // A failed read gives the value the data object holds, as a successful one does.
    double v = 0;
    if (ref->Data()) ref->Data()->GetData(&v, unsigned(i));
    return GridMath::FormatDataNumber(v, ref->DataFormat());
  }
  double v = 0;
  if (matrix_) matrix_->GetData(&v, row - fixedRows_, col - fixedCols_);
  return GridMath::FormatDataNumber(v, dataFormat_);
}

std::optional<QString> TKivGrid::GetEditText(int row, int col) const {
  if (!matrix_ || matrix_->ReadOnly()) return std::nullopt;
  double v = 0;
  if (!matrix_->GetData(&v, row - fixedRows_, col - fixedCols_)) return QString();
  return GridMath::FormatDataNumber(v, dataFormat_);
}

void TKivGrid::SetEditText(int row, int col, const QString& text) {
  if (!matrix_) return;
  double v = 0;
  if (!matrix_->ReadOnly() && TNumericEditCore::ParseDouble(text, &v))
    matrix_->SetData(v, row - fixedRows_, col - fixedCols_);
  viewport()->update(visualRect(model_->index(row, col)));
}

// ---- sizing ----

void TKivGrid::SizeChanged() {
  AdjustColWidths(false);
  AdjustRowHeights(false);
}

void TKivGrid::SectionResized(bool columns) {
  if (adjusting_) return;
  if (columns)
    AdjustColWidths(true);
  else
    AdjustRowHeights(true);
}

void TKivGrid::AdjustColWidths(bool fitControl) { Fit(true, false, fitControl); }
void TKivGrid::AdjustRowHeights(bool fitControl) { Fit(false, false, fitControl); }
void TKivGrid::ExpandColWidths() { Fit(true, true, false); }
void TKivGrid::ExpandRowHeights() { Fit(false, true, false); }

// The grid lines lie inside the sections here, so they take no room of their own.
void TKivGrid::Fit(bool columns, bool expand, bool fitControl) {
  if (!autoSize_ || !isVisible() || adjusting_) return;
  QHeaderView* header = columns ? horizontalHeader() : verticalHeader();
  const int count = columns ? colCount_ : rowCount_;
  if (count <= 0) return;
  adjusting_ = true;
  GridMath::TFit f;
  f.client = columns ? viewport()->width() : viewport()->height();
  for (int i = 0; i < count; ++i) f.sizes.push_back(header->sectionSize(i));
  const auto& shares = columns ? colShares_ : rowShares_;
  f = expand ? GridMath::Expand(f, 0) : GridMath::Adjust(f, 0, fitControl, shares ? &*shares : nullptr);
  for (int i = 0; i < count; ++i)
    if (header->sectionSize(i) != f.sizes[i]) header->resizeSection(i, f.sizes[i]);
  if (columns && f.client != viewport()->width()) resize(width() - viewport()->width() + f.client, height());
  if (!columns && f.client != viewport()->height())
    resize(width(), height() - viewport()->height() + f.client);
  adjusting_ = false;
}

// The fitting runs after the scroll area has laid out its viewport for the new size (a resize
// made while it does so would not reach the viewport).
bool TKivGrid::event(QEvent* e) {
  const bool result = QTableView::event(e);
  if (e->type() == QEvent::Resize) Resized();
  return result;
}

void TKivGrid::Resized() {
  if (adjusting_) return;
  if (resizing_) {
    SizeChanged();
  } else {
    ExpandColWidths();
    ExpandRowHeights();
  }
}

void TKivGrid::showEvent(QShowEvent* e) {
  QTableView::showEvent(e);
  SizeChanged();
  if (!e->spontaneous()) Loaded();
}

void TKivGrid::Loaded() {
  const QRect r = visualRect(model_->index(fixedRows_, fixedCols_));
  if (r.isValid()) marker_ = r.topLeft();
}

// ---- messages ----

void TKivGrid::customEvent(QEvent* e) {
  if (auto* m = AsPrivateMessage(e, WM_DATACHANGED)) {
    const auto* sender = reinterpret_cast<const QObject*>(m->WParam());
    // New breakpoints show at once as well as new cell values.
    if ((matrix_ && sender == matrix_) || (colRefs_->Data() && sender == colRefs_->Data()) ||
        (rowRefs_->Data() && sender == rowRefs_->Data()))
      Repaint();
    if (point_->Enabled() && (point_->Visible() || point_->ShowActiveRef())) {
      if (point_->HorizontalPosition()) hPos_ = point_->HorizontalPosition()->GetDouble();
      if (point_->VerticalPosition()) vPos_ = point_->VerticalPosition()->GetDouble();
      CalcolaCoordinateWorkPoint();
    }
  } else if (auto* m = AsPrivateMessage(e, WM_CHANGEDATADIM)) {
    const int cols = std::max<int>(1, int(m->WParam()));
    const int rows = std::max<int>(1, int(m->LParam()));
    fixedCols_ = rowRefs_->Visible() ? 1 : 0;
    fixedRows_ = colRefs_->Visible() ? 1 : 0;
    SetDimensions(fixedCols_ + cols, fixedRows_ + rows);
    if (TKivVector* v = colRefs_->Data(); v && v->ArrayDimension() != cols) v->SetArrayDimension(cols);
    if (TKivVector* v = rowRefs_->Data(); v && v->ArrayDimension() != rows) v->SetArrayDimension(rows);
  } else if (AsPrivateMessage(e, WM_STARTRESIZING)) {
    resizing_ = true;
    auto shares = [](QHeaderView* h, int count, int client) {
      std::vector<double> s;
      for (int i = 0; i < count; ++i) s.push_back(client > 0 ? double(h->sectionSize(i)) / client : 0);
      return s;
    };
    colShares_ = shares(horizontalHeader(), colCount_, viewport()->width());
    rowShares_ = shares(verticalHeader(), rowCount_, viewport()->height());
  } else if (AsPrivateMessage(e, WM_ENDRESIZING)) {
    resizing_ = false;
    colShares_.reset();
    rowShares_.reset();
  } else {
    QTableView::customEvent(e);
  }
}

// ---- working point ----

void TKivGrid::SetCursorPosition(int index, double value) {
  if (index == 1)
    hPos_ = value;
  else
    vPos_ = value;
  CalcolaCoordinateWorkPoint();
}

QRect TKivGrid::MarkerRect() const {
  int rx = point_->Dimension(), ry = point_->Dimension();
  if (point_->CustomDrawing()) {
    rx = point_->Glyph().width() / 2;
    ry = point_->Glyph().height() / 2;
  }
  return QRect(marker_.x() - rx, marker_.y() - ry, 2 * rx + 1, 2 * ry + 1);
}

void TKivGrid::UpdateHeaderCell(bool columns, int index) {
  const QModelIndex cell = columns ? model_->index(0, index + fixedCols_)
                                   : model_->index(index + fixedRows_, 0);
  viewport()->update(visualRect(cell));
}

void TKivGrid::CalcolaCoordinateWorkPoint() {
  const bool colData = colRefs_->Type() == TGridRefType::rtData && colRefs_->Data();
  const bool rowData = rowRefs_->Type() == TGridRefType::rtData && rowRefs_->Data();
  if (!colRefs_->Data() && !rowRefs_->Data()) return;
  if (hPos_ == hLast_ && vPos_ == vLast_) {
    if (unchangedCalls_ <= 9) {
      ++unchangedCalls_;
      return;
    }
  }
  hLast_ = hPos_;
  vLast_ = vPos_;
  unchangedCalls_ = 0;

  const QRect oldRect = MarkerRect();
  const int oldCol = activeCol_, oldRow = activeRow_;
  const std::vector<double> colRef = colData ? colRefs_->Values() : std::vector<double>{};
  const std::vector<double> rowRef = rowData ? rowRefs_->Values() : std::vector<double>{};
  if (colData) activeCol_ = GridMath::ActiveIndex(colRef, hPos_);
  if (rowData) activeRow_ = GridMath::ActiveIndex(rowRef, vPos_);
  const QRect r = visualRect(model_->index(activeRow_ + fixedRows_, activeCol_ + fixedCols_));
  marker_ = r.topLeft();
  if (colData) marker_.setX(GridMath::MarkerPixel(colRef, activeCol_, hPos_, r.left(), r.left() + r.width()));
  if (rowData) marker_.setY(GridMath::MarkerPixel(rowRef, activeRow_, vPos_, r.top(), r.top() + r.height()));
  viewport()->update(oldRect);
  viewport()->update(MarkerRect());
  if (point_->ShowActiveRef()) {
    if (activeRow_ != oldRow && rowRefs_->Visible()) {
      UpdateHeaderCell(false, oldRow);
      UpdateHeaderCell(false, activeRow_);
    }
    if (activeCol_ != oldCol && colRefs_->Visible()) {
      UpdateHeaderCell(true, oldCol);
      UpdateHeaderCell(true, activeCol_);
    }
  }
}

void TKivGrid::paintEvent(QPaintEvent* e) {
  QTableView::paintEvent(e);
  if (!point_->Visible()) return;
  if (colRefs_->Type() != TGridRefType::rtData && rowRefs_->Type() != TGridRefType::rtData) return;
  QPainter p(viewport());
  if (point_->CustomDrawing()) {
    const QPixmap& g = point_->Glyph();
    p.drawPixmap(marker_.x() - g.width() / 2, marker_.y() - g.height() / 2, g);
  } else {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(point_->Color());
    p.drawEllipse(marker_, point_->Dimension(), point_->Dimension());
  }
}

// ---- keyboard and mouse ----

void TKivGrid::keyPressEvent(QKeyEvent* e) {
  const int row = currentIndex().isValid() ? currentIndex().row() : fixedRows_;
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!editing_) {
        EditValoriMappa();
        e->accept();
        return;
      }
      if (state() != EditingState && currentIndex().isValid()) {
        edit(currentIndex());
        e->accept();
        return;
      }
      break;
    case Qt::Key_Up:
    case Qt::Key_Down: {
      const bool up = e->key() == Qt::Key_Up;
      if (arrowMoveFocus_ && !(e->modifiers() & Qt::ShiftModifier) &&
          row == (up ? fixedRows_ : rowCount_ - 1)) {
        if (QWidget* t = up ? GetPrevControl() : GetNextControl()) {
          t->setFocus(up ? Qt::BacktabFocusReason : Qt::TabFocusReason);
          e->accept();
          return;
        }
      }
      break;
    }
    default:
      break;
  }
  QTableView::keyPressEvent(e);
}

void TKivGrid::mouseDoubleClickEvent(QMouseEvent* e) {
  QTableView::mouseDoubleClickEvent(e);
  if (e->button() != Qt::LeftButton) return;
  const QModelIndex cell = indexAt(e->position().toPoint());
  if (!cell.isValid()) return;
  const int row = cell.row(), col = cell.column();
  if (row < fixedRows_ && col < fixedCols_) return;
  if (IsDataCell(row, col)) {
    if (!editing_) EditValoriMappa();
  } else {
    EditRiferimentiMappa(row < fixedRows_);
  }
}

// ---- dialogs ----

std::vector<QModelIndex> TKivGrid::SelectedDataCells() const {
  std::vector<QModelIndex> cells;
  for (const QModelIndex& i : selectionModel()->selectedIndexes())
    if (IsDataCell(i.row(), i.column())) cells.push_back(i);
  if (cells.empty() && currentIndex().isValid() && IsDataCell(currentIndex().row(), currentIndex().column()))
    cells.push_back(currentIndex());
  std::sort(cells.begin(), cells.end(), [](const QModelIndex& a, const QModelIndex& b) {
    return a.row() != b.row() ? a.row() < b.row() : a.column() < b.column();
  });
  return cells;
}

void TKivGrid::ModificaValoriMappa(double v, ModifyMode mode) {
  if (!matrix_) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  for (const QModelIndex& cell : SelectedDataCells()) {
    const int r = cell.row() - fixedRows_, c = cell.column() - fixedCols_;
    double old = 0;
    const bool read = matrix_->GetData(&old, r, c);
    double value = v;
    if (mode != mmAbsolute) {
      if (!read) continue;
      value = mode == mmRelative ? old + v : (0.01 * v + 1) * old;
    }
    matrix_->SetData(value, r, c);
    viewport()->update(visualRect(cell));
  }
  QApplication::restoreOverrideCursor();
  Repaint();
}

void TKivGrid::InitModifyDialog() {
  if (!modifyDialog_) return;
  for (const QString& line : msgStrings_) {
    const int eq = line.indexOf(u'=');
    if (eq < 0) continue;
    const QString name = line.left(eq), text = line.mid(eq + 1);
    if (name == u"Caption")
      modifyDialog_->setWindowTitle(text);
    else if (name == u"ButtonOk")
      modifyDialog_->ButtonOk()->setText(text);
    else if (name == u"ButtonCancel")
      modifyDialog_->ButtonCancel()->setText(text);
    else if (name == u"GroupMode")
      modifyDialog_->ModeGroup()->setTitle(text);
    else if (name == u"Mode1")
      modifyDialog_->ModeItem(0)->setText(text);
    else if (name == u"Mode2")
      modifyDialog_->ModeItem(1)->setText(text);
    else if (name == u"Mode3")
      modifyDialog_->ModeItem(2)->setText(text);
  }
}

void TKivGrid::EditValoriMappa() {
  if (!matrix_ || matrix_->ReadOnly()) return;
  const std::vector<QModelIndex> cells = SelectedDataCells();
  if (cells.empty()) return;
  if (!modifyDialog_) {
    modifyDialog_ = new TGridModifyDialog(this);
    InitModifyDialog();
  }
  double v = 0;
  if (cells.size() == 1) {
    matrix_->GetData(&v, cells[0].row() - fixedRows_, cells[0].column() - fixedCols_);  // held when unread
    modifyDialog_->SetMode(mmAbsolute);
  } else {
    modifyDialog_->SetMode(mmRelative);
  }
  TNumericEdit* field = modifyDialog_->ValueField();
  field->SetDouble(v);
  field->setFocus(Qt::OtherFocusReason);
  field->selectAll();
  QPointer<TKivGrid> alive(this);
  const int result = modifyDialog_->exec();
  if (!alive) return;
  if (result == QDialog::Accepted)
    ModificaValoriMappa(field->GetDouble(), static_cast<ModifyMode>(modifyDialog_->Mode()));
}

void TKivGrid::EditRiferimentiMappa(bool columns) {
  TGridReference* ref = columns ? colRefs_ : rowRefs_;
  TKivVector* vec = ref->Data();
  if (ref->Type() != TGridRefType::rtData || !vec || vec->ReadOnly()) return;
  const QStringList& msg = ref->MsgStrings();
  QPointer<TFormRiferimenti> owned = new TFormRiferimenti(this);
  TFormRiferimenti& form = *owned;
  form.SetSortType(ref->SortType());
  form.SetErrorText(MsgValue(msg, QStringLiteral("SortError")));
  form.setWindowTitle(MsgValue(msg, QStringLiteral("Caption")));
  form.TitleLabel()->setText(MsgValue(msg, QStringLiteral("RefTitle")));
  form.ButtonOk()->setText(MsgValue(msg, QStringLiteral("ButtonOk")));
  form.ButtonCancel()->setText(MsgValue(msg, QStringLiteral("ButtonCancel")));
  const QString label = MsgValue(msg, QStringLiteral("RefLabel"));
  for (int i = 0; i < vec->ArrayDimension(); ++i) {
    double v = 0;
    vec->GetData(&v, unsigned(i));  // held when unread
    form.AddField(label + QStringLiteral(" ") + QString::number(i + 1), vec->ValueMin(), vec->ValueMax(),
                  vec->Precision(), v);
  }
  QPointer<TKivGrid> alive(this);
  QPointer<TKivVector> target(vec);
  const int result = form.exec();
  if (!alive || !owned) return;
  if (result == QDialog::Accepted && target)
    for (int i = 0; i < int(form.Fields().size()) && i < target->ArrayDimension(); ++i)
      target->SetData(form.Fields()[i]->GetDouble(), unsigned(i));
  delete owned;
  Repaint();
}
