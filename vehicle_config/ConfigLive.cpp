// TFormConfig: the live panel (Panel1), its 170 ms tick and the trace recording menu.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <algorithm>

#include "Clock.h"
#include "Config.h"
#include "EcuData.h"
#include "EcuValueCodes.h"
#include "FileDialog.h"
#include "Graficodrt.h"
#include "Language.h"
#include "NumericEdit.h"
#include "Prompt.h"
#include "RoadMapping.h"
#include "SerialLink.h"
#include "WinColor.h"

namespace {

constexpr uint32_t kGreen = 0x008000;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kBlue = 0xFF0000;
constexpr uint32_t kInfoBk = 0xE1FFFF;

// The seven lambda fields the probe-type presets reload, with their value codes.
struct PresetField {
  const char* name;
  int code;
};
const PresetField kPresetFields[] = {
    {"EditRifLambda", 0x5},   {"EditRifSupFredda", 0x8}, {"EditRifInfFredda", 0x9},  {"EditRifSupCalda", 0xA},
    {"EditRifInfCalda", 0xB}, {"EditLivEmulAlto", 0x47}, {"EditLivEmulBasso", 0x48},
};

void SetTextColor(QLabel* label, uint32_t color) {
  QPalette p = label->palette();
  const QColor c = WinColor(color);
  if (p.color(QPalette::WindowText) == c) return;
  p.setColor(QPalette::WindowText, c);
  label->setPalette(p);
}

void SetBackground(QLabel* label, uint32_t color) {
  QPalette p = label->palette();
  const QColor c = WinColor(color);
  if (label->autoFillBackground() && p.color(QPalette::Window) == c) return;
  p.setColor(QPalette::Window, c);
  label->setPalette(p);
  label->setAutoFillBackground(true);
}

QIcon RecordingMark() {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(Qt::red);
  p.setPen(Qt::NoPen);
  p.drawEllipse(2, 2, 12, 12);
  return QIcon(pm);
}

}  // namespace

