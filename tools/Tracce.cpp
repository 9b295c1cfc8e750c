#include "Tracce.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TFormGestioneTracce::TFormGestioneTracce(QWidget* owner) : TModalDialog(owner, Qt::Tool) {
  setObjectName("FormGestioneTracce");
  setWindowTitle("Aggiungi/rimuovi tracce");
  PanelTracce = new QWidget(this);
  PanelTracce->setObjectName("PanelTracce");
  ButtonOk = AddCloseButton("OK", "ButtonOk", mrOk);
  ButtonOk->setDefault(true);
  ButtonAnnulla = AddCloseButton("Annulla", "ButtonAnnulla", mrCancel);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ButtonOk);
  buttons->addWidget(ButtonAnnulla);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PanelTracce, 1);
  layout->addLayout(buttons);
}

QCheckBox* TFormGestioneTracce::CheckTrack(int index) const {
  return PanelTracce->findChild<QCheckBox*>(QString("CheckTrack%1").arg(index));
}
