#include "ConfigPageFields.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <cmath>
#include <limits>

#include "ChainCheckBox.h"
#include "EcuData.h"
#include "KeyComboBox.h"
#include "Language.h"
#include "NumericEdit.h"
#include "OffStateOption.h"
#include "ScreenScale.h"

namespace {

// Width of the pages' numeric fields.
constexpr int kEditWidth = 80;

}  // namespace

namespace PageFields {

int Rounded(double v) {
  if (!std::isfinite(v)) return 0;
  const double r = std::nearbyint(v);  // the default rounding mode: halves to even
  if (r >= std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (r <= std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(r);
}

QLabel* Label(QWidget* parent, const char* name, const QString& text) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QString::fromLatin1(name));
  return l;
}

TNumericEdit* Edit(QWidget* parent, const char* name, int maxLength) {
  auto* e = new TNumericEdit(parent);
  e->setObjectName(QString::fromLatin1(name));
  e->setFixedWidth(ScaleToScreen(kEditWidth, ScaledWidthOf(parent)));
  e->setAlignment(Qt::AlignRight);
  if (maxLength > 0) e->SetMaxLength(maxLength);
  return e;
}

TKeyComboBox* Combo(QWidget* parent, const char* name, const QStringList& items) {
  auto* c = new TKeyComboBox(parent);
  c->setObjectName(QString::fromLatin1(name));
  c->addItems(items);
  c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return c;
}

TChainCheckBox* Check(QWidget* parent, const char* name, const QString& text) {
  auto* b = new TChainCheckBox(text, parent);
  b->setObjectName(QString::fromLatin1(name));
  return b;
}

void AddRow(QGridLayout* grid, int row, QWidget* label, QWidget* field, QWidget* unit) {
  if (label) grid->addWidget(label, row, 0);
  if (field) grid->addWidget(field, row, 1);
  if (unit) grid->addWidget(unit, row, 2);
}

void SetVisible(std::initializer_list<QWidget*> widgets, bool visible) {
  for (QWidget* w : widgets)
    if (w) w->setVisible(visible);
}

void SetEnabled(std::initializer_list<QWidget*> widgets, bool enabled) {
  for (QWidget* w : widgets)
    if (w) w->setEnabled(enabled);
}

void SetNext(QWidget* control, QWidget* next) {
  if (auto* e = qobject_cast<TNumericEdit*>(control))
    e->SetNextControl(next);
  else if (auto* c = qobject_cast<TKeyComboBox*>(control))
    c->SetNextControl(next);
  else if (auto* b = qobject_cast<TChainCheckBox*>(control))
    b->SetNextControl(next);
}

void SetPrev(QWidget* control, QWidget* prev) {
  if (auto* e = qobject_cast<TNumericEdit*>(control))
    e->SetPrevControl(prev);
  else if (auto* c = qobject_cast<TKeyComboBox*>(control))
    c->SetPrevControl(prev);
  else if (auto* b = qobject_cast<TChainCheckBox*>(control))
    b->SetPrevControl(prev);
}

void LinkChain(std::initializer_list<QWidget*> chain) {
  QWidget* previous = nullptr;
  for (QWidget* w : chain) {
    if (!w) continue;
    if (previous) {
      SetNext(previous, w);
      SetPrev(w, previous);
    }
    previous = w;
  }
}

void SetItemsFromTexts(QComboBox* combo, std::initializer_list<int> ids) {
  const QSignalBlocker block(combo);
  const int index = combo->currentIndex();
  combo->clear();
  for (int id : ids) combo->addItem(Tr(id));
  combo->setCurrentIndex(index < combo->count() ? index : -1);
}

void TranslateItems(QComboBox* combo, std::initializer_list<int> ids) {
  int i = 0;
  for (int id : ids) {
    QString text;
    if (i < combo->count() && ReadText(id, &text)) combo->setItemText(i, text);
    ++i;
  }
}

void TranslateCaptions(std::initializer_list<Caption> captions) {
  for (const Caption& c : captions) TranslateCaption(c.control, c.id);
}

void OffStateOptionClick(TOffStateOption& option, QCheckBox* box, bool programSet,
                         std::initializer_list<QWidget*> widgets, TNumericEdit* value, int code) {
  if (!programSet) {
    const bool accepted = box->isChecked() ? option.SwitchOn() : option.SwitchOff();
    if (!accepted) SetChecked(box, option.IsOn());
  }
  const bool checked = box->isChecked();
  SetVisible(widgets, checked);
  if (checked && EcuData) value->SetDouble(Rounded(EcuData->GetValue(code)));
}

void SetChecked(QCheckBox* box, bool checked) {
  const QSignalBlocker block(box);
  box->setChecked(checked);
}

void SetIndex(QComboBox* combo, int index) {
  const QSignalBlocker block(combo);
  combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

}  // namespace PageFields
