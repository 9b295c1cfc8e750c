#include "PageCambio.h"

#include <QGridLayout>
#include <QLabel>

#include "Config.h"
#include "ConfigPageFields.h"
#include "EcuData.h"
#include "KeyComboBox.h"
#include "Language.h"
#include "MapGridSmall.h"
#include "NumericEdit.h"

using namespace PageFields;

namespace {
constexpr int kCodeGiriCambio = 0x210;
constexpr int kCodeIgnition = 0x14;
// Item of the changeover list that stands for the mono-fuel byte.
constexpr int kMonoFuelItem = 3;
}  // namespace

TPageCambio::TPageCambio(TFormConfig* form, ConfigPageId id) : TConfigPage(form, id) {
  LabelSegnaleGiri = Label(this, "LabelSegnaleGiri", QStringLiteral("Segnale giri"));
  ComboSegnaleGiri = Combo(this, "ComboSegnaleGiri", {"Standard", "Debole"});
  LabelAccensione = Label(this, "LabelAccensione", QStringLiteral("Tipo di accensione"));
  ComboAccensione =
      Combo(this, "ComboAccensione",
            {"3 Cilindri", "4 Cilindri", "5 Cilindri", "6 Cilindri", "8 Cilindri", "Bibobina", "Monobobina"});
  LabelCambio = Label(this, "LabelCambio", QStringLiteral("Modalità di cambio"));
  ComboCambio = Combo(this, "ComboCambio", {"In accelerazione", "In decelerazione", "Partenza a gas"});
  LabelGiriCambio = Label(this, "LabelGiriCambio", QStringLiteral("Giri di cambio"));
  EditGiriCambio = Edit(this, "EditGiriCambio");
  LabelRpm1 = Label(this, "LabelRpm1", QStringLiteral("rpm"));
  LabelTempCambio = Label(this, "LabelTempCambio", QStringLiteral("Temperatura di cambio"));
  EditTempCambio = Edit(this, "EditTempCambio", 2);
  LabelRitardoCambio = Label(this, "LabelRitardoCambio", QStringLiteral("Ritardo cambio benzina-gas"));
  EditRitMin = Edit(this, "EditRitMin");
  LabelFuoriGiri = Label(this, "LabelFuoriGiri", QStringLiteral("Intervento fuori giri"));
  EditFuoriGiri = Edit(this, "EditFuoriGiri");
  LabelFasciaMinimo = Label(this, "LabelFasciaMinimo", QStringLiteral("Riferimento giri al minimo"));
  EditFasciaMin = Edit(this, "EditFasciaMin");
  LabelProva = Label(this, "LabelProva", QStringLiteral("Valore prova (uchar codice 18)"));
  EditProva = Edit(this, "EditProva");
  LabelTempoCicchetto = Label(this, "LabelTempoCicchetto", QStringLiteral("Tempo cicchetto all'avviamento"));
  EditTempoCicchetto = Edit(this, "EditTempoCicchetto");
  LabTempoCicchetto = Label(this, "LabTempoCicchetto", QStringLiteral("s"));
  LabelRifTempCicchetto =
      Label(this, "LabelRifTempCicchetto", QStringLiteral("Cicchetto all'avviamento per temperatura"));
  LabelTempCicchetto = Label(this, "LabelTempCicchetto", QStringLiteral("Temperatura (°C)"));
  LabTempoCicchettoTemp = Label(this, "LabTempoCicchettoTemp", QStringLiteral("Tempo (s)"));
  DrawGridCicchetto = new TSmallGrid(TSmallGrid::Cicchetto, form, this);

  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(3, 1);
  int row = 0;
  AddRow(grid, row++, LabelSegnaleGiri, ComboSegnaleGiri);
  AddRow(grid, row++, LabelAccensione, ComboAccensione);
  AddRow(grid, row++, LabelCambio, ComboCambio);
  AddRow(grid, row++, LabelGiriCambio, EditGiriCambio, LabelRpm1);
  AddRow(grid, row++, LabelTempCambio, EditTempCambio, Label(this, "LabelC1", QStringLiteral("°C")));
  AddRow(grid, row++, LabelRitardoCambio, EditRitMin, Label(this, "LabelS1", QStringLiteral("s")));
  AddRow(grid, row++, LabelFuoriGiri, EditFuoriGiri, Label(this, "LabelRpmFuoriGiri", QStringLiteral("rpm")));
  AddRow(grid, row++, LabelFasciaMinimo, EditFasciaMin,
         Label(this, "LabelRpmFasciaMin", QStringLiteral("rpm")));
  AddRow(grid, row++, LabelProva, EditProva);
  AddRow(grid, row++, LabelTempoCicchetto, EditTempoCicchetto, LabTempoCicchetto);
  grid->addWidget(LabelRifTempCicchetto, row++, 0, 1, 3);
  auto* squirt = new QGridLayout;
  squirt->addWidget(LabelTempCicchetto, 0, 0);
  squirt->addWidget(LabTempoCicchettoTemp, 1, 0);
  squirt->addWidget(DrawGridCicchetto, 0, 1, 2, 1, Qt::AlignLeft | Qt::AlignTop);
  squirt->setColumnStretch(2, 1);
  grid->addLayout(squirt, row++, 0, 1, 4);
  grid->setRowStretch(row, 1);

  LinkChain({ComboSegnaleGiri, ComboAccensione, ComboCambio, EditGiriCambio, EditTempCambio, EditRitMin,
             EditFuoriGiri, EditFasciaMin, EditProva, EditTempoCicchetto});
  connect(ComboCambio, &TKeyComboBox::enterPressed, this, &TPageCambio::ComboCambioKeyPress);
  connect(ComboSegnaleGiri, &TKeyComboBox::enterPressed, this, &TPageCambio::ComboSegnaleGiriKeyPress);
  StartSquirtVisibility();
}

