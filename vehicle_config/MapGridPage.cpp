#include "MapGridPage.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "CentriCelle.h"
#include "Config.h"
#include "DatiMappati.h"
#include "EcuData.h"
#include "Language.h"
#include "LivePanel.h"
#include "MapGridMap.h"
#include "WinColor.h"

TPageMappa::TPageMappa(TFormConfig* form, ConfigPageId id) : TConfigPage(form, id) {
  CheckMappaGas = new QRadioButton("GAS", this);
  CheckMappaGas->setObjectName("CheckMappaGas");
  CheckMappaGas->setChecked(true);
  CheckMappaBenzina = new QRadioButton("BENZINA", this);
  CheckMappaBenzina->setObjectName("CheckMappaBenzina");
  CheckEntrambeMappe = new QRadioButton("GAS e BENZINA", this);
  CheckEntrambeMappe->setObjectName("CheckEntrambeMappe");
  ButtonCentriCelle = new QPushButton("Centri celle", this);
  ButtonCentriCelle->setObjectName("ButtonCentriCelle");
  ButtonCentriCelle->setAutoDefault(false);
  LabelMappatura = new QLabel(QString::fromUtf8("Modalit\u00E0 mappatura"), this);
  LabelMappatura->setObjectName("LabelMappatura");
  LabelMappatura->setStyleSheet("QLabel { background: yellow; color: black; padding: 2px 8px; }");
  LabelMappatura->hide();
  DrawGridMap = new TMapGrid(form, this);
  DrawGridMap->CellOccupied = [](int row, int col) {
    return DatiMappati && DatiMappati->IsCellaOccupata(row, col);
  };

  for (QRadioButton* r : {CheckMappaGas, CheckMappaBenzina, CheckEntrambeMappe}) {
    connect(r, &QRadioButton::clicked, this, [this, r] { CheckMappaGasClick(r); });
    r->installEventFilter(this);
  }
  connect(ButtonCentriCelle, &QPushButton::clicked, this, &TPageMappa::ButtonCentriCelleClick);
  // "Visualizza grafico mappa" of the grid's menu runs road mapping's map chart command.
  connect(DrawGridMap, &TMapGrid::MapChartRequested, this, [this] {
    if (auto* chart = Form() ? Form()->findChild<QAction*>("MenuGraficoMappa") : nullptr) chart->trigger();
  });
  ButtonCentriCelle->installEventFilter(this);

  auto* top = new QHBoxLayout;
  top->addWidget(CheckMappaGas);
  top->addWidget(CheckMappaBenzina);
  top->addWidget(CheckEntrambeMappe);
  top->addStretch();
  top->addWidget(LabelMappatura);
  top->addStretch();
  top->addWidget(ButtonCentriCelle);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addStretch(1);  // the grid is placed by PageResize below the controls
}

QRadioButton* TPageMappa::RadioOfView() const {
  switch (DrawGridMap->GetView()) {
    case TMapGrid::ViewBenzina:
      return CheckMappaBenzina;
    case TMapGrid::ViewEntrambe:
      return CheckEntrambeMappe;
    default:
      return CheckMappaGas;
  }
}

void TPageMappa::CheckMappaGasClick(QRadioButton* sender) {
  if (Form() && Form()->SpacePressed) {
    // The click Space fired on the focused button: swallowed once, the view stays.
    Form()->SpacePressed = false;
    RadioOfView()->setChecked(true);
    return;
  }
  ApplyView(sender);
}

void TPageMappa::ApplyView(QRadioButton* sender) {
  const TMapGrid::View view = sender == CheckMappaBenzina    ? TMapGrid::ViewBenzina
                              : sender == CheckEntrambeMappe ? TMapGrid::ViewEntrambe
                                                             : TMapGrid::ViewGas;
  sender->setChecked(true);
  DrawGridMap->SetView(view);
  // Road mapping's use-petrol option follows the view: checked with the petrol map shown.
  if (auto* usaBenzina = Form() ? Form()->findChild<QAction*>("MenuUsaBenzina") : nullptr)
    usaBenzina->setChecked(view == TMapGrid::ViewBenzina);
}

void TPageMappa::ButtonCentriCelleClick() {
  if (Form() && Form()->SpacePressed) {
    Form()->SpacePressed = false;
    return;
  }
  EditBreakpoints<TFormCentriCelle>(*Form(), DrawGridMap);
}

bool TPageMappa::eventFilter(QObject* watched, QEvent* event) {
  // A mouse press on the view buttons or the breakpoint button clears the Space flag.
  if (event->type() == QEvent::MouseButtonPress && Form()) Form()->SpacePressed = false;
  return TConfigPage::eventFilter(watched, event);
}

void TPageMappa::PageShow() {
  DrawGridMap->ForceMarker();
  DrawGridMap->RecomputeBounds();
  DrawGridMap->setFocus();
}

void TPageMappa::DataReloaded() { DrawGridMap->RecomputeBounds(); }

void TPageMappa::LiveTick(const TLivePanel& live, bool active) {
  if (!active) return;
  DrawGridMap->SetMarkerColor(WinColor(live.View().markerColor));
  DrawGridMap->UpdateMarker(live.Values().rpm, live.Values().map);
}

void TPageMappa::FormShow() {
  CheckMappaBenzina->setEnabled(EcuData && EcuData->HasMappaBenzina);
  QRadioButton* checked = CheckMappaBenzina->isChecked() ? CheckMappaBenzina
                          : CheckEntrambeMappe->isChecked() ? CheckEntrambeMappe
                                                            : CheckMappaGas;
  ApplyView(checked);
}

void TPageMappa::resizeEvent(QResizeEvent* e) {
  TConfigPage::resizeEvent(e);
  PageResize();
}

void TPageMappa::PageResize() {
  // 0.98 of the page's width, centred, below the controls; cells of the client size divided by
  // the cell count, minus 1, and the grid shrunk to fit them.
  const int top = ButtonCentriCelle->geometry().bottom() + 8;
  const int width = static_cast<int>(this->width() * 0.98);
  const int height = std::max(this->height() - top - 4, 13 * 2);
  DrawGridMap->FitCells(width, height);
  DrawGridMap->move((this->width() - DrawGridMap->width()) / 2, top);
}

void TPageMappa::Translate() {
  TranslateCaption(CheckMappaGas, 240);
  TranslateCaption(CheckMappaBenzina, 241);
  TranslateCaption(CheckEntrambeMappe, 242);
  TranslateCaption(ButtonCentriCelle, 143);
  TranslateCaption(LabelMappatura, 239);
  TranslateCaption(DrawGridMap->MenuCopia, 135);
  TranslateCaption(DrawGridMap->MenuIncolla, 136);
  TranslateCaption(DrawGridMap->MenuPopupGraficoMappa, 137);
}
