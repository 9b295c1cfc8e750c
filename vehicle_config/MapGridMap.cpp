#include "MapGridMap.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>

#include "DecimalText.h"
#include "EcuData.h"
#include "MapGridClipboard.h"
#include "MapGridHost.h"
#include "Modmappa.h"
#include "Prompt.h"
#include "WinColor.h"

using MapGrid::Block;

const char* const TMapGrid::kBothMapsMessage =
    "Attenzione: in questa modalità non è possibile modificare le mappe.\n"
    "Visualizzare la mappa del GAS o quella della BENZINA per poterle modificare separatamente";

namespace {

constexpr uint32_t kViewColors[3] = {0x00FF00, 0x0000FF, 0x00FFFF};  // lime, red, yellow
constexpr uint32_t kFocusedCell = 0xC40000;
constexpr uint32_t kNavy = 0x800000;
constexpr uint32_t kAqua = 0xFFFF00;
constexpr uint32_t kInfoTip = 0xE1FFFF;

QString Fixed2(double v) {
  return QString::fromStdString(DecimalText::Fixed(v, 2, DecimalText::UserDecimalSeparator()));
}

}  // namespace

TMapGrid::TMapGrid(IGridHost* host, QWidget* parent) : TDrawGrid(parent), host_(host) {
  setObjectName("DrawGridMap");
  SetSize(13, 13, 1, 1);
  Color = WinColor(kAqua);
  SetView(ViewGas);
  OnDrawCell = [this](QPainter& p, int c, int r, const QRect& rect, int state) {
    DrawCell(p, c, r, rect, state);
  };
  connect(this, &TDrawGrid::EnterPressed, this, &TMapGrid::ChangeSelection);
  connect(this, &TDrawGrid::CellDoubleClicked, this, [this](int c, int r) {
    if (c >= 1 && r >= 1) ChangeSelection();
  });

  PopupMenuGrid = new QMenu(this);
  PopupMenuGrid->setObjectName("PopupMenuGrid");
  MenuCopia = PopupMenuGrid->addAction("&Copia");
  MenuCopia->setObjectName("MenuCopia");
  MenuCopia->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  MenuIncolla = PopupMenuGrid->addAction("&Incolla");
  MenuIncolla->setObjectName("MenuIncolla");
  MenuIncolla->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
  MenuPopupGraficoMappa = PopupMenuGrid->addAction("Visualizza &grafico mappa");
  MenuPopupGraficoMappa->setObjectName("MenuPopupGraficoMappa");
  for (QAction* a : {MenuCopia, MenuIncolla}) {
    a->setShortcutContext(Qt::WidgetShortcut);
    addAction(a);
  }
  connect(MenuCopia, &QAction::triggered, this, &TMapGrid::MenuCopiaClick);
  connect(MenuIncolla, &QAction::triggered, this, &TMapGrid::MenuIncollaClick);
  connect(MenuPopupGraficoMappa, &QAction::triggered, this, &TMapGrid::MapChartRequested);
  // The paste item (and its Ctrl+V) follows the clipboard, not only the last opening of the
  // menu: text copied afterwards, here or in another program, can be pasted at once.
  connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &TMapGrid::PopupMenuGridPopup);
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    PopupMenuGridPopup();
    PopupMenuGrid->popup(mapToGlobal(pos));
  });
  RecomputeBounds();
}

void TMapGrid::SetView(View view) {
  view_ = view;
  FixedColor = WinColor(kViewColors[view]);
  update();
}

void TMapGrid::RecomputeBounds() {
  std::array<int, 12> rpm{};
  for (int i = 0; i < 12; ++i) {
    rpm[i] = EcuData ? EcuData->GetRifGiri(i) : 0;
    rpmBreakpoints_[i] = rpm[i];
    loadBreakpoints_[i] = EcuData ? EcuData->GetRifMAP(i) : 0.0;
  }
  rpmBounds_ = MapGrid::RpmBounds(rpm);
  loadBounds_ = MapGrid::LoadBounds(loadBreakpoints_);
  for (int i = 0; i < 13; ++i) rpmBoundsD_[i] = rpmBounds_[i];
  ForceMarker();
  update();
}

bool TMapGrid::UpdateMarker(int rpm, double mapVolts) {
  const MapGrid::Axis cols{rpmBoundsD_, rpmBreakpoints_};
  const MapGrid::Axis rows{loadBounds_, loadBreakpoints_};
  return MoveMarker(rpm, mapVolts, cols, rows, 1, 1) && Marker().CellChanged();
}

double TMapGrid::Value(bool benzina, int row, int col) const {
  if (!EcuData) return 0.0;
  return benzina ? EcuData->GetMappaBenzina(row, col) : EcuData->GetMappa(row, col);
}

void TMapGrid::SetValue(int row, int col, double ms) {
  if (!EcuData || row < 0 || row >= 12 || col < 0 || col >= 12) return;
  if (view_ == ViewBenzina)
    EcuData->SetMappaBenzina(row, col, ms);
  else
    EcuData->SetMappa(row, col, ms);
}

