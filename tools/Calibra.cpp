#include "Calibra.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "AcquisitionStore.h"
#include "DesignPlacer.h"
#include "EcuData.h"
#include "EcuValueCodes.h"
#include "GaugeFaces.h"
#include "Language.h"
#include "LiveDashboard.h"
#include "NumericEdit.h"
#include "ScreenScale.h"
#include "SerialLink.h"
#include "WaitCursor.h"
#include "WinColor.h"

namespace {

constexpr int kDesignHeight = 560;

// The window's own captions for message texts the language lacks.
QString OwnMessage(int k) {
  switch (k) {
    case 395:
      return QStringLiteral("Premere INVIO per continuare");
    case 396:
      return QStringLiteral("Avviare il motore, attendere il passaggio a gas");
    case 397:
      return QStringLiteral("e una temperatura del riduttore di almeno 45 °C");
    case 398:
      return QStringLiteral("Lasciare il motore al minimo");
    case 400:
      return QStringLiteral("Misura al minimo in corso: non accelerare");
    case 401:
      return QStringLiteral("Mantenere i giri costanti: misura in corso");
    case 402:
      return QStringLiteral("TARATURA ESEGUITA");
    case 404:
      return QStringLiteral("Calcolo della mappa in corso...");
    default:
      return QString();
  }
}

void SetTextColour(QWidget* w, uint32_t bbggrr) {
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, WinColor(bbggrr));
  w->setPalette(p);
}

}  // namespace

TFormCalibra::TFormCalibra(QWidget* owner) : TModalDialog(owner) {
  setObjectName(QStringLiteral("FormCalibra"));
  setWindowTitle(QStringLiteral("Taratura centralina"));
  CalibrationInit();
}

TFormCalibra::~TFormCalibra() {
  // A window deleted without being closed must not leave the limits widened in the ECU.
  if (!limitsRestored_) FormClose();
}

int TFormCalibra::Scaled(int v) const { return ScaleToScreen(v, screenWidth_); }

