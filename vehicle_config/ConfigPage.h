#pragma once
// One page of the configuration editor (TFormConfig). Every page is one unit: a class derived
// from TConfigPage that builds its own controls as children of itself, named as the form
// names them ("EditFuoriGiri", "DrawGridMap", ...). The frame plugs each page in through
// CreateConfigPage (ConfigPages.cpp); a page without a unit of its own yet is a plain
// TConfigPage, empty but with its tab and caption.
//
// What the frame does for every page:
//  - binds the fields of its value-code table by object name after the page is built: sets
//    DataCode, limits and precision, and attaches the shared Enter handlers (the page must not
//    attach them again; a field with its own Enter handler sets the dynamic property
//    "sharedEnter" false before the frame binds it);
//  - attaches the limit hint to every TNumericEdit of the page, except fields whose dynamic
//    property "limitHint" is false;
//  - calls the virtual hooks below at the moments the form's own handlers run.
#include <QWidget>

class QMenuBar;
class TFormConfig;
class TLivePanel;

// Pages in page order (the order of their tabs).
enum ConfigPageId : int {
  TabCambio = 0,
  TabLambda,
  TabTps,
  TabEmulazione,
  TabCutoff,
  TabSensore,
  TabMappa,
  TabArricchimento,
  TabEmissioni,
  TabVarie,
  TabIniezione,
  TabVettori,
  TabAdattativita,
  TabAdatta,
  TabPressione,
  TabCorrezioni,
  kConfigPageCount
};

class TConfigPage : public QWidget {
  Q_OBJECT

 public:
  TConfigPage(TFormConfig* form, ConfigPageId id);

  TFormConfig* Form() const { return form_; }
  ConfigPageId Id() const { return id_; }

  // The page is shown (it became the active page, or the form was shown with it active):
  // reload every field from the ECU data set.
  virtual void PageShow() {}
  // Every live tick, for every page, after the panel was refreshed. active: this page is the
  // one showing. Grid pages move their markers and column highlights here.
  virtual void LiveTick(const TLivePanel& live, bool active) {
    (void)live;
    (void)active;
  }
  // The shared Enter handler of a numeric field or option list of this page wrote its value
  // and showed the value read back; the page runs its own rules for that sender here.
  virtual void AfterSharedEnter(QWidget* sender) { (void)sender; }
  // The form's own menus are built: a page with a menu of its own adds it to the menu bar.
  virtual void AddMenus(QMenuBar* menuBar) { (void)menuBar; }
  // The form's show handler runs (before the active page's PageShow).
  virtual void FormShow() {}
  // The form was activated after being shown (sizes that depend on the data set).
  virtual void FormActivate() {}
  // The form was resized: lay out grids and fields by the page's size rules.
  virtual void PageResize() {}
  // The form is translated: load the page's texts (TFormConfig::Text).
  virtual void Translate() {}
  // The data set was read, loaded or preset anew: recompute what follows from it (grid bounds).
  virtual void DataReloaded() {}

 private:
  TFormConfig* form_;
  ConfigPageId id_;
};

// Makes the page of id for form: the page's own unit when there is one, else an empty page.
TConfigPage* CreateConfigPage(TFormConfig* form, ConfigPageId id);
