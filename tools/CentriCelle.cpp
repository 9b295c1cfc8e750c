#include "CentriCelle.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "DialogButtons.h"
#include "EcuData.h"
#include "EcuValueCodes.h"
#include "Language.h"
#include "NumericEdit.h"
#include "ScreenScale.h"

namespace {

// Size of the dialog on the 800-pixel screen.
constexpr int kDesignWidth = 380;
constexpr int kDesignHeight = 260;

TNumericEdit* MakeEdit(QWidget* parent, const QString& name, double precision, double min, double max) {
  auto* e = new TNumericEdit(parent);
  e->setObjectName(name);
  e->SetMaxLength(4);
  // As wide as its four figures.
  e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("8000")) +
                   ScaleToScreen(16, ScaledWidthOf(e)));
  e->SetPrecision(precision);
  e->SetMaxValue(max);
  e->SetMinValue(min);
  return e;
}

// Chains the fields by next/previous control in index order.
template <size_t N>
void Chain(const std::array<TNumericEdit*, N>& edits) {
  for (size_t i = 0; i + 1 < N; ++i) {
    edits[i]->SetNextControl(edits[i + 1]);
    edits[i + 1]->SetPrevControl(edits[i]);
  }
}

}  // namespace

int TFormCentriCelle::FirstNotIncreasing(std::span<const int> values) {
  for (size_t i = 1; i < values.size(); ++i)
    if (!(values[i - 1] < values[i])) return static_cast<int>(i - 1);
  return -1;
}

TFormCentriCelle::TFormCentriCelle(QWidget* owner) : TModalDialog(owner) {
  setObjectName("FormCentriCelle");
  setWindowTitle("Centri celle mappa di carburazione");
  // Scaled before the fields are made, so their widths follow the scaled font.
  ScaleFontToScreen(this, FittedScreenWidth(QSize(kDesignWidth, kDesignHeight)));
  GroupRifGiri = new QGroupBox("Colonne dei GIRI (rpm)", this);
  GroupRifGiri->setObjectName("GroupRifGiri");
  GroupRifMap = new QGroupBox("Righe del MAP (volt)", this);
  GroupRifMap->setObjectName("GroupRifMap");
  auto* giri = new QGridLayout(GroupRifGiri);
  auto* map = new QGridLayout(GroupRifMap);
  for (int i = 0; i < 12; ++i) {
    EditRifGiri[i] = MakeEdit(GroupRifGiri, QString("EditRifGiri%1").arg(i), 1, 200, 8000);
    EditRifGiri[i]->SetValidation(false);
    giri->addWidget(EditRifGiri[i], i / 6, i % 6);
    NumEditRifMap[i] = MakeEdit(GroupRifMap, QString("NumEditRifMap%1").arg(i), 0.01, 0, 5.0);
    map->addWidget(NumEditRifMap[i], i / 6, i % 6);
    if (EcuData) {
      EditRifGiri[i]->SetInt(EcuData->GetRifGiri(i));
      NumEditRifMap[i]->SetDouble(EcuData->GetRifMAP(i));
    }
  }
  Chain(EditRifGiri);
  Chain(NumEditRifMap);

  ButtonOk = DialogButton(this, "&OK", "ButtonOk", [this] { ButtonOkClick(); });
  ButtonAnnulla = AddCloseButton("&Annulla", "ButtonAnnulla", mrCancel);

  // Tab order: the rpm row, the MAP row, OK, Annulla, and round again. Shift+Tab from OK thus
  // enters the MAP row at its last field, Tab from Annulla the rpm row at its first.
  QWidget* previous = nullptr;
  for (QWidget* w : EditRifGiri) {
    if (previous) setTabOrder(previous, w);
    previous = w;
  }
  for (QWidget* w : NumEditRifMap) {
    setTabOrder(previous, w);
    previous = w;
  }
  setTabOrder(previous, ButtonOk);
  setTabOrder(ButtonOk, ButtonAnnulla);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(GroupRifGiri);
  layout->addWidget(GroupRifMap);
  layout->addLayout(DialogButtonRow({ButtonOk, ButtonAnnulla}));

  TranslateCaption(this, 98);
  TranslateCaption(GroupRifGiri, 102);
  TranslateCaption(GroupRifMap, 101);
  TranslateCaption(ButtonOk, 103);
  TranslateCaption(ButtonAnnulla, 104);
}

void TFormCentriCelle::showEvent(QShowEvent* e) {
  TModalDialog::showEvent(e);
  if (EditRifGiri[0]->isEnabled() && EditRifGiri[0]->isVisibleTo(this))
    EditRifGiri[0]->setFocus();
  else
    NumEditRifMap[0]->setFocus();
}

void TFormCentriCelle::ButtonOkClick() {
  std::array<int, 12> rpm{};
  for (int i = 0; i < 12; ++i) rpm[i] = EditRifGiri[i]->GetInt();
  if (const int bad = FirstNotIncreasing(rpm); bad >= 0) {
    ShowTextError(this, 99, "Attenzione: i riferimenti GIRI non sono corretti!");
    EditRifGiri[bad]->setFocus();
    return;
  }
  if (!EcuData) return;
  for (int i = 0; i < 12; ++i) EcuData->SetRifGiri(i, rpm[i]);
  // The MAP breakpoints are compared as the ECU stores them, so two volts that make the same
  // reading count as equal.
  std::array<double, 12> volts{};
  std::array<int, 12> raw{};
  for (int i = 0; i < 12; ++i) {
    volts[i] = NumEditRifMap[i]->GetDouble();
    raw[i] = EcuConv::VoltToRaw(volts[i]);
  }
  if (const int bad = FirstNotIncreasing(raw); bad >= 0) {
    ShowTextError(this, 100, "Attenzione: i riferimenti MAP non sono corretti!");
    NumEditRifMap[bad]->setFocus();
    return;
  }
  for (int i = 0; i < 12; ++i) EcuData->SetRifMAP(i, volts[i]);
  done(mrOk);
}
