#include "EmissionGrid.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <algorithm>
#include <cstdlib>

#include "ConfigPageFields.h"
#include "DecimalText.h"
#include "EcuData.h"
#include "FocusChain.h"
#include "MapGridHost.h"
#include "Modmappa.h"
#include "WinColor.h"

namespace {
constexpr int kCodeMaxSteps = 0x2E;
constexpr int kCodeMaxTimeEnrich = 0x46;
constexpr int kCodeMaxTimeLean = 0x45;
constexpr int kMaxSteps = 255;
// The time limits are one-byte variables in steps of 5 ms: 1275 ms is the most they hold (a
// larger value would reach the ECU cut to its low byte while the page showed it whole).
constexpr int kMaxTime = 255 * 5;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kAqua = 0xFFFF00;
constexpr uint32_t k3DLight = 0xE3E3E3;
constexpr uint32_t kBtnFace = 0xF0F0F0;
constexpr uint32_t kHighlight = 0x800000;
constexpr int kTextInset = 2;

QString LimitText(double v) {
  return QString::fromStdString(DecimalText::Format(v, DecimalText::UserDecimalSeparator()));
}
}  // namespace

TEmissionGrid::TEmissionGrid(Kind kind, IGridHost* host, QWidget* parent)
    : TDrawGrid(parent), kind_(kind), host_(host) {
  static const char* const kNames[] = {"GridOpenLoop", "GridPassi", "GridTempi"};
  setObjectName(QString::fromLatin1(kNames[kind]));
  const int cols = kind == OpenLoop ? kBreakpoints + 1 : kLimitColumn + 1;
  const int rows = kind == Tempi ? 2 : 3;
  SetSize(cols, rows, 1, kind == Tempi ? 0 : 1);
  cells_.assign(cols, std::vector<QString>(rows));
  FixedColor = WinColor(kBtnFace);
  if (kind == Passi) cells_[kLimitColumn][0] = QStringLiteral("Max P");
  OnDrawCell = [this](QPainter& p, int c, int r, const QRect& rect, int state) {
    DrawCell(p, c, r, rect, state);
  };
  connect(this, &TDrawGrid::CellDoubleClicked, this, [this](int c, int r) {
    if (CanEdit(c, r) && !IsEditing()) StartEditing();
  });
}

void TEmissionGrid::SetTitle(int row, const QString& title) {
  if (row >= 0 && row < RowCount()) cells_[0][row] = title;
  update();
}

void TEmissionGrid::SetCycle(TEmissionGrid* previous, TEmissionGrid* next) {
  previous_ = previous;
  next_ = next;
}

bool TEmissionGrid::CanEdit(int col, int row) const {
  if (col < 1 || col >= ColCount() || row < FixedRows() || row >= RowCount()) return false;
  return !(kind_ == Passi && col == kLimitColumn && row == 2);  // always "0"
}

int TEmissionGrid::CellValue(int col, int row) const {
  if (!EcuData) return 0;
  if (col >= 1 && col <= kBreakpoints) {
    const int i = col - 1;
    if (row == 0 && kind_ != Tempi) return EcuData->GetRifGiri(i);
    switch (kind_) {
      case OpenLoop:
        return EcuData->GetRifOpenLoop(i, row);
      case Passi:
        return EcuData->GetPassi(i, row);
      case Tempi:
        return EcuData->GetPassi(i, row + 3);
    }
  }
  if (col == kLimitColumn) {
    if (kind_ == Passi && row == 1) return PageFields::Rounded(EcuData->GetValue(kCodeMaxSteps));
    if (kind_ == Tempi)
      return PageFields::Rounded(EcuData->GetValue(row == 0 ? kCodeMaxTimeEnrich : kCodeMaxTimeLean));
  }
  return 0;
}

