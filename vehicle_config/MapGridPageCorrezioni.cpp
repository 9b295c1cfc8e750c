#include "MapGridPageCorrezioni.h"

#include <QLabel>

#include "Config.h"
#include "Language.h"
#include "LivePanel.h"
#include "MapGridSmall.h"

TPageCorrezioni::TPageCorrezioni(TFormConfig* form, ConfigPageId id) : TConfigPage(form, id) {
  LabelRiferimentiGas = new QLabel("Correzione temperatura gas", this);
  LabelRiferimentiGas->setObjectName("LabelRiferimentiGas");
  LabelCorrezioniPressione = new QLabel("Correzione pressione differenziale", this);
  LabelCorrezioniPressione->setObjectName("LabelCorrezioniPressione");
  DrawGridTempGas = new TSmallGrid(TSmallGrid::TempGas, form, this);
  DrawGridPressDiff = new TSmallGrid(TSmallGrid::PressDiff, form, this);
  PageResize();
}

void TPageCorrezioni::PageShow() {
  DrawGridTempGas->update();
  DrawGridPressDiff->RecomputeBounds();
}

void TPageCorrezioni::DataReloaded() {
  DrawGridTempGas->RecomputeBounds();
  DrawGridPressDiff->RecomputeBounds();
}

void TPageCorrezioni::LiveTick(const TLivePanel& live, bool) {
  DrawGridTempGas->LiveTick(live.Values().temperatureRaw, 0);
  DrawGridPressDiff->LiveTick(0, live.Values().pressure);
}

void TPageCorrezioni::resizeEvent(QResizeEvent* e) {
  TConfigPage::resizeEvent(e);
  PageResize();
}

void TPageCorrezioni::PageResize() {
  // 0.85 of the page width, 0.016 of it from the left.
  const int left = static_cast<int>(width() * 0.016);
  const int w = static_cast<int>(width() * 0.85);
  int y = 8;
  for (auto [label, grid] : {std::pair{LabelRiferimentiGas, DrawGridTempGas},
                             std::pair{LabelCorrezioniPressione, DrawGridPressDiff}}) {
    label->adjustSize();
    label->move(left, y);
    y += label->height() + 4;
    grid->FitCells(w, 2 * (fontMetrics().height() + 12));
    grid->move(left, y);
    y += grid->height() + 16;
  }
}

void TPageCorrezioni::Translate() {
  TranslateCaption(LabelRiferimentiGas, 529);
  TranslateCaption(LabelCorrezioniPressione, 530);
}
