#include "Paradatta.h"

#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "DialogButtons.h"
#include "KeyComboBox.h"
#include "Language.h"
#include "NumericEdit.h"

TFormParAdatta::TFormParAdatta(QWidget* owner) : TModalDialog(owner) {
  setObjectName("FormParAdatta");
  setWindowTitle("Paerametri di adattatività");
  auto* form = new QFormLayout;
  const auto edit = [&](const char* name, const char* label) {
    auto* e = new TNumericEdit(this);
    e->setObjectName(name);
    e->SetValidation(false);
    e->SetPrecision(1);
    form->addRow(label, e);
    return e;
  };
  EditMinCorr = edit("EditMinCorr", "Numero minimo correzioni");
  ComboOrdinamento = new TKeyComboBox(this);
  ComboOrdinamento->setObjectName("ComboOrdinamento");
  ComboOrdinamento->addItems({"Decrescente", "Crescente"});
  ComboOrdinamento->setCurrentIndex(0);
  form->addRow("Ordinamento", ComboOrdinamento);
  EditDeltaX = edit("EditDeltaX", "Delta X");
  EditDeltaY = edit("EditDeltaY", "Delta Y");
  EditCelleXS = edit("EditCelleXS", "NumCellXS");
  EditCelleYS = edit("EditCelleYS", "NumCellYS");
  EditCelleXD = edit("EditCelleXD", "NumCellXD");
  EditCelleYD = edit("EditCelleYD", "NumCellYD");
  // Enter, Up and Down follow the fields from top to bottom.
  EditMinCorr->SetNextControl(ComboOrdinamento);
  ComboOrdinamento->SetPrevControl(EditMinCorr);
  ComboOrdinamento->SetNextControl(EditDeltaX);
  EditDeltaX->SetPrevControl(ComboOrdinamento);
  TNumericEdit* const chain[] = {EditDeltaX, EditDeltaY, EditCelleXS, EditCelleYS, EditCelleXD, EditCelleYD};
  for (size_t i = 1; i < std::size(chain); ++i) {
    chain[i - 1]->SetNextControl(chain[i]);
    chain[i]->SetPrevControl(chain[i - 1]);
  }

  ButtonOk = AddCloseButton("OK", "ButtonOk", mrOk);
  ButtonAnnulla = AddCloseButton("Annulla", "ButtonAnnulla", mrCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(DialogButtonRow({ButtonOk, ButtonAnnulla}));

  const std::pair<QObject*, int> captions[] = {{this, 574},
                                               {form->labelForField(EditMinCorr), 575},
                                               {form->labelForField(ComboOrdinamento), 576},
                                               {ButtonOk, 103},
                                               {ButtonAnnulla, 104}};
  for (const auto& [control, k] : captions) TranslateCaption(control, k);
  for (int i = 0; i < 2; ++i) {
    QString item;
    if (ReadText(577 + i, &item)) ComboOrdinamento->setItemText(i, item);
  }
}
