#include "MapGridPage.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "AcquisitionStore.h"
#include "CentriCelle.h"
#include "Config.h"
#include "EcuData.h"
#include "FormMessaggio.h"
#include "Language.h"
#include "LivePanel.h"
#include "MapGridMap.h"
#include "Prompt.h"
#include "RoadMapping.h"
#include "ShowActive.h"
#include "WaitCursor.h"
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

  PanelNotaBene = new QWidget(this);
  PanelNotaBene->setObjectName("PanelNotaBene");
  ButtonVisualizzaMappa = new QPushButton("Visualizza/Correggi Mappa", PanelNotaBene);
  ButtonVisualizzaMappa->setObjectName("ButtonVisualizzaMappa");
  ButtonScaricaMappa = new QPushButton("Scarica Mappa appresa su strada", PanelNotaBene);
  ButtonScaricaMappa->setObjectName("ButtonScaricaMappa");
  LabelNotaBene1 = new QLabel("NB: Per permettere il calcolo della mappa su strada", PanelNotaBene);
  LabelNotaBene1->setObjectName("LabelNotaBene1");
  LabelNotaBene2 = new QLabel(" bisogna apprendere, tramite la barra spazio,", PanelNotaBene);
  LabelNotaBene2->setObjectName("LabelNotaBene2");
  LabelNotaBene3 = new QLabel("almeno 5 punti distribuiti sulla mappa.", PanelNotaBene);
  LabelNotaBene3->setObjectName("LabelNotaBene3");
  for (QPushButton* b : {ButtonVisualizzaMappa, ButtonScaricaMappa}) {
    b->setAutoDefault(false);
    b->installEventFilter(this);
  }
  connect(ButtonVisualizzaMappa, &QPushButton::clicked, this, &TPageMappa::ButtonVisualizzaMappaClick);
  connect(ButtonScaricaMappa, &QPushButton::clicked, this, &TPageMappa::ButtonScaricaMappaClick);
  // The buttons, and under them the note's three lines across the page's whole width: beside
  // the buttons they had too little room and wrapped, a word alone on a line.
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ButtonVisualizzaMappa);
  buttons->addWidget(ButtonScaricaMappa);
  buttons->addStretch(1);
  auto* notes = new QVBoxLayout;
  notes->setSpacing(0);
  for (QLabel* l : {LabelNotaBene1, LabelNotaBene2, LabelNotaBene3}) {
    l->setWordWrap(true);  // only where the page is narrower than the line
    notes->addWidget(l);
  }
  auto* bottom = new QVBoxLayout(PanelNotaBene);
  bottom->setContentsMargins(0, 0, 0, 0);
  bottom->addLayout(buttons);
  bottom->addLayout(notes);

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
  layout->addStretch(1);  // the grid is placed by PageResize between the controls
  layout->addWidget(PanelNotaBene);
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

void TPageMappa::ButtonVisualizzaMappaClick() {
  if (Form()->SpacePressed) {
    Form()->SpacePressed = false;
    return;
  }
  Form()->Mapping()->MenuGraficoMappaClick();
}

void TPageMappa::ButtonScaricaMappaClick() {
  TFormConfig* form = Form();
  if (form->SpacePressed) {
    form->SpacePressed = false;
    return;
  }
  if (!EcuData || !DatiMappati) return;
  TRoadMapping* mapping = form->Mapping();
  const bool petrol = mapping->MenuUsaBenzina->isChecked();
  form->StopLiveTimer();
  bool fitted = false;
  {
    TWaitCursor hourglass;
    TFormMessaggio notice(form);
    notice.setWindowTitle(form->windowTitle());
    notice.Messaggio->setText(form->Text(309, QStringLiteral("Interpolazione in corso...")));
    ShowActive(&notice);
    // The points stay unsaved: leaving the page still asks before they are dropped.
    fitted = RoadMapping::Interpolate(*DatiMappati, *EcuData, petrol, false);
    DrawGridMap->update();
  }
  if (!fitted) {
    ShowPrompt(form, form->windowTitle(),
               form->Text(304, QStringLiteral("Impossibile effettuare l'interpolazione dei dati!")),
               PromptIcon::Stop);
  } else {
    mapping->MenuGraficoMappaClick();
    if (ShowPrompt(
            form, form->windowTitle(),
            form->Text(433, QStringLiteral("La mappa \u00E8 stata corretta.Tornare alla precedente ?")),
            PromptIcon::Question, PromptYesNo) == PromptYes &&
        RoadMapping::Undo(*EcuData, petrol)) {
      mapping->WriteMaps(QStringLiteral("Ripristino mappa originale"));
      if (form->ActivePage() == TabMappa) DrawGridMap->update();
    }
  }
  form->StartLiveTimer();
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
  QRadioButton* checked = CheckMappaBenzina->isChecked()    ? CheckMappaBenzina
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
  const int height = std::max(PanelNotaBene->geometry().top() - top - 4, 13 * 2);
  DrawGridMap->FitCells(width, height);
  DrawGridMap->move((this->width() - DrawGridMap->width()) / 2, top);
}

void TPageMappa::Translate() {
  TranslateCaption(CheckMappaGas, 240);
  TranslateCaption(CheckMappaBenzina, 241);
  TranslateCaption(CheckEntrambeMappe, 242);
  TranslateCaption(ButtonCentriCelle, 143);
  TranslateCaption(ButtonVisualizzaMappa, 429);
  TranslateCaption(ButtonScaricaMappa, 430);
  TranslateCaption(LabelNotaBene1, 450);
  TranslateCaption(LabelNotaBene2, 451);
  TranslateCaption(LabelNotaBene3, 452);
  TranslateCaption(LabelMappatura, 239);
  TranslateCaption(DrawGridMap->MenuCopia, 135);
  TranslateCaption(DrawGridMap->MenuIncolla, 136);
  TranslateCaption(DrawGridMap->MenuPopupGraficoMappa, 137);
}
