#pragma once
// Road mapping ("Mappatura"): while driving, every Space stores the working point (rpm, MAP and
// a normalised injection time) in the acquisition store; from the stored points a whole map is
// interpolated, shown in the map grid, undone once if wanted and written to the ECU. The points
// are saved to and loaded from ".dma" files and edited in the points window.
//
// RoadMapping:: holds the rules without widgets; TRoadMapping is the editor's menu "Mappatura"
// with its handlers, made by TFormConfig.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <span>

#include "LivePanel.h"

class QAction;
class QMenu;
class QWidget;
class TDatiMappati;
class TEcuData;
class TFileDialog;
class TFormConfig;

namespace RoadMapping {

// Gas-temperature coefficient (100 = neutral) at temperature t (deg C) on the references
// refs[0..8] (deg C, increasing) and the stored coefficients coeffs[0..8]: the end values
// beyond the first and last reference, else linear in integers (division toward zero) between
// the references around t. Two equal references around t give the coefficient of the upper.
int GasTemperatureCoefficient(int t, std::span<const int, 9> refs, std::span<const int, 9> coeffs);
// Pressure factor in percent (correction + 100) at pressure p (bar) on the references refs[0..8]
// (bar, increasing) and the corrections[0..8] (percent), linear between the references around p.
double PressureFactor(double p, std::span<const double, 9> refs, std::span<const double, 9> corrections);

// The injection time (ms) one acquisition stores: the live petrol time with usePetrol; else,
// when the ECU has the additional data, the gas time normalised by the gas-temperature
// coefficient and the pressure factor (10000 x gas / (k x factor)); else the gas time. A
// coefficient or factor of 0 or less cannot normalise: the gas time is stored as measured.
double AcquisitionTime(const TLiveValues& live, bool usePetrol, const TEcuData& data);
// Stores the working point of the live values: rpm, MAP voltage, the time rounded to whole
// microseconds, the next order number. Returns the index of the record written.
int Acquire(TDatiMappati& store, const TLiveValues& live, bool usePetrol, const TEcuData& data);

// Saves the target map (petrol or gas) for undo and fits the new map through the store's
// points. On success with markUsed the store counts as used (changed flag cleared); the map
// page's correction leaves the flag as it is. When the fit fails no map changes and the undo
// buffer keeps what it held before, so the last interpolation that did change the map can
// still be undone.
bool Interpolate(TDatiMappati& store, TEcuData& data, bool petrol, bool markUsed = true);
// Restores the map saved by the last interpolation into the data set; false when nothing is
// saved (or it was restored already). A restored petrol map is also written to the ECU row by
// row here, since the maps-only write that follows carries the axes and the gas map only.
bool Undo(TEcuData& data, bool petrol);

}  // namespace RoadMapping

class TRoadMapping final : public QObject {
  Q_OBJECT
 public:
  // Adds the menu "Mappatura" to the form's menu bar.
  explicit TRoadMapping(TFormConfig* form);
  ~TRoadMapping() override;

  void MenuToggleMappaturaClick();
  void MenuAcqMappaturaClick();
  void MenuApriMappaturaClick();
  void MenuSalvaMappaturaClick();
  void MenuCancellaDatiClick();
  void MenuModMappaturaClick();
  void MenuGraficoMappaClick();
  void MenuInterpolaClick();
  void MenuUndoClick();
  void MenuScaricaMappaClick();
  void MenuMappaturaClick();  // the menu opens
  // Writes the maps to the ECU (maps only) with the live tick stopped, behind a wait window
  // with this caption.
  void WriteMaps(const QString& caption);

  // Mapping mode: on while MenuAcqMappatura is enabled.
  bool MappingMode() const;
  // Loads the menu's texts in the current language.
  void Translate();

  // Shows the map chart: the chart window (TFormGrafico::ShowMapChart) unless a test puts
  // another viewer in its place; MenuGraficoMappa is enabled only while a viewer is set.
  using MapChartViewer = std::function<void(QWidget* owner)>;
  static void SetMapChartViewer(MapChartViewer viewer);

  QMenu* MenuMappatura = nullptr;
  QAction* MenuToggleMappatura = nullptr;
  QAction* MenuAcqMappatura = nullptr;
  QAction* MenuUsaBenzina = nullptr;
  QAction* MenuApriMappatura = nullptr;
  QAction* MenuSalvaMappatura = nullptr;
  QAction* MenuCancellaDati = nullptr;
  QAction* MenuModMappatura = nullptr;
  QAction* MenuGraficoMappa = nullptr;
  QAction* MenuInterpola = nullptr;
  QAction* MenuUndo = nullptr;
  QAction* MenuScaricaMappa = nullptr;
  // Points files; both start in the data folder's "Acquisizioni".
  std::unique_ptr<TFileDialog> OpenDialogDma;
  std::unique_ptr<TFileDialog> SaveDialogDma;

 private:
  bool UsePetrol() const;
  void RepaintMap();
  void SetViewControlsEnabled(bool gas, bool petrol);
  QString Text(int id, const char* design) const;
  static MapChartViewer& Viewer();

  TFormConfig* form_;
};