void TEmissionGrid::ShowCell(int col, int row) {
  if (col == kLimitColumn) {
    if (kind_ == Passi && row == 1) cells_[col][row] = LimitText(EcuData->GetValue(kCodeMaxSteps));
    if (kind_ == Passi && row == 2) cells_[col][row] = QStringLiteral("0");
    if (kind_ == Tempi)
      cells_[col][row] = LimitText(EcuData->GetValue(row == 0 ? kCodeMaxTimeEnrich : kCodeMaxTimeLean));
  } else if (col >= 1) {
    cells_[col][row] = QString::number(CellValue(col, row));
  }
  update(CellRect(col, row));
}

void TEmissionGrid::Load() {
  if (!EcuData) return;
  for (int c = 1; c < ColCount(); ++c)
    for (int r = 0; r < RowCount(); ++r)
      if (!(kind_ == Passi && c == kLimitColumn && r == 0)) ShowCell(c, r);
  update();
}

void TEmissionGrid::StartEditing() {
  const int col = Col(), row = Row();
  if (!CanEdit(col, row)) return;
  if (!editor_) {
    editor_ = new QLineEdit(this);
    editor_->setObjectName(QStringLiteral("InplaceEdit"));
    editor_->setFrame(false);
    editor_->installEventFilter(this);
  }
  editCol_ = col;
  editRow_ = row;
  editValue_ = CellValue(col, row);
  editing_ = true;
  editor_->setGeometry(CellRect(col, row));
  editor_->setText(cells_[col][row]);
  editor_->selectAll();
  editor_->show();
  editor_->setFocus();
}

void TEmissionGrid::EndEditing(bool commit) {
  if (!IsEditing()) return;
  editing_ = false;  // the commit acts only once editing has ended
  const QString text = editor_->text();
  const bool hadFocus = editor_->hasFocus();
  if (hadFocus) setFocus();
  editor_->hide();
  if (commit) {
    CommitText(editCol_, editRow_, text);
  } else {
    cells_[editCol_][editRow_] = editCol_ == kLimitColumn ? LimitText(editValue_)
                                                          : QString::number(editValue_);
    update(CellRect(editCol_, editRow_));
  }
}

void TEmissionGrid::CommitText(int col, int row, const QString& text) {
  if (!EcuData || !CanEdit(col, row) || IsEditing()) return;
  bool ok = false;
  const int v = text.trimmed().toInt(&ok);
  if (ok) {
    if (col <= kBreakpoints) {
      const int i = col - 1;
      switch (kind_) {
        case OpenLoop:
          EcuData->SetRifOpenLoop(i, row, v);
          break;
        case Passi:
          EcuData->SetPassi(i, row, v);
          break;
        case Tempi:
          EcuData->SetPassi(i, row + 3, v);
          break;
      }
    } else if (kind_ == Passi) {
      EcuData->SetValue(kCodeMaxSteps, std::clamp(v, 0, kMaxSteps));
    } else {
      EcuData->SetValue(row == 0 ? kCodeMaxTimeEnrich : kCodeMaxTimeLean, std::clamp(v, 0, kMaxTime));
    }
  }
  // Not a number: the value held so far stays. Either way the cell shows what the data set holds.
  ShowCell(col, row);
}

void TEmissionGrid::ChangeBlock() {
  if (!host_) return;
  const MapGrid::Block block = Selection();
  int value = CellValue(Col(), Row());
  uint8_t mode = MapGrid::ModeAbsolute;
  RunCellDialog(
      *host_, this,
      [&](TFormModMappa& d) {
        d.SetModeChoiceEnabled(false);  // absolute values only
        return d.EditIntCell(&value, &mode);
      },
      [&](uint8_t) {
        const QString text = QString::number(value);
        for (int r = block.top; r <= block.bottom; ++r)
          for (int c = block.left; c <= block.right; ++c) CommitText(c, r, text);
      });
  if (TFormModMappa* d = host_->CellDialog()) d->SetModeChoiceEnabled(true);
}