void TFormConfig::BuildPanel() {
  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFrameShape(QFrame::StyledPanel);
  Panel1->setAutoFillBackground(true);
  QPalette pal = Panel1->palette();
  pal.setColor(QPalette::Window, WinColor(kInfoBk));
  Panel1->setPalette(pal);
  auto* grid = new QGridLayout(Panel1);
  // Thirteen columns, three of them with both banks, and the fuel lamp share the form's width:
  // little room around and between them.
  grid->setContentsMargins(1, 3, 1, 3);
  grid->setVerticalSpacing(1);
  grid->setHorizontalSpacing(1);

  auto value = [this](const char* name) {
    auto* l = new QLabel(Panel1);
    l->setObjectName(QString::fromLatin1(name));
    l->setAlignment(Qt::AlignCenter);
    l->setMinimumWidth(static_cast<int>(40 * scale_));
    return l;
  };
  // A reading's cell is at least as wide as the column's widest usual reading in the font it has
  // (the design width does not hold it in every font, with both banks side by side above all).
  auto roomFor = [](QLabel* l, const char* widest, int least) {
    l->setMinimumWidth(std::max(least, l->fontMetrics().horizontalAdvance(QString::fromUtf8(widest)) + 2));
  };
  struct Column {
    const char* caption;
    int textId;
    const char* designText;
    QLabel** bank1;
    QLabel** bank2;
    const char* widest;  // the widest usual reading
  };
  const Column columns[] = {
      {"LabelLambda", 279, "Lambda", &LabLambda, &LabLambda2, "0.00V"},
      {"LabelMap", 280, "MAP", &LabMap, nullptr, "0.00V"},
      {"LabelTps", 281, "TPS", &LabTps, nullptr, "0.00V"},
      {"LabelGiri", 282, "Giri", &LabGiri, nullptr, "0000rpm"},
      {"LabelInj", 283, "T.Inj.", &LabApMot, &LabApMot2, "0.00"},
      {"LabelCorr", 284, "Corr.", &LabCorr, &LabCorr2, "-00"},
      {"LabelInjBenz", 288, "T.Inj.Benz.", &LabApMotBenz, nullptr, "00.00"},
      {"LabelCorrBenz", 289, "Corr.Benz.", &LabCorrBenz, nullptr, "-000.00"},
      {"LabelVarTps", 287, "Var.TPS", &LabCumulo, nullptr, "000"},
      {"LabelArricchimento", 290, "Arricch.", &LabArricchimento, nullptr, "00.00"},
      {"LabelPress", 425, "Pressione", &LabPressione, nullptr, "0.00bar"},
      {"LabelTemp", 285, "Temp.", &LabTemp, nullptr, "100\u00B0C"},
      {"LabelLivello", 291, "Livello", &LabLivello, nullptr, "000"},
  };
  static const char* const kValueNames[] = {
      "LabLambda",   "LabMap",    "LabTps",           "LabGiri",      "LabApMot", "LabCorr",   "LabApMotBenz",
      "LabCorrBenz", "LabCumulo", "LabArricchimento", "LabPressione", "LabTemp",  "LabLivello"};
  static const char* const kBank2Names[] = {"LabLambda2", nullptr, nullptr, nullptr, "LabApMot2", "LabCorr2"};
  int col = 0;
  for (const Column& c : columns) {
    auto* caption = new QLabel(QString::fromUtf8(c.designText), Panel1);
    caption->setObjectName(QString::fromLatin1(c.caption));
    caption->setAlignment(Qt::AlignCenter);
    // A blank's room shared either side, so neighbouring captions never run together where
    // their texts are wider than the readings under them.
    const int blank = caption->fontMetrics().horizontalAdvance(QLatin1Char(' '));
    caption->setContentsMargins(blank / 2, 0, blank - blank / 2, 0);
    panelCaptions_.push_back({c.caption, c.textId, caption});
    grid->addWidget(caption, 0, col);
    *c.bank1 = value(kValueNames[col]);
    if (c.bank2) {
      // Bank 1 and bank 2 side by side under one caption; with bank 2 hidden, bank 1 takes the
      // whole cell and stands centred under it.
      *c.bank2 = value(kBank2Names[col]);
      roomFor(*c.bank1, c.widest, (*c.bank1)->minimumWidth() / 2);
      roomFor(*c.bank2, c.widest, (*c.bank2)->minimumWidth() / 2);
      auto* pair = new QHBoxLayout;
      pair->setContentsMargins(0, 0, 0, 0);
      pair->setSpacing(2);
      pair->addWidget(*c.bank1, 1);
      pair->addWidget(*c.bank2, 1);
      grid->addLayout(pair, 1, col);
    } else {
      roomFor(*c.bank1, c.widest, (*c.bank1)->minimumWidth());
      grid->addWidget(*c.bank1, 1, col);
    }
    ++col;
  }
  LabelMap = findChild<QLabel*>(QStringLiteral("LabelMap"));
  LabGas = value("LabGas");
  grid->addWidget(LabGas, 0, col, 2, 1);
  LabCutoff = new QLabel(QStringLiteral("CUTOFF"), Panel1);
  LabCutoff->setObjectName(QStringLiteral("LabCutoff"));
  LabCutoff->setAlignment(Qt::AlignCenter);
  SetTextColor(LabCutoff, kRed);
  LabCutoff->setVisible(false);
  panelCaptions_.push_back({"LabCutoff", 292, LabCutoff});
  grid->addWidget(LabCutoff, 2, col);
  QFont bold = LabGas->font();
  bold.setBold(true);
  LabGas->setFont(bold);
  LabCutoff->setFont(bold);
  // Room for the longer fuel name in bold.
  LabGas->setMinimumWidth(
      std::max(LabGas->minimumWidth(), QFontMetrics(bold).horizontalAdvance(QStringLiteral("BENZINA")) + 4));
}

void TFormConfig::ApplySecondBankRule() {
  const bool two = EcuData && EcuData->IsDoppiaSonda();
  LabLambda2->setVisible(two);
  LabApMot2->setVisible(two);
  LabCorr2->setVisible(two);
}

