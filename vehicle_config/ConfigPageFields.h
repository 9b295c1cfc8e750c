#pragma once
// Building blocks of the editor's parameter pages: named labels, entry fields, option lists and
// check boxes (TChainCheckBox, members of the focus chain); rows of label, field and unit; focus
// chains; list items from texts; the click rule of options kept as values of their variable.
#include <QString>
#include <QStringList>
#include <initializer_list>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QObject;
class QWidget;
class TChainCheckBox;
class TKeyComboBox;
class TNumericEdit;
class TOffStateOption;

namespace PageFields {

// Nearest integer of a value read from the data set, halves to even.
int Rounded(double v);

QLabel* Label(QWidget* parent, const char* name, const QString& text);
// A numeric field of the pages' usual width; maxLength > 0 limits what can be typed.
TNumericEdit* Edit(QWidget* parent, const char* name, int maxLength = 0);
TKeyComboBox* Combo(QWidget* parent, const char* name, const QStringList& items);
// A check box of the focus chain: Enter toggles it as a click does.
TChainCheckBox* Check(QWidget* parent, const char* name, const QString& text);

// Places label, field and unit (each may be null) in columns 0, 1 and 2 of a grid row.
void AddRow(QGridLayout* grid, int row, QWidget* label, QWidget* field, QWidget* unit = nullptr);
// Shows or hides every widget given (null entries are skipped).
void SetVisible(std::initializer_list<QWidget*> widgets, bool visible);
void SetEnabled(std::initializer_list<QWidget*> widgets, bool enabled);

// Links the controls one after the other: each one's next control is the following one and
// the following one's previous control is it. Entry fields, option lists and the pages' check
// boxes take links; other widgets only end one. Null entries are skipped.
void LinkChain(std::initializer_list<QWidget*> chain);
// The previous (next) control of one link of the chain.
void SetPrev(QWidget* control, QWidget* prev);
void SetNext(QWidget* control, QWidget* next);

// Rebuilds the items of a list from texts by id: a text the language lacks gives an empty
// item, so the list keeps its item count. The selection is kept where it still exists.
void SetItemsFromTexts(QComboBox* combo, std::initializer_list<int> ids);
// Translates the items of a list in place: an item whose text the language lacks keeps its
// text.
void TranslateItems(QComboBox* combo, std::initializer_list<int> ids);

// Loads captions by text id (a caption the language lacks stays).
struct Caption {
  QObject* control;
  int id;
};
void TranslateCaptions(std::initializer_list<Caption> captions);

// The click rule of a box over an option kept as a value of its own variable: unless the page
// itself set the box (programSet), the option is switched on or off with the box, and a write
// the ECU refused puts the box back to what the data set holds; the option's widgets show while
// the box is checked, and then `value` shows the rounded value of `code`.
void OffStateOptionClick(TOffStateOption& option, QCheckBox* box, bool programSet,
                         std::initializer_list<QWidget*> widgets, TNumericEdit* value, int code);

// Sets a box's check mark from code; no click comes of it.
void SetChecked(QCheckBox* box, bool checked);
// Sets a list's selection from code; no change or confirmation comes of it.
void SetIndex(QComboBox* combo, int index);

}  // namespace PageFields
