#include "Modmappa.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "DecimalText.h"
#include "DialogButtons.h"

TFormModMappa::TFormModMappa(QWidget* owner) : TModalDialog(owner) {
  setObjectName("FormModMappa");
  setWindowTitle("Variazione cella");
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName("Edit1");
  // Typed text goes through the key filter only: no paste from a menu or by dragging.
  Edit1->setContextMenuPolicy(Qt::NoContextMenu);
  Edit1->setDragEnabled(false);
  Edit1->setAcceptDrops(false);
  Edit1->installEventFilter(this);

  GroupModalita = new QGroupBox("Modalità", this);
  GroupModalita->setObjectName("GroupModalita");
  modes_ = new QButtonGroup(this);
  auto* groupLayout = new QVBoxLayout(GroupModalita);
  const char* items[3] = {"A&ssoluto", "&Lineare", "&Percentuale"};
  for (int i = 0; i < 3; ++i) {
    ModeItems[i] = new QRadioButton(items[i], GroupModalita);
    modes_->addButton(ModeItems[i], i);
    groupLayout->addWidget(ModeItems[i]);
  }
  ModeItems[0]->setChecked(true);

  ButtonOK = AddCloseButton("OK", "ButtonOK", mrOk);
  ButtonOK->setDefault(true);
  ButtonAnnulla = AddCloseButton("Annulla", "ButtonAnnulla", mrCancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Edit1);
  layout->addWidget(GroupModalita);
  layout->addLayout(DialogButtonRow({ButtonOK, ButtonAnnulla}));
}

int TFormModMappa::EditIntCell(int* value, uint8_t* mode) {
  float_ = false;
  intValue_ = value;
  floatValue_ = nullptr;
  mode_ = mode;
  Edit1->setText(QString::number(value ? *value : 0));
  return Run(mode ? *mode : 0);
}

int TFormModMappa::EditFloatCell(double* value, uint8_t* mode) {
  float_ = true;
  intValue_ = nullptr;
  floatValue_ = value;
  mode_ = mode;
  Edit1->setText(
      QString::fromStdString(DecimalText::Format(value ? *value : 0.0, DecimalText::UserDecimalSeparator())));
  return Run(mode ? *mode : 0);
}

int TFormModMappa::Run(uint8_t mode) {
  Edit1->selectAll();
  Edit1->setFocus();
  ModeItems[mode < 3 ? mode : 0]->setChecked(true);
  return ShowModal();
}

void TFormModMappa::SetModeChoiceEnabled(bool enabled) { GroupModalita->setEnabled(enabled); }

uint8_t TFormModMappa::SelectedMode() const {
  const int id = modes_->checkedId();
  return static_cast<uint8_t>(id < 0 ? 0 : id);
}

void TFormModMappa::done(int r) {
  const std::string text = Edit1->text().toStdString();
  if (intValue_) *intValue_ = DecimalText::ParseInt(text).value_or(0);
  if (floatValue_) *floatValue_ = DecimalText::Parse(text, DecimalText::UserDecimalSeparator()).value_or(0.0);
  if (mode_) *mode_ = SelectedMode();
  intValue_ = nullptr;
  floatValue_ = nullptr;
  mode_ = nullptr;
  TModalDialog::done(r);
}

bool TFormModMappa::HoldsOutsideSelection(QChar ch) const {
  QString text = Edit1->text();
  if (Edit1->hasSelectedText()) text.remove(Edit1->selectionStart(), Edit1->selectedText().size());
  return text.contains(ch);
}

bool TFormModMappa::Edit1KeyPress(QChar key) const {
  if (key == QChar('\b')) return true;
  const int selected = Edit1->hasSelectedText() ? static_cast<int>(Edit1->selectedText().size()) : 0;
  if (Edit1->text().size() - selected + 1 > kMaxTyped) return false;
  if (key.isDigit() && key.unicode() < 0x80) return true;
  if (key == QChar('-')) {
    const int caret = Edit1->hasSelectedText() ? Edit1->selectionStart() : Edit1->cursorPosition();
    return caret == 0 && !HoldsOutsideSelection(key);
  }
  const QChar sep = QChar(DecimalText::UserDecimalSeparator());
  if (key == sep) return float_ && !HoldsOutsideSelection(sep);
  return false;
}

bool TFormModMappa::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Edit1 && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      // Enter and Esc reach the dialog's buttons; editing and moving keys work as usual.
      case Qt::Key_Return:
      case Qt::Key_Enter:
      case Qt::Key_Escape:
      case Qt::Key_Tab:
      case Qt::Key_Backtab:
      case Qt::Key_Backspace:
      case Qt::Key_Delete:
      case Qt::Key_Left:
      case Qt::Key_Right:
      case Qt::Key_Home:
      case Qt::Key_End:
        return false;
      default:
        break;
    }
    const QString text = key->text();
    if (text.isEmpty()) return false;  // modifiers and other keys without a character
    return !(text.size() == 1 && Edit1KeyPress(text.at(0)));
  }
  return QDialog::eventFilter(watched, event);
}
