#include "PageSensore.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "ChainCheckBox.h"
#include "Config.h"
#include "ConfigPageFields.h"
#include "EcuData.h"
#include "KeyComboBox.h"
#include "Language.h"
#include "NumericEdit.h"
#include "Prompt.h"

using namespace PageFields;

namespace {
constexpr int kCodeLeanTime = 0x3E;
constexpr int kCodeAlcoholLevel = 0x70;
// First type index with thresholds of its own ("Non standard", "Non standard invertito").
constexpr int kFirstNonStandard = 2;
}  // namespace

TPageSensore::TPageSensore(TFormConfig* form, ConfigPageId id)
    : TConfigPage(form, id), returnToPetrol_({{kCodeLeanTime, 255, 6}}, TOffStateOption::Restore::Positive) {
  LabelSensoreLivello = Label(this, "LabelSensoreLivello", QStringLiteral("Tipo di sensore di livello"));
  ComboSensore =
      Combo(this, "ComboSensore", {"K.I.V.", "0 - 90 ohm", "Non standard", "Non standard invertito"});
  GroupRifSensore = new QGroupBox(QStringLiteral("Riferimenti di livello non standard"), this);
  GroupRifSensore->setObjectName(QStringLiteral("GroupRifSensore"));
  auto* group = new QGridLayout(GroupRifSensore);
  static const char* const kLabelNames[kThresholds] = {"LabelSensore1", "LabelSensore2", "LabelSensore3",
                                                       "LabelSensore4"};
  static const char* const kEditNames[kThresholds] = {"EditLivello1", "EditLivello2", "EditLivello3",
                                                      "EditLivello4"};
  static const char* const kDesign[kThresholds] = {"Riserva", "1/4", "2/4", "3/4"};
  for (int i = 0; i < kThresholds; ++i) {
    LabelSensore[i] = Label(GroupRifSensore, kLabelNames[i], QString::fromLatin1(kDesign[i]));
    EditLivello[i] = Edit(GroupRifSensore, kEditNames[i], 3);
    EditLivello[i]->SetMaxValue(255);
    EditLivello[i]->SetMinValue(0);
    EditLivello[i]->SetPrecision(1);
    group->addWidget(LabelSensore[i], 0, i, Qt::AlignHCenter);
    group->addWidget(EditLivello[i], 1, i);
  }
  LabelConferma = Label(GroupRifSensore, "LabelConferma", QStringLiteral("Conferma i riferimenti"));
  ButtonAccetta = new QPushButton(QStringLiteral("&Conferma"), GroupRifSensore);
  ButtonAccetta->setObjectName(QStringLiteral("ButtonAccetta"));
  ButtonAccetta->setAutoDefault(false);
  group->addWidget(LabelConferma, 0, kThresholds);
  group->addWidget(ButtonAccetta, 1, kThresholds);
  CheckRitornoBenzina =
      Check(this, "CheckRitornoBenzina", QStringLiteral("&Ritorno a benzina con basso livello gas"));
  LabelRitornoBenzina = Label(this, "LabelRitornoBenzina", QStringLiteral("Tempo di magro per il ritorno"));
  EditRitornoBenzina = Edit(this, "EditRitornoBenzina");
  LabelS12 = Label(this, "LabelS12", QStringLiteral("s"));
  LabelLivelloAlcol = Label(this, "LabelLivelloAlcol", QStringLiteral("Livello gas per partenza ad alcol"));
  EditLivelloAlcol = Edit(this, "EditLivelloAlcol");

  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(3, 1);
  int row = 0;
  AddRow(grid, row++, LabelSensoreLivello, ComboSensore);
  grid->addWidget(GroupRifSensore, row++, 0, 1, 4, Qt::AlignLeft);
  grid->addWidget(CheckRitornoBenzina, row++, 0, 1, 3);
  AddRow(grid, row++, LabelRitornoBenzina, EditRitornoBenzina, LabelS12);
  AddRow(grid, row++, LabelLivelloAlcol, EditLivelloAlcol);
  grid->setRowStretch(row, 1);

  LinkChain({EditLivello[0], EditLivello[1], EditLivello[2], EditLivello[3], ButtonAccetta});
  LinkChain({EditRitornoBenzina, EditLivelloAlcol});
  connect(ComboSensore, &TKeyComboBox::enterPressed, this, &TPageSensore::ComboSensoreKeyPress);
  connect(CheckRitornoBenzina, &QAbstractButton::clicked, this, &TPageSensore::CheckRitornoBenzinaClick);
  connect(ButtonAccetta, &QPushButton::clicked, this, &TPageSensore::ButtonAccettaClick);
}

