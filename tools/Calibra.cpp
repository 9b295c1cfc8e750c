#include "Calibra.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "DatiMappati.h"
#include "EcuData.h"
#include "EcuValueCodes.h"
#include "GaugeFaces.h"
#include "Language.h"
#include "LiveDashboard.h"
#include "NeedleOverlay.h"
#include "NumericEdit.h"
#include "SerialLink.h"
#include "ScreenScale.h"
#include "WaitCursor.h"
#include "WinColor.h"

namespace {

constexpr int kDesignHeight = 560;

// The window's own captions for message texts the language lacks.
QString OwnMessage(int k) {
  switch (k) {
    case 395: return QStringLiteral("Premere INVIO per continuare");
    case 396: return QStringLiteral("Avviare il motore, attendere il passaggio a gas");
    case 397: return QStringLiteral("e una temperatura del riduttore di almeno 45 °C");
    case 398: return QStringLiteral("Lasciare il motore al minimo");
    case 400: return QStringLiteral("Misura al minimo in corso: non accelerare");
    case 401: return QStringLiteral("Mantenere i giri costanti: misura in corso");
    case 402: return QStringLiteral("TARATURA ESEGUITA");
    case 404: return QStringLiteral("Calcolo della mappa in corso...");
    default: return QString();
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
  // 1. Scale to the screen; a fixed dialog frame.
  screenWidth_ = FittedScreenWidth(QSize(kDesignScreenWidth, kDesignHeight));
  ScaleFontToScreen(this, screenWidth_);
  BuildLayout();
  setFixedSize(Scaled(kDesignScreenWidth), Scaled(kDesignHeight));
  // 2. The displacement, shown only.
  EditCilindrata->SetDataCode(kCodeCilindrata);
  EditCilindrata->SetInt(EcuConv::Trunc(data.GetValue(kCodeCilindrata)));
  // 3.
  if (DatiMappati) DatiMappati->Clear();
  // 4. Texts.
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
  // 5-7. The wizard (text 399 with 2000), the live values and their reference.
  const TDashboardSetup setup = TDashboardSetup::FromData(data);
  wizard_ = std::make_unique<TCalibraWizard>(texts, setup.lambdaReference, setup.lambdaTypeBit0);
  ApplyView();
  // 8. The closed-loop limits, widened while the window is open.
  limits_.Widen(data);
  // 9. Gauges as on the live dashboard.
  TDashboardGeometry geometry;
  geometry.thermoSpan = LabelTMin->y() - LabelTMax->y();
  geometry.thermoBase = ShapeT->y();
  dashboard_ = std::make_unique<TLiveDashboard>(setup, TDashboardTexts{}, geometry);
  rpmDial_ = RpmDialOf(BevelGiri->geometry());
  pressureDial_ =
      PressureDialOf(ImagePressione->geometry(), dashboard_->PressureMin(), dashboard_->PressureMax());
  LabelPMin->setText(TLiveDashboard::Fixed(dashboard_->PressureMarkMin()));
  LabelPMax->setText(TLiveDashboard::Fixed(dashboard_->PressureMarkMax()));
  LabelPOk->setText(TLiveDashboard::Fixed(dashboard_->PressureMarkOk()));
  // 10. The 45 degree mark on the thermometer.
  LabelTOk->move(LabelTOk->x(),
                 geometry.thermoBase - LabelTOk->height() / 2 - (geometry.thermoSpan * 45) / 80);
  LabelTMax->setText(QString::number(80));

  TimerBlink = new QTimer(this);
  TimerBlink->setObjectName(QStringLiteral("TimerBlink"));
  TimerBlink->setInterval(kTickMs);
  connect(TimerBlink, &QTimer::timeout, this, &TFormCalibra::TimerBlinkTimer);
  TimerBlink->start();

  // KeyPreview.
  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

void TFormCalibra::BuildLayout() {
  const auto place = [this](QWidget* w, const char* name, int x, int y, int width, int height) {
    w->setObjectName(QLatin1String(name));
    w->setGeometry(Scaled(x), Scaled(y), Scaled(width), Scaled(height));
    return w;
  };
  const auto label = [&](QWidget* parent, const char* name, const QString& text, int x, int y, int w, int h,
                         Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* l = new QLabel(text, parent);
    l->setAlignment(align);
    place(l, name, x, y, w, h);
    FitLabelHeight(l);
    return l;
  };
  const Qt::Alignment centre = Qt::AlignCenter;
  const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;

  // Thermometer with its 80 and 0 marks and the 45 degree mark.
  label(this, "LabelT", QStringLiteral("T"), 66, 30, 26, 16, centre);
  ImageTermometro = label(this, "ImageTermometro", QString(), 62, 52, 34, 0);
  LabelTMax = label(this, "LabelTMax", QStringLiteral("80"), 24, 60, 36, 14, right);
  LabelTMin = label(this, "LabelTMin", QStringLiteral("0"), 24, 336, 36, 14, right);
  LabelTOk = label(this, "LabelTOk", QStringLiteral("-  OK"), 88, 0, 44, 14);
  ShapeT = new QFrame(this);
  place(ShapeT, "ShapeT", 73, 340, 12, 0);
  StyleThermometerColumn(ShapeT);
  ImageTermometro->setPixmap(ThermometerGlass(Scaled(34), Scaled(60 - 52), Scaled(340 - 52), Scaled(12)));
  ImageTermometro->resize(ImageTermometro->pixmap().size());

  // rpm dial and readout.
  BevelGiri = new QFrame(this);
  place(BevelGiri, "BevelGiri", 179, 7, 250, 250);
  BevelGiri->setFrameStyle(QFrame::Box | QFrame::Sunken);
  ImageGiri = label(this, "ImageGiri", QString(), 181, 9, 246, 246);
  ImageGiri->setPixmap(RpmFace(Scaled(246), static_cast<int>(0.7 * static_cast<int>(0.45 * BevelGiri->height())) + 3));
  LabelScalaGiri = label(this, "LabelScalaGiri", QStringLiteral("rpm x 1000"), 271, 168, 66, 14, centre);
  {
    QFont f = LabelScalaGiri->font();
    f.setPixelSize(Scaled(10));
    LabelScalaGiri->setFont(f);
  }
  LabelGiri = label(this, "LabelGiri", QStringLiteral("0000"), 259, 192, 90, 36, centre);
  StyleRpmReadout(LabelGiri, Scaled(27));

  // Fuel state.
  label(this, "LabelG", QStringLiteral("G"), 196, 282, 16, 16, centre);
  ImageGasOn = label(this, "ImageGasOn", QString(), 214, 268, 44, 44);
  ImageGasOff = label(this, "ImageGasOff", QString(), 214, 268, 44, 44);
  ImageBenzOn = label(this, "ImageBenzOn", QString(), 350, 268, 44, 44);
  ImageBenzOff = label(this, "ImageBenzOff", QString(), 350, 268, 44, 44);
  SetFuelIcons(ImageGasOn, ImageGasOff, ImageBenzOn, ImageBenzOff, Scaled(44));

  // Gas-pressure dial with the marks of the acceptable window.
  LabelPressione = label(this, "LabelPressione", QStringLiteral("Pressione gas"), 474, 28, 276, 18, centre);
  auto* shape1 = new QFrame(this);
  place(shape1, "Shape1", 474, 186, 276, 10);
  Fill(shape1, kColorLightGrey);
  ImagePressione = label(this, "ImagePressione", QString(), 474, 53, 276, 138);
  ImagePressione->setPixmap(PressureFace(Scaled(276), Scaled(138)));
  const auto mark = [&](const char* name, double fraction) {
    const double a = std::numbers::pi * fraction;
    const int x = 612 + static_cast<int>(-100 * std::cos(a));
    const int y = 191 + static_cast<int>(-100 * std::sin(a));
    return label(this, name, QString(), x - 17, y - 7, 34, 14, centre);  // narrower than the marks lie apart
  };
  LabelPMin = mark("LabelPMin", 0.375);
  LabelPOk = mark("LabelPOk", 0.5);
  LabelPMax = mark("LabelPMax", 0.625);
  label(this, "LabelBar", QStringLiteral("bar"), 500, 172, 30, 14, centre);

  // The lambda lamp and the displacement.
  LabelLambda = label(this, "LabelLambda", QStringLiteral("Lambda"), 474, 226, 276, 30, centre);
  LabelLambda->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  SetTextColour(LabelLambda, 0xFFFFFF);
  Fill(LabelLambda, kColorButtonFace);
  {
    QFont f = LabelLambda->font();
    f.setBold(true);
    LabelLambda->setFont(f);
  }
  LabelCilindrata = label(this, "LabelCilindrata", QStringLiteral("Cilindrata vettura"), 474, 280, 190, 24);
  EditCilindrata = new TNumericEdit(this);
  place(EditCilindrata, "EditCilindrata", 670, 280, 80, 24);

  // Instruction, prompt and progress.
  PanelMessaggio = new QFrame(this);
  place(PanelMessaggio, "PanelMessaggio", 130, 372, 640, 104);
  PanelMessaggio->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Fill(PanelMessaggio, 0x400000);
  LabelOperazione = label(PanelMessaggio, "LabelOperazione", QString(), 10, 6, 620, 56, centre);
  LabelOperazione->setWordWrap(true);
  SetTextColour(LabelOperazione, kColorAqua);
  LabelMessaggio = label(PanelMessaggio, "LabelMessaggio", QString(), 10, 66, 620, 30, centre);
  SetTextColour(LabelMessaggio, 0x00FFFF);
  for (QLabel* l : {LabelOperazione, LabelMessaggio}) {
    QFont f = l->font();
    f.setPixelSize(Scaled(17));
    f.setBold(true);
    l->setFont(f);
  }
  LabelMessaggio->hide();
  ProgressBarCalibra = new QProgressBar(this);
  place(ProgressBarCalibra, "ProgressBarCalibra", 130, 484, 640, 18);
  ProgressBarCalibra->setRange(0, 100);
  ProgressBarCalibra->setTextVisible(false);
  ProgressBarCalibra->hide();

  // Kept from the layout, never shown.
  LabelSvitare = label(this, "LabelSvitare", QString(), 130, 350, 200, 18);
  LabelAvvitare = label(this, "LabelAvvitare", QString(), 340, 350, 200, 18);
  LabelOk = label(this, "LabelOk", QStringLiteral("OK"), 550, 350, 60, 18);
  for (QLabel* l : {LabelSvitare, LabelAvvitare, LabelOk}) l->hide();

  ButtonEsci = AddCloseButton(QStringLiteral("&Esci"), QStringLiteral("ButtonEsci"), mrCancel);
  ButtonEsci->setGeometry(Scaled(690), Scaled(522), Scaled(100), Scaled(28));

  // The needles' canvas over the whole form; the rpm texts stay in front of it.
  resize(Scaled(kDesignScreenWidth), Scaled(kDesignHeight));
  canvas_ = new TNeedleOverlay(this);
  canvas_->raise();
  LabelScalaGiri->raise();
  LabelGiri->raise();
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
  // 1. A record that does not come skips the tick (the link state is not asked).
  uint8_t buffer[LiveDataRecord::kSize] = {};
  int size = LiveDataRecord::kSize;
  if (!SerialLink || !SerialLink->ReadPacket(0, buffer, &size)) return;
  size = std::clamp(size, 0, static_cast<int>(LiveDataRecord::kSize));
  // 2-6. The live display, as on the dashboard.
  const TDashboardView& v = dashboard_->Take(buffer, size, false, EcuData->HasDatiAggiuntivi);
  LabelGiri->setText(v.giri);
  if (MoveNeedles(*canvas_, rpmDial_, pressureDial_, v)) LabelScalaGiri->update();
  ShapeT->setGeometry(ShapeT->x(), v.thermoTop, ShapeT->width(), v.thermoHeight);
  ShowFuelState(ImageGasOn, ImageGasOff, ImageBenzOn, ImageBenzOff, v.onGas);
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