void TEmissionGrid::MoveToTable(bool forward) {
  TEmissionGrid* target = forward ? next_ : previous_;
  for (int guard = 0; target && target != this && guard < 3; ++guard) {
    if (target->isVisibleTo(window())) break;
    target = forward ? target->next_ : target->previous_;
  }
  if (!target) return;
  const int col = std::min(Col(), target->ColCount() - 1);
  target->SetCurrent(col, forward ? target->FixedRows() : target->RowCount() - 1);
  target->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void TEmissionGrid::keyPressEvent(QKeyEvent* e) {
  const bool shift = (e->modifiers() & Qt::ShiftModifier) != 0;
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
      const MapGrid::Block& s = Selection();
      if (s.left == s.right && s.top == s.bottom)
        StartEditing();  // a single cell (the fixed "0" of the steps takes nothing)
      else
        ChangeBlock();
      return;
    }
    case Qt::Key_Escape:
      return;  // the grid takes Esc: it does not close the form
    case Qt::Key_Down:
      if (!shift && Row() == RowCount() - 1) return MoveToTable(true);
      break;
    case Qt::Key_Up:
      if (!shift && Row() == FixedRows()) return MoveToTable(false);
      break;
    default:
      break;
  }
  TDrawGrid::keyPressEvent(e);
}

bool TEmissionGrid::event(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
    e->accept();
    return true;
  }
  return TDrawGrid::event(e);
}

bool TEmissionGrid::eventFilter(QObject* watched, QEvent* e) {
  if (watched != editor_) return TDrawGrid::eventFilter(watched, e);
  switch (e->type()) {
    case QEvent::ShortcutOverride:
      if (static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
        e->accept();
        return true;
      }
      break;
    case QEvent::KeyPress:
      switch (static_cast<QKeyEvent*>(e)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
          EndEditing(true);
          return true;
        case Qt::Key_Escape:
          EndEditing(false);
          return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
          return true;  // swallowed while editing
        default:
          break;
      }
      break;
    case QEvent::FocusOut:
      // Leaving the cell without Enter keeps the value held.
      if (!TFocusChain::IsTransientFocusChange(static_cast<QFocusEvent*>(e)->reason())) EndEditing(false);
      break;
    default:
      break;
  }
  return TDrawGrid::eventFilter(watched, e);
}

void TEmissionGrid::mousePressEvent(QMouseEvent* e) {
  EndEditing(false);
  TDrawGrid::mousePressEvent(e);
}

void TEmissionGrid::SetLive(int rpm, bool stepLimit) {
  int nearest = -1;
  if (EcuData) {
    int best = 0;
    for (int i = 0; i < kBreakpoints; ++i) {
      const int d = std::abs(rpm - EcuData->GetRifGiri(i));
      if (nearest < 0 || d < best) {
        nearest = i;
        best = d;
      }
    }
  }
  if (nearest == nearest_ && stepLimit == stepLimit_) return;
  nearest_ = nearest;
  stepLimit_ = stepLimit;
  update(QRect(0, 0, width(), RowHeight(0) + 1));
}

void TEmissionGrid::DrawCell(QPainter& p, int col, int row, const QRect& rect, int state) {
  const bool fixed = (state & gdFixed) != 0;
  QColor ink = Qt::black;
  if (kind_ == Passi && row == 0) {
    QColor back = FixedColor;
    if (col == kLimitColumn && stepLimit_) back = WinColor(kRed);
    if (col >= 1 && col - 1 == nearest_) back = WinColor(kAqua);
    p.fillRect(rect, back);
  } else if (kind_ == Passi && col == kLimitColumn && row == 2) {
    p.fillRect(rect, WinColor(k3DLight));
  } else if (!fixed && (state & gdSelected) && hasFocus()) {
    p.fillRect(rect, WinColor(kHighlight));
    ink = Qt::white;
  }
  p.setPen(ink);
  // A text wider than its cell (five-digit rpm, a long title in narrow columns) is drawn smaller,
  // never cut.
  DrawCellText(p, rect.adjusted(0, kTextInset, 0, 0), cells_[col][row], Qt::AlignLeft | Qt::AlignTop,
               kTextInset);
}