void TFormCalibra::CalibrationInit() {
  TEcuData& data = *EcuData;
  // Scale to the screen; a fixed dialog frame.
  screenWidth_ = FittedScreenWidth(QSize(kDesignScreenWidth, kDesignHeight));
  ScaleFontToScreen(this, screenWidth_);
  BuildLayout();
  setFixedSize(Scaled(kDesignScreenWidth), Scaled(kDesignHeight));
  // The displacement, shown only.
  EditCilindrata->SetDataCode(kCodeCilindrata);
  EditCilindrata->SetInt(EcuConv::Trunc(data.GetValue(kCodeCilindrata)));
  // The acquired points start empty.
  if (DatiMappati) DatiMappati->Clear();
  // Texts.
  TranslateCaption(this, 392);
  TranslateCaption(ButtonEsci, 325, 10);
  TranslateCaption(LabelSvitare, 393, 30);
  TranslateCaption(LabelAvvitare, 394, 30);
  TranslateCaption(LabelLambda, 279, 30);
  TranslateCaption(LabelPressione, 286, 30);
  TranslateCaption(LabelCilindrata, 565, 30);
  std::array<QString, TCalibraWizard::kTextCount> texts;
  for (int i = 0; i < TCalibraWizard::kTextCount; ++i) {
    const int k = TCalibraWizard::kFirstText + i;
    if (!ReadText(k, &texts[i])) texts[i] = OwnMessage(k);
  }
  // The wizard (text 399 with 2000), the live values and their reference.
  const TDashboardSetup setup = TDashboardSetup::FromData(data);
  wizard_ = std::make_unique<TCalibraWizard>(texts, setup.lambdaReference, setup.lambdaTypeBit0);
  ApplyView();
  // The closed-loop limits, widened while the window is open.
  limits_.Widen(data);
  // Gauges as on the live dashboard.
  TDashboardGeometry geometry;
  MeasureThermometer(geometry);
  dashboard_ = std::make_unique<TLiveDashboard>(setup, TDashboardTexts{}, geometry);
  SetScales(*dashboard_);
  // The 45 degree mark on the thermometer.
  LabelTOk->move(LabelTOk->x(),
                 geometry.thermoBase - LabelTOk->height() / 2 - (geometry.thermoSpan * 45) / 80);

  TimerBlink = new QTimer(this);
  TimerBlink->setObjectName(QStringLiteral("TimerBlink"));
  TimerBlink->setInterval(kTickMs);
  connect(TimerBlink, &QTimer::timeout, this, &TFormCalibra::TimerBlinkTimer);
  TimerBlink->start();

  // KeyPreview.
  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

void TFormCalibra::BuildLayout() {
  const TDesignPlacer at(screenWidth_);
  const Qt::Alignment centre = Qt::AlignCenter;

  BuildGauges(this, at);
  // The 45 degree mark on the thermometer, stacked under the column.
  LabelTOk = at.Label(this, "LabelTOk", QStringLiteral("-  OK"), 88, 0, 44, 14);
  LabelTOk->stackUnder(ShapeT);

  // The lambda lamp and the displacement.
  LabelLambda = at.Label(this, "LabelLambda", QStringLiteral("Lambda"), 474, 226, 276, 30, centre);
  LabelLambda->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  SetTextColour(LabelLambda, 0xFFFFFF);
  Fill(LabelLambda, kColorButtonFace);
  {
    QFont f = LabelLambda->font();
    f.setBold(true);
    LabelLambda->setFont(f);
  }
  LabelCilindrata =
      at.Label(this, "LabelCilindrata", QStringLiteral("Cilindrata vettura"), 474, 280, 190, 24);
  EditCilindrata = new TNumericEdit(this);
  at.Place(EditCilindrata, "EditCilindrata", 670, 280, 80, 24);

  // Instruction, prompt and progress.
  PanelMessaggio = at.Frame(this, "PanelMessaggio", 130, 372, 640, 104);
  PanelMessaggio->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Fill(PanelMessaggio, 0x400000);
  LabelOperazione = at.Label(PanelMessaggio, "LabelOperazione", QString(), 10, 6, 620, 56, centre);
  LabelOperazione->setWordWrap(true);
  SetTextColour(LabelOperazione, kColorAqua);
  LabelMessaggio = at.Label(PanelMessaggio, "LabelMessaggio", QString(), 10, 66, 620, 30, centre);
  SetTextColour(LabelMessaggio, 0x00FFFF);
  for (QLabel* l : {LabelOperazione, LabelMessaggio}) {
    QFont f = l->font();
    f.setPixelSize(Scaled(17));
    f.setBold(true);
    l->setFont(f);
  }
  LabelMessaggio->hide();
  ProgressBarCalibra = new QProgressBar(this);
  at.Place(ProgressBarCalibra, "ProgressBarCalibra", 130, 484, 640, 18);
  ProgressBarCalibra->setRange(0, 100);
  ProgressBarCalibra->setTextVisible(false);
  ProgressBarCalibra->hide();

  // Kept from the layout, never shown.
  LabelSvitare = at.Label(this, "LabelSvitare", QString(), 130, 350, 200, 18);
  LabelAvvitare = at.Label(this, "LabelAvvitare", QString(), 340, 350, 200, 18);
  LabelOk = at.Label(this, "LabelOk", QStringLiteral("OK"), 550, 350, 60, 18);
  for (QLabel* l : {LabelSvitare, LabelAvvitare, LabelOk}) l->hide();

  ButtonEsci = AddCloseButton(QStringLiteral("&Esci"), QStringLiteral("ButtonEsci"), mrCancel);
  at.Place(ButtonEsci, "ButtonEsci", 690, 522, 100, 28);

  CoverWithNeedleCanvas(this, at, kDesignHeight);
}

void TFormCalibra::ApplyView() {
  const TCalibraView& v = wizard_->View();
  LabelOperazione->setText(v.operazione);
  LabelOperazione->setVisible(v.operazioneVisible);
  LabelMessaggio->setText(v.messaggio);
  LabelMessaggio->setVisible(v.messaggioVisible);
  ProgressBarCalibra->setValue(v.progress);
  ProgressBarCalibra->setVisible(v.progressVisible);
}

void TFormCalibra::TimerBlinkTimer() {
  // A record that does not come skips the tick (the link state is not asked).
  uint8_t buffer[LiveDataRecord::kSize] = {};
  int size = LiveDataRecord::kSize;
  if (!SerialLink || !SerialLink->ReadPacket(0, buffer, &size)) return;
  size = std::clamp(size, 0, static_cast<int>(LiveDataRecord::kSize));
  // The live display, as on the dashboard.
  const TDashboardView& v = dashboard_->Take(buffer, size, false, EcuData->HasDatiAggiuntivi);
  ShowGauges(v);
  Fill(LabelLambda, v.lambda.color);

  // The state machine.
  const LiveDataRecord& r = dashboard_->Record();
  TCalibraInput in;
  in.rpm = dashboard_->CurrentRpm();
  in.lambda = LiveDataRecord::Volts(r.lambda);
  in.mapVolts = LiveDataRecord::Volts(r.map);
  in.injectionMs = LiveDataRecord::Ms(r.gasInjection);
  in.flags = r.flag1;
  in.temperature = dashboard_->Temperature();
  if (wizard_->Tick(in)) {
    // State 4: no tick runs while the map is fitted and written.
    TimerBlink->stop();
    ProgressBarCalibra->hide();
    TWaitCursor hourglass;
    wizard_->ComputationDone(ComputeCalibration());
    hourglass.Release();
    ButtonEsci->setFocus();
    if (DatiMappati) {
      DatiMappati->Clear();
      DatiMappati->ClearGriglia();
    }
    TimerBlink->start();
  }
  ApplyView();
}

bool TFormCalibra::ComputeCalibration() {
  return DatiMappati && ::ComputeCalibration(wizard_->IdleMean(), wizard_->Mean2000(), *DatiMappati);
}

void TFormCalibra::FormKeyPress(int key) {
  if (key != 13) return;
  if (wizard_->KeyEnter()) ApplyView();
}

void TFormCalibra::FormClose() {
  limitsRestored_ = true;
  if (EcuData) limits_.Restore(*EcuData);
}

void TFormCalibra::FormPaint() { dashboard_->RequestRedraw(); }

void TFormCalibra::done(int r) {
  FormClose();
  TModalDialog::done(r);
}

void TFormCalibra::paintEvent(QPaintEvent* e) {
  TModalDialog::paintEvent(e);
  FormPaint();
}

void TFormCalibra::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    FormKeyPress(13);
    return;
  }
  TModalDialog::keyPressEvent(e);
}

bool TFormCalibra::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(e)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      FormKeyPress(13);
      return true;
    }
  }
  return TModalDialog::eventFilter(watched, e);
}