Block TMapGrid::DataSelection() const {
  const Block& s = Selection();
  return {s.top - 1, s.left - 1, s.bottom - 1, s.right - 1};
}

void TMapGrid::DrawCell(QPainter& p, int col, int row, const QRect& rect, int state) {
  if (state & gdFixed) {
    p.setPen(Qt::black);
    QString text;
    if (col == 0 && row == 0)
      text = "map/rpm";
    else if (row == 0)
      text = QString::number(EcuData ? EcuData->GetRifGiri(col - 1) / 10 * 10 : 0);
    else
      text = Fixed2(EcuData ? EcuData->GetRifMAP(row - 1) : 0.0);
    DrawCellText(p, rect, text, Qt::AlignRight, 3);
    return;
  }
  const int r = row - 1, c = col - 1;
  QColor back = Color, ink = Qt::black;
  if (state & gdFocused) {
    back = WinColor(kFocusedCell);
    ink = Qt::white;
  } else if ((state & gdSelected) && hasFocus()) {
    back = WinColor(kNavy);
    ink = Qt::white;
  } else if (CellOccupied && CellOccupied(r, c)) {
    back = WinColor(kInfoTip);
  }
  p.fillRect(rect, back);
  p.setPen(ink);
  if (view_ == ViewEntrambe) {
    QFont f = font();
    f.setPointSizeF(std::max(1.0, f.pointSizeF() - 2));
    f.setBold(true);
    p.setFont(f);
    DrawCellText(p, rect, Fixed2(Value(false, r, c)), Qt::AlignRight | Qt::AlignTop, 3);
    f.setBold(false);
    p.setFont(f);
    DrawCellText(p, rect, Fixed2(Value(true, r, c)), Qt::AlignRight | Qt::AlignBottom, 3);
  } else {
    DrawCellText(p, rect, Fixed2(Value(view_ == ViewBenzina, r, c)), Qt::AlignRight, 3);
  }
  PaintMarker(p);
}

void TMapGrid::ChangeSelection() {
  if (view_ == ViewEntrambe) {
    ShowPrompt(host_->DialogOwner(), QString(), kBothMapsMessage, PromptIcon::Information);
    return;
  }
  const Block sel = DataSelection();
  const bool benzina = view_ == ViewBenzina;
  const auto get = [this, benzina](int r, int c) { return Value(benzina, r, c); };
  const MapGrid::DialogStart start = MapGrid::BlockDialogStart(sel, get);
  double value = start.value;
  uint8_t mode = start.mode;
  RunCellDialog(
      *host_, this, [&](TFormModMappa& d) { return d.EditFloatCell(&value, &mode); },
      [&](uint8_t m) {
        MapGrid::ChangeBlock(sel, static_cast<MapGrid::ChangeMode>(m), value, false, get,
                             [this](int r, int c, double v) { SetValue(r, c, v); });
      });
}

void TMapGrid::MenuCopiaClick() {
  const Block sel = DataSelection();
  const bool benzina = view_ == ViewBenzina;  // the both-maps view copies the gas map
  std::vector<std::vector<double>> rows;
  for (int r = sel.top; r <= sel.bottom; ++r) {
    std::vector<double>& line = rows.emplace_back();
    for (int c = sel.left; c <= sel.right; ++c) line.push_back(Value(benzina, r, c));
  }
  QGuiApplication::clipboard()->setText(
      QString::fromStdString(MapGridClipboard::Format(rows, DecimalText::UserDecimalSeparator())));
}

void TMapGrid::MenuIncollaClick() {
  const std::string text = QGuiApplication::clipboard()->text().toStdString();
  const MapGridClipboard::Parsed parsed = MapGridClipboard::Parse(text, DecimalText::UserDecimalSeparator());
  const Block sel = DataSelection();
  const MapGridClipboard::PastePlan plan = MapGridClipboard::PlanPaste(sel, parsed, 11, 11);
  if (plan.ask) {
    const QString question = host_->Text(305, "Le aree di copia ed incolla hanno dimensioni diverse.") +
                             "\n\n" + host_->Text(306, "Continuare?");
    if (ShowPrompt(host_->DialogOwner(), QString(), question, PromptIcon::Warning, PromptYesNo, PromptNo) !=
        PromptYes)
      return;
  }
  for (size_t i = 0; i < parsed.lines.size(); ++i)
    for (size_t j = 0; j < parsed.lines[i].size(); ++j)
      SetValue(sel.top + static_cast<int>(i), sel.left + static_cast<int>(j), parsed.lines[i][j]);
  update();
  SetSelection({plan.target.top + 1, plan.target.left + 1, plan.target.bottom + 1, plan.target.right + 1});
}

void TMapGrid::PopupMenuGridPopup() {
  MenuIncolla->setEnabled(!QGuiApplication::clipboard()->text().isEmpty());
}