// ---- the live tick ----------------------------------------------------------------------------

void TFormConfig::StopLiveTimer() { Timer1->stop(); }

void TFormConfig::StartLiveTimer() { Timer1->start(); }

bool TFormConfig::IsLiveTimerActive() const { return Timer1->isActive(); }

void TFormConfig::FillPetrolMap() {
  for (int i = 0; i < 12; ++i) {
    petrolMap_.rpm[i] = EcuData->GetRifGiri(i);
    petrolMap_.load[i] = EcuData->GetRifMAP(i);
  }
  for (int r = 0; r < 12; ++r)
    for (int c = 0; c < 12; ++c) petrolMap_.cell[r][c] = EcuData->GetMappaBenzina(r, c);
}

void TFormConfig::Timer1Timer() {
  if (!EcuData) return;
  // One record, when the link is open and delivers.
  uint8_t buffer[LiveDataRecord::kSize] = {};
  int size = 0;
  if (SerialLink && SerialLink->IsLinkOpen()) {
    size = LiveDataRecord::kSize;
    if (!SerialLink->ReadPacket(0, buffer, &size)) size = 0;
    size = std::min(size, static_cast<int>(LiveDataRecord::kSize));
  }
  const bool differential = MenuPressDiff->isChecked();
  const bool coefficients = EcuData->HasDatiAggiuntivi;
  live_.Decode(buffer, size, EcuData->IsDoppiaSonda(), [&](const LiveDataRecord& r) {
    return CalcPressioneGas(r.pressure, r.map, differential, coefficients);
  });

  // The panel, from the live values (also when nothing new came).
  FillPetrolMap();
  TLiveTickInputs in;
  in.twoProbes = EcuData->IsDoppiaSonda();
  in.lambdaReference = EcuData->GetValue(0x5);
  in.lambdaTypeBit0 = EcuData->GetTipoLambdaBit0();
  in.temperatureC = CalcTemperatura(live_.Values().temperatureRaw);
  in.petrolMap = &petrolMap_;
  live_.Refresh(in);
  ApplyLiveView(live_.View());
  if (live_.View().slowRefresh && LambdaTypeChanged) ApplyLambdaPresets();

  // The grid hooks of the pages.
  const ConfigPageId active = ActivePage();
  for (TConfigPage* page : pages_) page->LiveTick(live_, page->Id() == active);

  // The trace record.
  if (recorder_.IsRecording()) recorder_.Append(Clock().GetTickCount(), live_.TraceRecord());
}

void TFormConfig::ApplyLiveView(const TLivePanelView& v) {
  LabLambda->setText(v.lambda);
  LabTps->setText(v.tps);
  LabMap->setText(v.map);
  LabApMot->setText(v.gasInjection);
  LabCorr->setText(v.correction);
  if (LabLambda2->isVisibleTo(Panel1)) {
    LabLambda2->setText(v.lambda2);
    LabApMot2->setText(v.gasInjection2);
    LabCorr2->setText(v.correction2);
  }
  LabPressione->setText(v.pressure);
  LabApMotBenz->setText(v.petrolInjection);
  LabCumulo->setText(v.cumulo);
  LabArricchimento->setText(v.enrichment);
  LabGiri->setText(v.rpm);
  SetTextColor(LabTps, v.tpsRed ? kRed : kBlue);
  SetBackground(LabLambda, v.lambdaGreen ? kGreen : kRed);
  SetBackground(LabLambda2, v.lambda2Green ? kGreen : kRed);
  LabLambda->setEnabled(v.lambdaEnabled);
  LabLambda2->setEnabled(v.lambdaEnabled);
  LabCutoff->setVisible(v.cutoff);
  if (v.slowRefresh) {
    LabTemp->setText(v.temperature);
    LabLivello->setText(v.level);
    LabGas->setText(v.fuel);
    SetTextColor(LabGas, v.onGas ? kGreen : kRed);
  }
  LabCorrBenz->setText(v.petrolCorrection);
}

