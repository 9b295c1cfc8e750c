#pragma once
// The enrichment page (TabArricchimento): the enrichment grid and its breakpoint editor
// button. The page's own fields come with its own unit (PageArricchimento.h).
#include "ConfigPage.h"

class QPushButton;
class TEnrichmentGrid;

class TPageArricchimento : public TConfigPage {
  Q_OBJECT
 public:
  TPageArricchimento(TFormConfig* form, ConfigPageId id);

  void PageShow() override;
  void LiveTick(const TLivePanel& live, bool active) override;
  void FormActivate() override;
  void PageResize() override;
  void DataReloaded() override;

  // The accumulation-reference editor, with the live tick stopped.
  void ButtonCentriCelleArrClick();
  void Translate() override;

  TEnrichmentGrid* DrawGridArr = nullptr;
  QPushButton* ButtonCentriCelleArr = nullptr;

 protected:
  void resizeEvent(QResizeEvent* e) override;
};
