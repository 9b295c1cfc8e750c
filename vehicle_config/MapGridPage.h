#pragma once
// The map page (TabMappa): the injection map grid with its three views, the breakpoint
// editor button and the grid's popup menu. Road mapping adds its own controls to this page.
#include "ConfigPage.h"

class QLabel;
class QPushButton;
class QRadioButton;
class TMapGrid;

class TPageMappa final : public TConfigPage {
  Q_OBJECT
 public:
  TPageMappa(TFormConfig* form, ConfigPageId id);

  void PageShow() override;  // TabMappaShow
  void LiveTick(const TLivePanel& live, bool active) override;
  void FormShow() override;
  void PageResize() override;
  void Translate() override;
  void DataReloaded() override;

  // The view radio buttons (one handler for the three); a click fired by Space only clears
  // the form's Space flag.
  void CheckMappaGasClick(QRadioButton* sender);
  // The breakpoint editor, with the live tick stopped; the bounds follow its changes.
  void ButtonCentriCelleClick();
  // The map chart, as road mapping's "Visualizza grafico mappa".
  void ButtonVisualizzaMappaClick();
  // Corrects the map from the acquired points, shows it in the chart and offers to go back to
  // the map before (which then goes to the ECU again).
  void ButtonScaricaMappaClick();

  QRadioButton* CheckMappaGas = nullptr;
  QRadioButton* CheckMappaBenzina = nullptr;
  QRadioButton* CheckEntrambeMappe = nullptr;
  QPushButton* ButtonCentriCelle = nullptr;
  // The yellow banner "Modalità mappatura", visible while road mapping's mapping mode is on.
  QLabel* LabelMappatura = nullptr;
  TMapGrid* DrawGridMap = nullptr;
  // Below the grid: the two map buttons and their notes.
  QWidget* PanelNotaBene = nullptr;
  QPushButton* ButtonVisualizzaMappa = nullptr;
  QPushButton* ButtonScaricaMappa = nullptr;
  QLabel* LabelNotaBene1 = nullptr;
  QLabel* LabelNotaBene2 = nullptr;
  QLabel* LabelNotaBene3 = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  QRadioButton* RadioOfView() const;
  void ApplyView(QRadioButton* button);
};
