#include "MapGridPageArr.h"

#include <QPushButton>

#include "CentriCelleArr.h"
#include "Config.h"
#include "Language.h"
#include "LivePanel.h"
#include "MapGridArr.h"
#include "WinColor.h"

TPageArricchimento::TPageArricchimento(TFormConfig* form, ConfigPageId id) : TConfigPage(form, id) {
  DrawGridArr = new TEnrichmentGrid(form, this);
  ButtonCentriCelleArr = new QPushButton("Riferimenti mappa arricchimenti", this);
  ButtonCentriCelleArr->setObjectName("ButtonCentriCelleArr");
  ButtonCentriCelleArr->setAutoDefault(false);
  connect(ButtonCentriCelleArr, &QPushButton::clicked, this, &TPageArricchimento::ButtonCentriCelleArrClick);
  FormActivate();
}

void TPageArricchimento::ButtonCentriCelleArrClick() {
  EditBreakpoints<TFormCentriCelleArr>(*Form(), DrawGridArr);
}

void TPageArricchimento::Translate() { TranslateCaption(ButtonCentriCelleArr, 564); }

void TPageArricchimento::PageShow() {
  DrawGridArr->RefreshLayout();
  PageResize();
}

void TPageArricchimento::DataReloaded() {
  DrawGridArr->RefreshLayout();
  PageResize();
}

void TPageArricchimento::FormActivate() {
  DrawGridArr->RefreshLayout();
  PageResize();
}

void TPageArricchimento::LiveTick(const TLivePanel& live, bool active) {
  if (!active) return;
  DrawGridArr->SetMarkerColor(WinColor(live.View().markerColor));
  DrawGridArr->LiveTick(live.Values().rpm, live.Values().cumulo);
}

void TPageArricchimento::resizeEvent(QResizeEvent* e) {
  TConfigPage::resizeEvent(e);
  PageResize();
}

void TPageArricchimento::PageResize() {
  // Map layout: 0.76 x 0.35 of the page width, columns of width / 7 - 1; vector layout:
  // 0.9 x 0.15, columns of width / 9 - 1 (the title column takes the rest) and no breakpoint
  // button. Rows of height / rows - 1; centred horizontally.
  const int page = width();
  const bool map = DrawGridArr->MapLayout();
  const int w = static_cast<int>(page * (map ? 0.76 : 0.9));
  const int h = static_cast<int>(page * (map ? 0.35 : 0.15));
  const int rows = DrawGridArr->RowCount();
  const int col = std::max(w / (map ? 7 : 9) - 1, 1);
  DrawGridArr->SetDefaultCellSize(col, std::max(h / rows - 1, 1));
  if (!map) DrawGridArr->SetColWidth(0, w - 6 * (col + 1) - 2);
  DrawGridArr->resize(DrawGridArr->GridExtent());
  DrawGridArr->move((page - DrawGridArr->width()) / 2, 8);
  ButtonCentriCelleArr->setVisible(map);
  ButtonCentriCelleArr->adjustSize();
  ButtonCentriCelleArr->move(DrawGridArr->x(), DrawGridArr->geometry().bottom() + 8);
}
