#include "MapGridArr.h"

#include <QPainter>

#include "EcuData.h"
#include "MapGridHost.h"
#include "Modmappa.h"
#include "WinColor.h"

namespace {
constexpr uint32_t kFocusedCell = 0xC40000;
constexpr uint32_t kNavy = 0x800000;
constexpr uint32_t kYellow = 0x00FFFF;
constexpr uint32_t kFixed = 0x808000;  // teal
}  // namespace

TEnrichmentGrid::TEnrichmentGrid(IGridHost* host, QWidget* parent) : TDrawGrid(parent), host_(host) {
  setObjectName("DrawGridArr");
  FixedColor = WinColor(kFixed);
  OnDrawCell = [this](QPainter& p, int c, int r, const QRect& rect, int state) {
    DrawCell(p, c, r, rect, state);
  };
  connect(this, &TDrawGrid::EnterPressed, this, &TEnrichmentGrid::ChangeSelection);
  connect(this, &TDrawGrid::CellDoubleClicked, this, [this](int c, int r) {
    if (c >= 1 && r >= 1) ChangeSelection();
  });
  RefreshLayout();
}

void TEnrichmentGrid::RefreshLayout() {
  mapLayout_ = EcuData && EcuData->IsMappaArricchimento();
  mapRows_ = EcuData ? std::clamp(EcuData->GetNumeroRigheArr(), 1, TEcuData::kArrRows) : 4;
  SetSize(7, mapLayout_ ? mapRows_ + 3 : 3, 1, 1);
  RecomputeBounds();
}

void TEnrichmentGrid::RecomputeBounds() {
  std::array<int, 12> rpm{};
  for (int i = 0; i < 12; ++i) rpm[i] = EcuData ? EcuData->GetRifGiri(i) : 0;
  const auto all = MapGrid::RpmBounds(rpm);
  for (int i = 0; i < 7; ++i) rpmBounds_[i] = all[i];
  for (int i = 0; i < 6; ++i) rpmBreakpoints_[i] = rpm[i];
  std::array<int, 5> refs{};
  for (int i = 0; i < mapRows_; ++i) {
    refs[i] = EcuData ? EcuData->GetRifCumulo(i) : 0;
    cumuloRefs_[i] = refs[i];
  }
  cumuloBounds_ = MapGrid::CumuloBounds(std::span<const int>(refs.data(), mapRows_));
  for (int i = 0; i < 6; ++i) cumuloBoundsD_[i] = cumuloBounds_[i];
  lastRpm_ = -1;  // the column highlight follows the new breakpoints, even at the same rpm
  ForceMarker();
  update();
}

void TEnrichmentGrid::LiveTick(int rpm, int cumulo) {
  if (!mapLayout_) {
    if (rpm == lastRpm_) return;
    lastRpm_ = rpm;
    std::array<int, 6> centres{};
    for (int i = 0; i < 6; ++i) centres[i] = EcuData ? EcuData->GetGiriCentroFascia(i) : 0;
    const int col = MapGrid::EnrichmentColumn(rpm, centres);
    if (col != highlight_) {
      if (highlight_ >= 0) update(CellRect(highlight_ + 1, 0));
      highlight_ = col;
      update(CellRect(highlight_ + 1, 0));
    }
    return;
  }
  const MapGrid::Axis cols{rpmBounds_, rpmBreakpoints_};
  const MapGrid::Axis rows{std::span<const double>(cumuloBoundsD_.data(), mapRows_ + 1),
                           std::span<const double>(cumuloRefs_.data(), mapRows_)};
  MoveMarker(rpm, cumulo, cols, rows, 2, 1);  // accumulation row 0 is grid row 2
}

int TEnrichmentGrid::CellValue(int gridRow, int col) const {
  if (!EcuData) return 0;
  if (gridRow == RowCount() - 1) return EcuData->GetArricchimento(col, 5);
  if (!mapLayout_) return EcuData->GetArricchimento(col, 1);
  if (gridRow == 1) return EcuData->GetArrUscitaMin(col);
  return EcuData->GetMappaArr(gridRow - 2, col);
}

void TEnrichmentGrid::SetCellValue(int gridRow, int col, int v) {
  if (!EcuData || gridRow < 1 || gridRow >= RowCount() || col < 0 || col >= 6) return;
  if (gridRow == RowCount() - 1)
    EcuData->SetArricchimento(col, 5, v);
  else if (!mapLayout_)
    EcuData->SetArricchimento(col, 1, v);
  else if (gridRow == 1)
    EcuData->SetArrUscitaMin(col, v);
  else
    EcuData->SetMappaArr(gridRow - 2, col, v);
}

void TEnrichmentGrid::DrawCell(QPainter& p, int col, int row, const QRect& rect, int state) {
  if (state & gdFixed) {
    if (row == 0) {
      if (col == 0) return;
      if (!mapLayout_ && col - 1 == highlight_) {
        p.fillRect(rect, WinColor(kYellow));
        p.setPen(WinColor(kNavy));
      } else {
        p.setPen(Qt::white);
      }
      DrawCellText(p, rect, QString::number(EcuData ? EcuData->GetRifGiri(col - 1) / 10 * 10 : 0),
                   Qt::AlignHCenter, 0);
      return;
    }
    p.setPen(Qt::white);
    if (mapLayout_) {
      QString text;
      if (row == 1)
        text = "0";
      else if (row == RowCount() - 1)
        text = host_->Text(249, "Dec.Arr.");
      else
        text = QString::number(EcuData ? EcuData->GetRifCumulo(row - 2) : 0);
      DrawCellText(p, rect, text, Qt::AlignHCenter, 0);
    } else {
      DrawCellText(p, rect,
                   row == 1 ? host_->Text(247, "Max. arricchimento")
                            : host_->Text(248, "Velocità riduz.arricchimento"),
                   Qt::AlignLeft, 2);
    }
    return;
  }
  QColor ink = Qt::black;
  if (state & gdFocused) {
    p.fillRect(rect, WinColor(kFocusedCell));
    ink = Qt::white;
  } else if (state & gdSelected) {
    p.fillRect(rect, WinColor(kNavy));
    ink = Qt::white;
  }
  p.setPen(ink);
  DrawCellText(p, rect, QString::number(CellValue(row, col - 1)), Qt::AlignLeft, 2);
  if (mapLayout_ && row == RowCount() - 1)
    p.fillRect(QRect(rect.left(), rect.top(), rect.width(), 2), FixedColor);
  if (mapLayout_) PaintMarker(p);
}

void TEnrichmentGrid::ChangeSelection() {
  const MapGrid::Block& s = Selection();
  const MapGrid::Block sel{s.top, s.left - 1, s.bottom, s.right - 1};  // grid rows, data columns
  const auto get = [this](int r, int c) { return static_cast<double>(CellValue(r, c)); };
  const MapGrid::DialogStart start = MapGrid::BlockDialogStart(sel, get);
  int value = static_cast<int>(start.value);
  uint8_t mode = start.mode;
  RunCellDialog(
      *host_, this, [&](TFormModMappa& d) { return d.EditIntCell(&value, &mode); },
      [&](uint8_t m) {
        MapGrid::ChangeBlock(sel, static_cast<MapGrid::ChangeMode>(m), value, true, get,
                             [this](int r, int c, double v) { SetCellValue(r, c, static_cast<int>(v)); });
      });
}
