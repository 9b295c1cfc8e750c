#include "Paradattaecu.h"

#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "DialogButtons.h"
#include "EcuData.h"
#include "EcuValueCodes.h"
#include "Language.h"
#include "NumericEdit.h"

namespace {

struct FieldDef {
  const char* name;
  const char* label;
  int code;
  double precision;
  double max;
};

constexpr FieldDef kFields[9] = {
    {"EditNumCalcoli", "Numero di calcoli di adattatività", 0x5D, 1, 255},
    {"EditRegConfAdatta", "Registro di configurazione", 0x25E, 1, 65535},
    {"EditSaturazione", "Valore massimo di correzione", 0x5F, 4, 508},
    {"EditZoneSaturate", "Zone al massimo per modifica mappa carb.", 0x60, 1, 255},
    {"EditZoneAcquisite", "Zone ben acquisite per calcolo mappa", 0x61, 1, 255},
    {"EditAcquisizioniPerZona", "Acquisizioni per zona ben acquisita", 0x62, 1, 255},
    {"EditMaxCorr", "Coefficiente massimo di correzione (%)", 0x5500263, 5, 100},
    {"EditMinCorr", "Coefficiente minimo di correzione (%)", 0x5000263, 5, 100},
    {"EditDeltaCorr", "Decremento coefficiente di correzione (%)", 0x5A00263, 5, 100},
};

}  // namespace

TFormParAdattaEcu::TFormParAdattaEcu(QWidget* owner) : TModalDialog(owner) {
  setObjectName("FormParAdattaEcu");
  setWindowTitle("Parametri di adattatività della centralina");
  auto* form = new QFormLayout;
  for (int i = 0; i < 9; ++i) {
    const FieldDef& f = kFields[i];
    auto* e = new TNumericEdit(this);
    e->setObjectName(f.name);
    e->SetValidation(false);
    e->SetPrecision(f.precision);
    e->SetMaxValue(f.max);
    e->SetMaxLength(f.code == 0x25E ? 5 : 3);
    e->SetDataCode(f.code);
    if (i > 0) {
      fields_[i - 1]->SetNextControl(e);
      e->SetPrevControl(fields_[i - 1]);
    }
    fields_[i] = e;
    form->addRow(f.label, e);
    TranslateCaption(form->labelForField(e), 580 + i);
    if (EcuData) e->SetInt(EcuConv::Trunc(EcuData->GetValue(f.code)));
  }
  EditNumCalcoli = fields_[0];
  EditRegConfAdatta = fields_[1];
  EditSaturazione = fields_[2];
  EditZoneSaturate = fields_[3];
  EditZoneAcquisite = fields_[4];
  EditAcquisizioniPerZona = fields_[5];
  EditMaxCorr = fields_[6];
  EditMinCorr = fields_[7];
  EditDeltaCorr = fields_[8];

  ButtonOk = DialogButton(this, "OK", "ButtonOk", [this] { ButtonOkClick(); });
  ButtonAnnulla = AddCloseButton("Annulla", "ButtonAnnulla", mrCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(DialogButtonRow({ButtonOk, ButtonAnnulla}));
  TranslateCaption(this, 579);
  TranslateCaption(ButtonOk, 103);
  TranslateCaption(ButtonAnnulla, 104);
}

void TFormParAdattaEcu::ButtonOkClick() {
  if (EcuData)
    for (TNumericEdit* e : fields_) EcuData->SetValue(e->DataCode(), e->GetInt());
  done(mrOk);
}