void TPageSensore::PageShow() {
  if (!EcuData) return;
  SetIndex(ComboSensore, EcuData->GetTipoSensore());
  TypeRule();
  programSet_ = true;
  SetChecked(CheckRitornoBenzina, returnToPetrol_.IsOn());
  CheckRitornoBenzinaClick();
  programSet_ = false;
  EditLivelloAlcol->SetDouble(Rounded(EcuData->GetValue(kCodeAlcoholLevel)));
  ComboSensore->setFocus();
}

void TPageSensore::LoadThresholds() {
  for (int i = 0; i < kThresholds; ++i) EditLivello[i]->SetDouble(EcuData->GetRifSensore(i));
}

void TPageSensore::TypeRule() {
  GroupRifSensore->setVisible(ComboSensore->currentIndex() >= kFirstNonStandard);
  LoadThresholds();
  if (CheckRitornoBenzina->isVisibleTo(this)) {
    LinkChain({ComboSensore, CheckRitornoBenzina, EditRitornoBenzina});
  } else {
    LinkChain({ComboSensore, EditRitornoBenzina});
  }
  if (EditLivelloAlcol->isVisibleTo(this))
    EditLivelloAlcol->SetDouble(Rounded(EcuData->GetValue(kCodeAlcoholLevel)));
}

void TPageSensore::ComboSensoreKeyPress() {
  if (!EcuData || ComboSensore->DroppedDown()) return;
  const int index = ComboSensore->currentIndex();
  if (index < 0) return;
  EcuData->SetTipoSensore(index);  // the two standard types bring their thresholds
  SetIndex(ComboSensore, EcuData->GetTipoSensore());
  TypeRule();
}

void TPageSensore::CheckRitornoBenzinaClick() {
  OffStateOptionClick(returnToPetrol_, CheckRitornoBenzina, programSet_,
                      {LabelRitornoBenzina, EditRitornoBenzina, LabelS12}, EditRitornoBenzina, kCodeLeanTime);
}

void TPageSensore::ButtonAccettaClick() {
  if (!EcuData) return;
  int v[kThresholds];
  for (int i = 0; i < kThresholds; ++i) v[i] = EditLivello[i]->GetInt();
  // Rising from the reserve to 3/4, falling for an inverted sensor.
  const bool inverted = EcuData->IsSensoreLivelloInvertito();
  bool ordered = true;
  for (int i = 1; i < kThresholds; ++i) ordered = ordered && (inverted ? v[i] < v[i - 1] : v[i] > v[i - 1]);
  if (!ordered) {
    ShowPrompt(Form(), Form()->windowTitle(),
               Form()->Text(299, QStringLiteral("Attenzione: i riferimenti LIVELLO non sono corretti!")),
               PromptIcon::Stop, PromptOk);
    return;
  }
  for (int i = 0; i < kThresholds; ++i) EcuData->SetRifSensore(i, v[i]);
  LoadThresholds();
}

void TPageSensore::Translate() {
  TranslateCaptions({{LabelSensoreLivello, 223},
                     {CheckRitornoBenzina, 230},
                     {LabelRitornoBenzina, 231},
                     {LabelLivelloAlcol, 228},
                     {GroupRifSensore, 232},
                     {LabelSensore[0], 233},
                     {LabelSensore[1], 234},
                     {LabelSensore[2], 235},
                     {LabelSensore[3], 236},
                     {LabelConferma, 238},
                     {ButtonAccetta, 142}});
  TranslateItems(ComboSensore, {224, 225, 226, 227});
}
