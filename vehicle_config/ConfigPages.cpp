// The page units of the configuration editor. To plug a page in: write its TConfigPage
// subclass in a unit of its own, include its header here and return it for its id.
#include "Config.h"
#include "ConfigPage.h"
#include "MapGridPage.h"
#include "PageAdatta.h"
#include "PageArricchimento.h"
#include "PageCambio.h"
#include "PageCorrezioni.h"
#include "PageCutoff.h"
#include "PageEmissioni.h"
#include "PageEmulazione.h"
#include "PageIniezione.h"
#include "PageLambda.h"
#include "PagePressione.h"
#include "PageSensore.h"
#include "PageTps.h"
#include "PageVarie.h"
#include "PageVettori.h"

// Made inside the form (the page stack takes it over later), so its fields are built with the
// form's scaled font.
TConfigPage::TConfigPage(TFormConfig* form, ConfigPageId id) : QWidget(form), form_(form), id_(id) {}

TConfigPage* CreateConfigPage(TFormConfig* form, ConfigPageId id) {
  switch (id) {
    case TabCambio:
      return new TPageCambio(form, id);
    case TabLambda:
      return new TPageLambda(form, id);
    case TabTps:
      return new TPageTps(form, id);
    case TabEmulazione:
      return new TPageEmulazione(form, id);
    case TabCutoff:
      return new TPageCutoff(form, id);
    case TabSensore:
      return new TPageSensore(form, id);
    case TabMappa:
      return new TPageMappa(form, id);
    case TabArricchimento:
      return new TPageArricchimentoParametri(form, id);
    case TabEmissioni:
      return new TPageEmissioni(form, id);
    case TabVarie:
      return new TPageVarie(form, id);
    case TabIniezione:
      return new TPageIniezione(form, id);
    case TabVettori:
      return new TPageVettori(form, id);
    case TabAdatta:
      return new TPageAdatta(form, id);
    case TabPressione:
      return new TPagePressione(form, id);
    case TabCorrezioni:
      return new TPageCorrezioniParametri(form, id);
    default:
      return new TConfigPage(form, id);
  }
}