void TPageCambio::FormShow() {
  TranslateCaption(LabelCambio, 164);
  SetItemsFromTexts(ComboCambio, {165, 166, 167});
  if (EcuData && EcuData->HasMonoFuel) ComboCambio->addItem(QStringLiteral("Monofuel"));
}

void TPageCambio::PageShow() {
  if (!EcuData) return;
  SetIndex(ComboSegnaleGiri, EcuData->GetSegnaleGiri() ? 1 : 0);
  SetIndex(ComboAccensione, Rounded(EcuData->GetValue(kCodeIgnition)));
  SetIndex(ComboCambio, EcuData->IsMonoFuel() ? kMonoFuelItem : EcuData->GetModoCambio());
  EditTempCambio->SetDouble(EcuData->GetValue(0xF));
  EditRitMin->SetDouble(EcuData->GetValue(0x11));
  EditFuoriGiri->SetDouble(Rounded(EcuData->GetValue(0x213)));
  EditFasciaMin->SetDouble(Rounded(EcuData->GetValue(0x215)));
  EditProva->SetDouble(Rounded(EcuData->GetValue(0x12)));
  ChangeoverRpmRule();
  StartSquirtVisibility();
  EditTempoCicchetto->SetDouble(EcuData->GetValue(0x26D));
  DrawGridCicchetto->update();
  ComboSegnaleGiri->setFocus();
}

void TPageCambio::StartSquirtVisibility() {
  const bool time = EcuData && EcuData->HasTempoCicchetto;
  const bool table = EcuData && EcuData->HasCicchettoTemp;
  LabelTempoCicchetto->setVisible(time || table);
  SetVisible({LabelRifTempCicchetto, LabelTempCicchetto, LabTempoCicchettoTemp, DrawGridCicchetto}, table);
  SetVisible({EditTempoCicchetto, LabTempoCicchetto}, time);
}

void TPageCambio::ChangeoverRpmRule() {
  if (!EcuData) return;
  SetVisible({LabelGiriCambio, EditGiriCambio, LabelRpm1}, EcuData->GetModoCambio() != 2);
  EditGiriCambio->SetDouble(Rounded(EcuData->GetValue(kCodeGiriCambio)));
}

void TPageCambio::ComboCambioKeyPress() {
  if (!EcuData || ComboCambio->DroppedDown()) return;
  const int index = ComboCambio->currentIndex();
  if (index >= 0 && index < kMonoFuelItem) {
    EcuData->SetModoCambio(index);
    EcuData->SetMonoFuel(0);
  } else if (index == kMonoFuelItem) {
    EcuData->SetMonoFuel(1);  // the mode stays as it is
  }
  // What the data set holds now (a refused write shows the mode held).
  SetIndex(ComboCambio, EcuData->IsMonoFuel() ? kMonoFuelItem : EcuData->GetModoCambio());
  ChangeoverRpmRule();
}

void TPageCambio::ComboSegnaleGiriKeyPress() {
  if (!EcuData || ComboSegnaleGiri->DroppedDown()) return;
  const int index = ComboSegnaleGiri->currentIndex();
  if (index < 0) return;
  EcuData->SetSegnaleGiri(index == 1);
  SetIndex(ComboSegnaleGiri, EcuData->GetSegnaleGiri() ? 1 : 0);
}

void TPageCambio::PageResize() {
  // Three columns and two rows of cells, sized to the fields' rows.
  const int rowHeight = EditRitMin->sizeHint().height();
  DrawGridCicchetto->FitCells(3 * (EditRitMin->width() + 10), 2 * (rowHeight + 1));
  DrawGridCicchetto->setFixedSize(DrawGridCicchetto->GridExtent());
}

void TPageCambio::Translate() {
  TranslateCaptions({{LabelSegnaleGiri, 153},
                     {LabelAccensione, 156},
                     {LabelCambio, 164},
                     {LabelGiriCambio, 168},
                     {LabelFuoriGiri, 169},
                     {LabelTempCambio, 170},
                     {LabelRitardoCambio, 171},
                     {LabelFasciaMinimo, 172},
                     {LabelTempoCicchetto, 527},
                     {LabelRifTempCicchetto, 538},
                     {LabelProva, 553},
                     {LabelTempCicchetto, 554},
                     {LabTempoCicchettoTemp, 555}});
  TranslateItems(ComboSegnaleGiri, {154, 155});
  // The five cylinder counts; "Bibobina" and "Monobobina" are the same in every language.
  TranslateItems(ComboAccensione, {158, 159, 160, 161, 162});
  TranslateItems(ComboCambio, {165, 166, 167});
}
