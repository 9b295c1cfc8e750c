#include "Tracce.h"

#include <QCheckBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "DialogButtons.h"

TFormGestioneTracce::TFormGestioneTracce(QWidget* owner) : TModalDialog(owner, Qt::Tool) {
  setObjectName("FormGestioneTracce");
  setWindowTitle("Aggiungi/rimuovi tracce");
  PanelTracce = new QWidget(this);
  PanelTracce->setObjectName("PanelTracce");
  ButtonOk = AddCloseButton("OK", "ButtonOk", mrOk);
  ButtonOk->setDefault(true);
  ButtonAnnulla = AddCloseButton("Annulla", "ButtonAnnulla", mrCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PanelTracce, 1);
  layout->addLayout(DialogButtonRow({ButtonOk, ButtonAnnulla}));
}

QCheckBox* TFormGestioneTracce::CheckTrack(int index) const {
  return PanelTracce->findChild<QCheckBox*>(QString("CheckTrack%1").arg(index));
}
