#include "Ordina.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "DialogButtons.h"
#include "Language.h"

TFormOrdina::TFormOrdina(QWidget* owner) : TModalDialog(owner) {
  setObjectName("FormOrdina");
  setWindowTitle("Ordina dati acquisiti");
  GroupMode = new QGroupBox("Ordina per", this);
  GroupMode->setObjectName("GroupMode");
  auto* items = new QVBoxLayout(GroupMode);
  const char* const design[4] = {"Giri", "Map", "Tempo iniezione", "Ordine acquisizione"};
  for (int i = 0; i < 4; ++i) {
    ModeItems[i] = new QRadioButton(QString::fromUtf8(design[i]), GroupMode);
    ModeItems[i]->setObjectName(QStringLiteral("ModeItem%1").arg(i));
    items->addWidget(ModeItems[i]);
  }
  ButtonOk = AddCloseButton("&OK", "ButtonOk", mrOk);
  ButtonOk->setDefault(true);
  ButtonAnnulla = AddCloseButton("&Annulla", "ButtonAnnulla", mrCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(GroupMode);
  layout->addLayout(DialogButtonRow({ButtonOk, ButtonAnnulla}));
  // The sort keys are the row titles of the points window (texts 441 to 444).
  const std::pair<QObject*, int> captions[] = {{this, 446},          {GroupMode, 447},    {ButtonOk, 103},
                                               {ButtonAnnulla, 104}, {ModeItems[0], 441}, {ModeItems[1], 442},
                                               {ModeItems[2], 443},  {ModeItems[3], 444}};
  for (const auto& [control, k] : captions) TranslateCaption(control, k);
}

int TFormOrdina::ItemIndex() const {
  for (int i = 0; i < 4; ++i)
    if (ModeItems[i]->isChecked()) return i;
  return -1;
}

void TFormOrdina::SetItemIndex(int index) {
  if (index >= 0 && index < 4) ModeItems[index]->setChecked(true);
}
