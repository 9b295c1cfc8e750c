#include "PageArricchimento.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "Config.h"
#include "ConfigPageFields.h"
#include "EcuData.h"
#include "MapGridArr.h"
#include "NumericEdit.h"

using namespace PageFields;

TPageArricchimentoParametri::TPageArricchimentoParametri(TFormConfig* form, ConfigPageId id)
    : TPageArricchimento(form, id) {
  PanelParametri = new QWidget(this);
  PanelParametri->setObjectName(QStringLiteral("PanelParametri"));
  LabelArrAccelerazione =
      Label(PanelParametri, "LabelArrAccelerazione", QStringLiteral("Arricchimento in accelerazione"));
  EditArrAccelerazione = Edit(PanelParametri, "EditArrAccelerazione");
  EditArrAccelerazione->SetMaxValue(40);
  EditArrAccelerazione->SetMinValue(-40);
  EditArrAccelerazione->SetPrecision(2);
  LabelMinTpsArr = Label(PanelParametri, "LabelMinTpsArr", QStringLiteral("Cumulo minimo per arricchimento"));
  EditCumuloArricc = Edit(PanelParametri, "EditCumuloArricc");
  LabelIniezioniUscitaMin =
      Label(PanelParametri, "LabelIniezioniUscitaMin", QStringLiteral("Iniezioni all'uscita dal minimo"));
  EditIniezioni = Edit(PanelParametri, "EditIniezioni");
  auto* grid = new QGridLayout(PanelParametri);
  grid->setContentsMargins(0, 0, 0, 0);
  AddRow(grid, 0, LabelArrAccelerazione, EditArrAccelerazione);
  AddRow(grid, 1, LabelMinTpsArr, EditCumuloArricc);
  AddRow(grid, 2, LabelIniezioniUscitaMin, EditIniezioni);
  LinkChain({EditArrAccelerazione, EditCumuloArricc, EditIniezioni});
  connect(EditArrAccelerazione, &TNumericEdit::enterPressed, this,
          &TPageArricchimentoParametri::EditArrAccelerazioneKeyPress);
  PageResize();
}

void TPageArricchimentoParametri::PageShow() {
  TPageArricchimento::PageShow();
  if (!EcuData) return;
  // Older ECU software (version byte 0) has no acceleration enrichment to set.
  const bool available = EcuData->Identita[3] >= 1;
  EditArrAccelerazione->setEnabled(available);
  QPalette p = EditArrAccelerazione->palette();
  p.setColor(QPalette::Base, available ? QPalette().color(QPalette::Base) : p.color(QPalette::Midlight));
  EditArrAccelerazione->setPalette(p);
  EditArrAccelerazione->SetDouble(EcuData->GetArricchimentoAccelerazione());
  EditCumuloArricc->SetDouble(Rounded(EcuData->GetValue(0x33)));
  EditIniezioni->SetDouble(Rounded(EcuData->GetValue(0x56)));
  DrawGridArr->SetCurrent(1, 1);
  DrawGridArr->update();
  if (available) EditArrAccelerazione->setFocus();
}

void TPageArricchimentoParametri::EditArrAccelerazioneKeyPress() {
  if (!EcuData) return;
  EcuData->SetArricchimentoAccelerazione(EditArrAccelerazione->GetInt());
  EditArrAccelerazione->SetDouble(EcuData->GetArricchimentoAccelerazione());
  DrawGridArr->update();
}

void TPageArricchimentoParametri::PageResize() {
  TPageArricchimento::PageResize();
  if (!PanelParametri) return;  // the grid page lays out before the fields exist
  const QWidget* above = ButtonCentriCelleArr->isVisibleTo(this) ? static_cast<QWidget*>(ButtonCentriCelleArr)
                                                                 : DrawGridArr;
  PanelParametri->adjustSize();
  PanelParametri->move(DrawGridArr->x(), above->geometry().bottom() + 16);
}

void TPageArricchimentoParametri::Translate() {
  TPageArricchimento::Translate();
  TranslateCaptions({{LabelArrAccelerazione, 244}, {LabelMinTpsArr, 245}, {LabelIniezioniUscitaMin, 246}});
}
