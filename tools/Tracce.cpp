#include "Tracce.h"

#include <QCheckBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "DialogButtons.h"
#include "Language.h"
#include "ScreenScale.h"

TFormGestioneTracce::TFormGestioneTracce(QWidget* owner) : TModalDialog(owner, Qt::Tool) {
  setObjectName("FormGestioneTracce");
  // Scaled as its chart from the start, so the traces the chart adds are measured in the font
  // the user sees.
  if (owner) ScaleFontToScreen(this, ScaledWidthOf(owner));
  setWindowTitle("Aggiungi/rimuovi tracce");
  PanelTracce = new QWidget(this);
  PanelTracce->setObjectName("PanelTracce");
  ButtonOk = AddCloseButton("OK", "ButtonOk", mrOk);
  ButtonOk->setDefault(true);
  ButtonAnnulla = AddCloseButton("Annulla", "ButtonAnnulla", mrCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PanelTracce, 1);
  layout->addLayout(DialogButtonRow({ButtonOk, ButtonAnnulla}));
  TranslateCaption(this, 367);
  TranslateCaption(ButtonOk, 103);
  TranslateCaption(ButtonAnnulla, 104);
}

QCheckBox* TFormGestioneTracce::CheckTrack(int index) const {
  return PanelTracce->findChild<QCheckBox*>(QString("CheckTrack%1").arg(index));
}
