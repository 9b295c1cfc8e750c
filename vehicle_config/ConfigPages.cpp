// The page units of the configuration editor. To plug a page in: write its TConfigPage
// subclass in a unit of its own, include its header here and return it for its id.
#include "ConfigPage.h"
#include "MapGridPage.h"
#include "MapGridPageArr.h"
#include "MapGridPageCorrezioni.h"

TConfigPage::TConfigPage(TFormConfig* form, ConfigPageId id) : QWidget(nullptr), form_(form), id_(id) {}

TConfigPage* CreateConfigPage(TFormConfig* form, ConfigPageId id) {
  switch (id) {
    case TabMappa:
      return new TPageMappa(form, id);
    case TabArricchimento:
      return new TPageArricchimento(form, id);
    case TabCorrezioni:
      return new TPageCorrezioni(form, id);
    default:
      return new TConfigPage(form, id);
  }
}
