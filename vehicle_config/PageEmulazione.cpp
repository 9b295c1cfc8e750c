#include "PageEmulazione.h"

#include <QGridLayout>
#include <QLabel>

#include "Config.h"
#include "ConfigPageFields.h"
#include "EcuData.h"
#include "KeyComboBox.h"
#include "Language.h"
#include "NumericEdit.h"

using namespace PageFields;

namespace {
constexpr int kCodeWaves = 0x23;
constexpr int kCodeHigh = 0x20;
constexpr int kCodeLow = 0x21;
constexpr int kCodeDisconnected = 0x222;

// The wave values the two kinds without a data-set preset start with.
struct WavePreset {
  int waves;
  double high, low, disconnected;  // s
};
constexpr WavePreset kBuiltWave = {1, 0.36, 0.36, 0};
constexpr WavePreset kPetrolFeedback = {255, 0.6, 0.4, 0};
}  // namespace

TPageEmulazione::TPageEmulazione(TFormConfig* form, ConfigPageId id) : TConfigPage(form, id) {
  LabelTipoEmul = Label(this, "LabelTipoEmul", QStringLiteral("Tipo di emulazione"));
  ComboEmulazione = Combo(this, "ComboEmulazione",
                          {"Sonda sconnessa", "Emulazione a massa", "Onda quadra", "Onda quadra costruita"});
  LabelTempoAlto = Label(this, "LabelTempoAlto", QStringLiteral("Tempo livello alto"));
  EditTempoAlto = Edit(this, "EditTempoAlto");
  LabelS5 = Label(this, "LabelS5", QStringLiteral("s"));
  LabelTempoBasso = Label(this, "LabelTempoBasso", QStringLiteral("Tempo livello basso"));
  EditTempoBasso = Edit(this, "EditTempoBasso");
  LabelS6 = Label(this, "LabelS6", QStringLiteral("s"));
  LabelTempoTri = Label(this, "LabelTempoTri", QStringLiteral("Tempo sonda sconnessa"));
  EditTempoTri = Edit(this, "EditTempoTri");
  LabelS7 = Label(this, "LabelS7", QStringLiteral("s"));
  LabelOnde = Label(this, "LabelOnde", QStringLiteral("Numero di onde"));
  EditOnde = Edit(this, "EditOnde");
  LabelLivEmulAlto = Label(this, "LabelLivEmulAlto", QStringLiteral("Livello alto emulazione"));
  EditLivEmulAlto = Edit(this, "EditLivEmulAlto");
  LabelLivEmulBasso = Label(this, "LabelLivEmulBasso", QStringLiteral("Livello basso emulazione"));
  EditLivEmulBasso = Edit(this, "EditLivEmulBasso");

  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(3, 1);
  int row = 0;
  AddRow(grid, row++, LabelTipoEmul, ComboEmulazione);
  AddRow(grid, row++, LabelTempoAlto, EditTempoAlto, LabelS5);
  AddRow(grid, row++, LabelTempoBasso, EditTempoBasso, LabelS6);
  AddRow(grid, row++, LabelTempoTri, EditTempoTri, LabelS7);
  AddRow(grid, row++, LabelOnde, EditOnde);
  AddRow(grid, row++, LabelLivEmulAlto, EditLivEmulAlto, Label(this, "LabelV9", QStringLiteral("V")));
  AddRow(grid, row++, LabelLivEmulBasso, EditLivEmulBasso, Label(this, "LabelV10", QStringLiteral("V")));
  grid->setRowStretch(row, 1);

  LinkChain({ComboEmulazione, EditTempoAlto, EditTempoBasso, EditTempoTri, EditOnde, EditLivEmulAlto,
             EditLivEmulBasso});
  connect(ComboEmulazione, &TKeyComboBox::enterPressed, this, &TPageEmulazione::ComboEmulazioneKeyPress);
}

void TPageEmulazione::FormShow() {
  TranslateCaption(LabelTipoEmul, 198);
  // Petrol feedback needs the petrol map.
  if (EcuData && EcuData->HasMappaBenzina)
    SetItemsFromTexts(ComboEmulazione, {199, 200, 201, 202, 203});
  else
    SetItemsFromTexts(ComboEmulazione, {199, 200, 201, 202});
}

void TPageEmulazione::PageShow() {
  if (!EcuData) return;
  const int kind = EcuData->GetTipoEmulazione();
  SetIndex(ComboEmulazione, kind);
  VisibilityAndReload(kind);
  EditLivEmulAlto->SetDouble(EcuData->GetValue(0x47));
  EditLivEmulBasso->SetDouble(EcuData->GetValue(0x48));
  ComboEmulazione->setFocus();
}

void TPageEmulazione::ComboEmulazioneKeyPress() {
  if (!EcuData || ComboEmulazione->DroppedDown()) return;
  const int kind = ComboEmulazione->currentIndex();
  if (kind < 0) return;
  // The first three kinds are presets of the data set; the other two start from their waves.
  EcuData->SetTipoEmulazione(kind);
  if (kind == OndaCostruita || kind == FeedbackBenzina) {
    const WavePreset& p = kind == OndaCostruita ? kBuiltWave : kPetrolFeedback;
    EcuData->SetValue(kCodeWaves, p.waves);
    EcuData->SetValue(kCodeHigh, p.high);
    EcuData->SetValue(kCodeLow, p.low);
    EcuData->SetValue(kCodeDisconnected, p.disconnected);
  }
  // The kind the data set holds now, so that a refused write shows the kind held. The built
  // wave starts from the values of the square-wave preset and reads back as that preset until
  // its values are edited: it stays chosen.
  const int held = EcuData->GetTipoEmulazione();
  const int shown = held == kind || (kind == OndaCostruita && held == OndaQuadra) ? kind : held;
  SetIndex(ComboEmulazione, shown);
  VisibilityAndReload(shown);
}

void TPageEmulazione::VisibilityAndReload(int kind) {
  const bool wave = kind == OndaCostruita || kind == FeedbackBenzina;
  SetVisible({LabelTempoAlto, EditTempoAlto, LabelS5, LabelTempoBasso, EditTempoBasso, LabelS6, LabelTempoTri,
              EditTempoTri, LabelS7},
             wave);
  SetVisible({LabelOnde, EditOnde}, kind == OndaCostruita);
  EditOnde->SetDouble(Rounded(EcuData->GetValue(kCodeWaves)));
  EditTempoAlto->SetDouble(EcuData->GetValue(kCodeHigh));
  EditTempoBasso->SetDouble(EcuData->GetValue(kCodeLow));
  EditTempoTri->SetDouble(EcuData->GetValue(kCodeDisconnected));
}

void TPageEmulazione::Translate() {
  TranslateCaptions({{LabelTipoEmul, 198},
                     {LabelTempoAlto, 204},
                     {LabelTempoBasso, 205},
                     {LabelTempoTri, 206},
                     {LabelOnde, 210},
                     {LabelLivEmulAlto, 211},
                     {LabelLivEmulBasso, 212}});
  TranslateItems(ComboEmulazione, {199, 200, 201, 202, 203});
}
