#include "PagePressione.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVariant>

#include "ConfigPageFields.h"
#include "EcuData.h"
#include "NumericEdit.h"

using namespace PageFields;

TNumericEdit* OffsetPendenzaField(QWidget* parent, const char* name, int element) {
  TNumericEdit* e = Edit(parent, name);
  e->setProperty("Tag", element);
  e->SetMaxValue(2000);
  e->SetMinValue(element % 2 == 0 ? -2000 : 0);  // offsets 0 and 2, slopes 1 and 3
  e->SetPrecision(1);
  QObject::connect(e, &TNumericEdit::enterPressed, e, [e] { EditOffsetDiffKeyPress(e); });
  return e;
}

void EditOffsetDiffKeyPress(TNumericEdit* sender) {
  if (!EcuData) return;
  EcuData->SetOffsetPendenza(sender->property("Tag").toInt(), sender->GetInt());
  LoadOffsetPendenza(sender);
}

void LoadOffsetPendenza(TNumericEdit* field) {
  if (EcuData) field->SetDouble(EcuData->GetOffsetPendenza(field->property("Tag").toInt()));
}

TPagePressione::TPagePressione(TFormConfig* form, ConfigPageId id) : TConfigPage(form, id) {
  GroupMapEsterno = new QGroupBox(QStringLiteral("Parametri per il MAP esterno"), this);
  GroupMapEsterno->setObjectName(QStringLiteral("GroupMapEsterno"));
  auto* group = new QGridLayout(GroupMapEsterno);
  LabelOffset = Label(GroupMapEsterno, "LabelOffset", QStringLiteral("Offset (mbar)"));
  EditOffset = OffsetPendenzaField(GroupMapEsterno, "EditOffset", 0);
  LabelPendenza = Label(GroupMapEsterno, "LabelPendenza", QStringLiteral("Pendenza"));
  EditPendenza = OffsetPendenzaField(GroupMapEsterno, "EditPendenza", 1);
  AddRow(group, 0, LabelOffset, EditOffset);
  AddRow(group, 1, LabelPendenza, EditPendenza);
  LinkChain({EditOffset, EditPendenza});

  auto* grid = new QGridLayout(this);
  grid->addWidget(GroupMapEsterno, 0, 0, Qt::AlignLeft | Qt::AlignTop);
  grid->setRowStretch(1, 1);
  grid->setColumnStretch(1, 1);
}

void TPagePressione::PageShow() {
  LoadOffsetPendenza(EditOffset);
  LoadOffsetPendenza(EditPendenza);
  EditOffset->setFocus();
}

void TPagePressione::Translate() {
  TranslateCaptions({{GroupMapEsterno, 561}, {LabelOffset, 562}, {LabelPendenza, 537}});
}