void TFormConfig::ApplyLambdaPresets() {
  ++LambdaTypeTicks;
  if (!EcuData->ApplyPresetLambda()) return;  // tried again on the next slow tick
  for (const PresetField& f : kPresetFields) {
    auto* edit = findChild<TNumericEdit*>(QString::fromLatin1(f.name));
    if (!edit) continue;
    edit->setPalette(QPalette());
    edit->SetDouble(EcuData->GetValue(f.code));
  }
  LambdaTypeChanged = false;
}

void TFormConfig::MarkLambdaPresetFields() {
  for (const PresetField& f : kPresetFields) {
    auto* edit = findChild<TNumericEdit*>(QString::fromLatin1(f.name));
    if (!edit) continue;
    QPalette p = edit->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Midlight));
    edit->setPalette(p);
  }
  LambdaTypeChanged = true;
  LambdaTypeTicks = 0;
}

// ---- trace recording --------------------------------------------------------------------------

void TFormConfig::SetAcquisitionFolder(const QString& folder) {
  recorder_.SetFolder(TTraceRecorder::TempFolderFor(folder));
  SaveDialogDrt->InitialDir = OpenDialogDrt->InitialDir = folder;
  roadMapping_->OpenDialogDma->InitialDir = roadMapping_->SaveDialogDma->InitialDir = folder;
}

TFormConfig::TraceViewer& TFormConfig::TraceViewerFn() {
  static TraceViewer viewer = &TFormGraficoDrt::Show;
  return viewer;
}

void TFormConfig::SetTraceViewer(TraceViewer viewer) { TraceViewerFn() = std::move(viewer); }

void TFormConfig::MenuCominciaDrtClick() {
  if (recorder_.IsRecording() || !EcuData) return;
  const int format = EcuData->IsDoppiaSonda() ? 2 : 1;
  if (!recorder_.Start(format, TTraceRecorder::StartText(), Clock().GetTickCount())) {
    ShowPrompt(this, windowTitle(), Tr(641) + QDir::toNativeSeparators(recorder_.Folder()), PromptIcon::Stop);
    return;
  }
  MenuTerminaDrt->setEnabled(true);
  MenuCominciaDrt->setEnabled(false);
  MenuAcquisizioni->setIcon(RecordingMark());
}

void TFormConfig::MenuTerminaDrtClick() {
  if (!recorder_.IsRecording()) return;
  const bool written = recorder_.Stop();
  MenuTerminaDrt->setEnabled(false);
  MenuCominciaDrt->setEnabled(true);
  MenuAcquisizioni->setIcon(QIcon());
  const QString temp = QDir::toNativeSeparators(recorder_.TempPath());
  if (!written) ShowPrompt(this, windowTitle(), Tr(642), PromptIcon::Stop);
  bool failed = false;
  for (;;) {
    if (!SaveDialogDrt->Execute(this)) {
      // Cancel discards the trace, unless a failed save has told the user where it is kept.
      if (!failed) recorder_.Discard();
      return;
    }
    const auto result = recorder_.SaveAs(SaveDialogDrt->FileName);
    if (result == TTraceRecorder::SaveResult::Saved) return;
    failed = true;
    const QString kept = Tr(643) + temp;
    if (result == TTraceRecorder::SaveResult::NotReplaced)
      ShowPrompt(this, windowTitle(), Text(300) + QLatin1Char('\n') + kept, PromptIcon::Stop);
    else
      ShowPrompt(this, windowTitle(),
                 Tr(644) + QDir::toNativeSeparators(SaveDialogDrt->FileName) + QLatin1Char('\n') + kept,
                 PromptIcon::Stop);
  }
}

void TFormConfig::MenuGraficoClick() {
  const TraceViewer& viewer = TraceViewerFn();
  if (!viewer) return;
  if (!SaveDialogDrt->FileName.isEmpty() && QFileInfo::exists(SaveDialogDrt->FileName) &&
      OpenDialogDrt->FileName.isEmpty())
    OpenDialogDrt->FileName = SaveDialogDrt->FileName;
  if (!OpenDialogDrt->Execute(this)) return;
  viewer(this, OpenDialogDrt->FileName);
}
