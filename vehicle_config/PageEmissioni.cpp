#include "PageEmissioni.h"

#include <QLabel>
#include <QVBoxLayout>

#include "Config.h"
#include "ConfigPageFields.h"
#include "EmissionGrid.h"
#include "Language.h"
#include "LivePanel.h"

using namespace PageFields;

namespace {
// Bit of the live status word set while the stepper is at its step limit.
constexpr int kStepLimitBit = 0x08;
}  // namespace

TPageEmissioni::TPageEmissioni(TFormConfig* form, ConfigPageId id) : TConfigPage(form, id) {
  LabelPassiInv = Label(this, "LabelPassiInv", QStringLiteral("Passi di inversione"));
  GridPassi = new TEmissionGrid(TEmissionGrid::Passi, form, this);
  LabelTempiPassi = Label(this, "LabelTempiPassi", QStringLiteral("Tempi di inversione (ms)"));
  GridTempi = new TEmissionGrid(TEmissionGrid::Tempi, form, this);
  LabelRigheOpenLoop = Label(this, "LabelRigheOpenLoop", QStringLiteral("Righe open loop"));
  GridOpenLoop = new TEmissionGrid(TEmissionGrid::OpenLoop, form, this);
  GridPassi->SetCycle(GridOpenLoop, GridTempi);
  GridTempi->SetCycle(GridPassi, GridOpenLoop);
  GridOpenLoop->SetCycle(GridTempi, GridPassi);
  GridPassi->SetTitle(1, QStringLiteral("Ingrassare"));
  GridPassi->SetTitle(2, QStringLiteral("Smagrire"));
  GridTempi->SetTitle(0, QStringLiteral("Ingrassare"));
  GridTempi->SetTitle(1, QStringLiteral("Smagrire"));
  GridOpenLoop->SetTitle(0, QStringLiteral("Righe/Giri"));
  GridOpenLoop->SetTitle(1, QStringLiteral("Righe sup."));
  GridOpenLoop->SetTitle(2, QStringLiteral("Righe inf."));

  auto* layout = new QVBoxLayout(this);
  for (auto [label, grid] : {std::pair<QLabel*, TEmissionGrid*>{LabelPassiInv, GridPassi},
                             {LabelTempiPassi, GridTempi},
                             {LabelRigheOpenLoop, GridOpenLoop}}) {
    layout->addWidget(label);
    layout->addWidget(grid, 0, Qt::AlignHCenter);
    layout->addSpacing(8);
  }
  layout->addStretch(1);
  ApplyScreenWidth(form ? form->ScreenWidth() : 800);
  PageResize();
}

void TPageEmissioni::ApplyScreenWidth(int screenWidth) {
  for (TEmissionGrid* g : {GridPassi, GridTempi, GridOpenLoop}) {
    QFont f = g->font();
    f.setBold(screenWidth != 640);
    g->setFont(f);
  }
}

void TPageEmissioni::PageShow() {
  for (TEmissionGrid* g : {GridOpenLoop, GridPassi, GridTempi}) g->Load();
  GridPassi->setFocus();
}

void TPageEmissioni::LiveTick(const TLivePanel& live, bool active) {
  if (active) GridPassi->SetLive(live.Values().rpm, (live.Values().flag1 & kStepLimitBit) != 0);
}

void TPageEmissioni::resizeEvent(QResizeEvent* e) {
  TConfigPage::resizeEvent(e);
  PageResize();
}

void TPageEmissioni::PageResize() {
  // 0.98 of the page width, and never more than the room inside the page's margins: a grid
  // wider than that would raise the page's least width above its own and widen the window at
  // its next layout, again and again. The columns (width - 15) x 2/29, the first column the
  // rest; rows of (height - 6) / rows.
  const QMargins margins = layout()->contentsMargins();
  const int room = this->width() - margins.left() - margins.right();
  const int width = std::max(std::min(static_cast<int>(this->width() * 0.98), room), 200);
  const int column = (width - 15) * 2 / 29;
  const int first = std::max(width - 15 - TEmissionGrid::kLimitColumn * column, column);
  const int rowHeight = fontMetrics().height() + 8;
  for (TEmissionGrid* g : {GridPassi, GridTempi, GridOpenLoop}) {
    const int height = g->RowCount() * rowHeight + 6;
    g->SetDefaultCellSize(column, (height - 6) / g->RowCount());
    g->SetColWidth(0, first);
    g->setFixedSize(g->GridExtent());
  }
}

void TPageEmissioni::Translate() {
  TranslateCaptions({{LabelPassiInv, 250}, {LabelTempiPassi, 251}, {LabelRigheOpenLoop, 252}});
  QString text;
  if (ReadText(253, &text)) {
    GridPassi->SetTitle(1, text);
    GridTempi->SetTitle(0, text);
  }
  if (ReadText(254, &text)) {
    GridPassi->SetTitle(2, text);
    GridTempi->SetTitle(1, text);
  }
  for (int row = 0; row < 3; ++row)
    if (ReadText(255 + row, &text)) GridOpenLoop->SetTitle(row, text);
}
