#include "PageVettori.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

#include "Config.h"
#include "ConfigPageFields.h"
#include "EcuData.h"
#include "EcuValueCodes.h"
#include "Language.h"
#include "LivePanel.h"
#include "NumericEdit.h"
#include "ScreenScale.h"
#include "WinColor.h"

using namespace PageFields;

namespace {
constexpr int kCodeRifTemp = 0x2A;
constexpr int kCodeCoeffTemp = 0x2B;
constexpr uint32_t kNavy = 0x800000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t k3DLight = 0xE3E3E3;

void Paint(QLineEdit* e, uint32_t text, uint32_t base) {
  QPalette pal = e->palette();
  pal.setColor(QPalette::Text, WinColor(text));
  pal.setColor(QPalette::Base, WinColor(base));
  e->setPalette(pal);
}

void Limits(TNumericEdit* e, double min, double max, double step) {
  e->SetMaxValue(max);
  e->SetMinValue(min);
  e->SetPrecision(step);
}
}  // namespace

TPageVettori::TPageVettori(TFormConfig* form, ConfigPageId id) : TConfigPage(form, id) {
  GroupCorrLivello = new QGroupBox(QStringLiteral("Correzione livello carburante"), this);
  GroupCorrLivello->setObjectName(QStringLiteral("GroupCorrLivello"));
  auto* levels = new QGridLayout(GroupCorrLivello);
  static const char* const kLevelEdits[kLevels] = {"EditCorrRiserva", "EditCorr1", "EditCorr2", "EditCorr3",
                                                   "EditCorr4"};
  static const char* const kLevelLabels[kLevels] = {"LabelRiserva", "LabelUnQuarto", "LabelDueQuarti",
                                                    "LabelTreQuarti", "LabelQuattroQuarti"};
  static const char* const kLevelTexts[kLevels] = {"Riserva", "1/4", "2/4", "3/4", "4/4"};
  for (int i = 0; i < kLevels; ++i) {
    LabelLivello[i] = Label(GroupCorrLivello, kLevelLabels[i], QString::fromLatin1(kLevelTexts[i]));
    EditCorrLivello[i] = Edit(GroupCorrLivello, kLevelEdits[i]);
    EditCorrLivello[i]->SetDataIndex(i);
    Limits(EditCorrLivello[i], -100, 100, 10);
    levels->addWidget(LabelLivello[i], 0, i, Qt::AlignHCenter);
    levels->addWidget(EditCorrLivello[i], 1, i);
    TNumericEdit* e = EditCorrLivello[i];
    connect(e, &TNumericEdit::enterPressed, this, [this, e] { EditCorrRiservaKeyPress(e); });
  }

  // Breakpoints between the coefficients: coefficient k applies below breakpoint k + 1.
  auto* table = new QGridLayout;
  LabelRiferimenti = Label(this, "LabelRiferimenti", QStringLiteral("Riferimenti temperatura (°C)"));
  LabelCoefficienti = Label(this, "LabelCoefficienti", QStringLiteral("Coefficienti di correzione"));
  // Each row under its caption; the fields as wide as their longest figure.
  table->addWidget(LabelRiferimenti, 0, 0, 1, kCoefficients + 1);
  table->addWidget(LabelCoefficienti, 2, 0, 1, kCoefficients + 1);
  const int fieldWidth = std::max(fontMetrics().horizontalAdvance(QStringLiteral("-2,56")),
                                  fontMetrics().horizontalAdvance(QStringLiteral("Oltre"))) +
                         ScaleToScreen(20, ScaledWidthOf(this));
  for (int i = 0; i < kBreakpoints; ++i) {
    const QByteArray name = "EditRifTemp" + QByteArray::number(i + 1);
    EditRifTemp[i] = Edit(this, name.constData());
    EditRifTemp[i]->SetDataCode(kCodeRifTemp);
    EditRifTemp[i]->SetDataIndex(kBreakpoints - i);
    EditRifTemp[i]->setProperty("limitHint", false);  // the table's fields show no limit hint
    Limits(EditRifTemp[i], -50, 150, 1);
    EditRifTemp[i]->setFixedWidth(fieldWidth);
    table->addWidget(EditRifTemp[i], 1, i);
    TNumericEdit* e = EditRifTemp[i];
    e->installEventFilter(this);
    connect(e, &TNumericEdit::enterPressed, this, [this, e] { EditRifTemp1KeyPress(e); });
  }
  EditRifTemp9 = new QLineEdit(QStringLiteral("Oltre"), this);
  EditRifTemp9->setObjectName(QStringLiteral("EditRifTemp9"));
  EditRifTemp9->setReadOnly(true);
  EditRifTemp9->setFocusPolicy(Qt::NoFocus);
  EditRifTemp9->setFixedWidth(EditRifTemp[0]->width());
  EditRifTemp9->setAlignment(Qt::AlignRight);
  table->addWidget(EditRifTemp9, 1, kBreakpoints);
  for (int i = 0; i < kCoefficients; ++i) {
    const QByteArray name = "EditCoeffTemp" + QByteArray::number(i);
    EditCoeffTemp[i] = Edit(this, name.constData());
    EditCoeffTemp[i]->SetDataCode(kCodeCoeffTemp);
    EditCoeffTemp[i]->SetDataIndex(kCoefficients - 1 - i);
    EditCoeffTemp[i]->setProperty("limitHint", false);
    Limits(EditCoeffTemp[i], -2.56, 2.54, 0.02);
    EditCoeffTemp[i]->setFixedWidth(fieldWidth);
    table->addWidget(EditCoeffTemp[i], 3, i);
    TNumericEdit* e = EditCoeffTemp[i];
    connect(e, &TNumericEdit::enterPressed, this, [this, e] { EditCoeffTemp0KeyPress(e); });
  }

  auto* grid = new QGridLayout(this);
  grid->addWidget(GroupCorrLivello, 0, 0, Qt::AlignLeft);
  grid->addLayout(table, 1, 0, Qt::AlignLeft);
  grid->setRowStretch(2, 1);
  grid->setColumnStretch(1, 1);

  LinkChain({EditCorrLivello[0], EditCorrLivello[1], EditCorrLivello[2], EditCorrLivello[3],
             EditCorrLivello[4], EditRifTemp[0]});
  for (int i = 1; i < kBreakpoints; ++i) LinkChain({EditRifTemp[i - 1], EditRifTemp[i]});
  LinkChain({EditRifTemp[kBreakpoints - 1], EditCoeffTemp[0]});
  for (int i = 1; i < kCoefficients; ++i) LinkChain({EditCoeffTemp[i - 1], EditCoeffTemp[i]});
}

void TPageVettori::PageShow() {
  if (!EcuData) return;
  for (TNumericEdit* e : EditCorrLivello) e->SetDouble(EcuData->GetCorrezioneLivello(e->DataIndex()));
  for (TNumericEdit* e : EditRifTemp) e->SetDouble(EcuData->GetRifTemp(e->DataIndex()));
  for (TNumericEdit* e : EditCoeffTemp) e->SetDouble(EcuData->GetCoeffTemp(e->DataIndex()));
}

void TPageVettori::EditCorrRiservaKeyPress(TNumericEdit* sender) {
  if (!EcuData) return;
  EcuData->SetCorrezioneLivello(sender->DataIndex(), sender->GetInt());
  sender->SetDouble(EcuData->GetCorrezioneLivello(sender->DataIndex()));
}

bool TPageVettori::BreakpointsRise() const {
  // The edited field counts with the value typed, the others with the value they show.
  for (int i = 1; i < kBreakpoints; ++i)
    if (EditRifTemp[i]->GetDouble() <= EditRifTemp[i - 1]->GetDouble()) return false;
  return true;
}

bool TPageVettori::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    auto* edit = qobject_cast<TNumericEdit*>(watched);
    if (edit && edit->DataCode() == kCodeRifTemp && (key == Qt::Key_Return || key == Qt::Key_Enter) &&
        !BreakpointsRise()) {
      // Out of order: nothing is written, the field goes back to the value held and the focus
      // stays.
      if (EcuData) edit->SetDouble(EcuData->GetRifTemp(edit->DataIndex()));
      return true;
    }
  }
  return TConfigPage::eventFilter(watched, event);
}

void TPageVettori::EditRifTemp1KeyPress(TNumericEdit* sender) {
  if (!EcuData) return;
  if (BreakpointsRise()) EcuData->SetRifTemp(sender->DataIndex(), sender->GetInt());
  sender->SetDouble(EcuData->GetRifTemp(sender->DataIndex()));
}

void TPageVettori::EditCoeffTemp0KeyPress(TNumericEdit* sender) {
  if (!EcuData) return;
  EcuData->SetCoeffTemp(sender->DataIndex(), sender->GetDouble());
  sender->SetDouble(EcuData->GetCoeffTemp(sender->DataIndex()));
}

QLineEdit* TPageVettori::BandField(int b) const {
  return b < kBreakpoints ? static_cast<QLineEdit*>(EditRifTemp[b]) : EditRifTemp9;
}

void TPageVettori::ShowBand(int band) {
  for (int b = 0; b <= kBreakpoints; ++b)
    b == band ? Paint(BandField(b), kNavy, k3DLight) : Paint(BandField(b), kWhite, kNavy);
  band_ = band;
}

void TPageVettori::LiveTick(const TLivePanel& live, bool active) {
  if (!active || !EcuData || !LabelRiferimenti->isVisible()) return;
  const int t = TLivePanel::RoundEven(CalcTemperatura(live.Values().temperatureRaw));
  int ref[kBreakpoints + 1] = {};
  for (int i = 1; i <= kBreakpoints; ++i) ref[i] = EcuData->GetRifTemp(i);
  const int band = TLivePanel::TemperatureBand(t, ref);
  if (band != band_) ShowBand(band);
}

void TPageVettori::Translate() {
  TranslateCaptions({{GroupCorrLivello, 277},
                     {LabelLivello[0], 233},
                     {LabelLivello[kLevels - 1], 237},
                     {LabelRiferimenti, 512},
                     {LabelCoefficienti, 563}});
  QString text;
  if (ReadText(513, &text)) EditRifTemp9->setText(text);
}
