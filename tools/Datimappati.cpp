#include "Datimappati.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "AcquisitionStore.h"
#include "DialogButtons.h"
#include "Language.h"
#include "Ordina.h"
#include "Prompt.h"

namespace {

constexpr int kFields = 4;  // rpm, map, time, order

int32_t* FieldOf(MapSample& s, int row) {
  switch (row) {
    case 0:
      return &s.rpm;
    case 1:
      return &s.map;
    case 2:
      return &s.value;
    case 3:
      return &s.order;
    default:
      return nullptr;
  }
}

// The cell editor: only Enter stores the text; any other way of leaving the editor leaves the
// cell's text as it was when editing began.
class TPointCellDelegate final : public QStyledItemDelegate {
 public:
  explicit TPointCellDelegate(TFormDatiMappati* form) : QStyledItemDelegate(form), form_(form) {}

  void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    auto* editor = qobject_cast<QLineEdit*>(object);
    if (editor && event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        const QString text = editor->text();
        const QModelIndex index = form_->GridValori->currentIndex();
        emit closeEditor(editor, QAbstractItemDelegate::NoHint);
        if (index.isValid()) form_->CommitEdit(index.row(), index.column(), text);
        return true;
      }
    }
    return QStyledItemDelegate::eventFilter(object, event);
  }

 private:
  TFormDatiMappati* form_;
};

}  // namespace

TFormDatiMappati::TFormDatiMappati(QWidget* owner, TDatiMappati* store) : TModalDialog(owner), store_(store) {
  setObjectName("FormDatiMappati");
  setWindowTitle("Dati acquisiti");
  rowTitles_[0] = "Giri (rpm)";
  rowTitles_[1] = "MAP (mv)";
  rowTitles_[2] = "Tempo (us)";
  rowTitles_[3] = "Ordine";

  GridValori = new QTableWidget(kFields, 1, this);
  GridValori->setObjectName("GridValori");
  GridValori->setSelectionMode(QAbstractItemView::SingleSelection);
  GridValori->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed);
  GridValori->setItemDelegate(new TPointCellDelegate(this));
  GridValori->setMinimumSize(560, 170);
  LabelValori = new QLabel(QString::fromUtf8("Valori già acquisiti"), this);
  LabelValori->setObjectName("LabelValori");
  LabelCounter = new QLabel("0", this);
  LabelCounter->setObjectName("LabelCounter");
  ButtonElimina = DialogButton(this, "&Elimina", "ButtonElimina", [this] { ButtonEliminaClick(); });
  ButtonAggiungi = DialogButton(this, "&Aggiungi", "ButtonAggiungi", [this] { ButtonAggiungiClick(); });
  ButtonOrdina = DialogButton(this, "&Ordina", "ButtonOrdina", [this] { ButtonOrdinaClick(); });
  ButtonOk = AddCloseButton("&OK", "ButtonOk", mrOk);

  auto* counter = new QHBoxLayout;
  counter->addWidget(LabelValori);
  counter->addWidget(LabelCounter);
  counter->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(counter);
  layout->addWidget(GridValori, 1);
  layout->addLayout(DialogButtonRow({ButtonElimina, ButtonAggiungi, ButtonOrdina, ButtonOk}));

  Translate();
  RefreshGrid();
}

TDatiMappati* TFormDatiMappati::Store() const { return store_ ? store_ : DatiMappati; }

void TFormDatiMappati::changeEvent(QEvent* e) {
  TModalDialog::changeEvent(e);
  if (e->type() == QEvent::FontChange) SizeColumns();
}

void TFormDatiMappati::SizeColumns() {
  // Every field is a 32-bit integer: room for a sign and ten of the font's widest digit, and the
  // margins the style keeps either side of a cell's text and the grid line.
  const QFontMetricsF fm(GridValori->font());
  qreal digit = 0;
  for (char c = '0'; c <= '9'; ++c) digit = std::max(digit, fm.horizontalAdvance(QLatin1Char(c)));
  const int text = static_cast<int>(std::ceil(fm.horizontalAdvance(QLatin1Char('-')) + 10 * digit));
  const int margin = GridValori->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, GridValori) + 1;
  const int width = text + 2 * margin + 1;
  QHeaderView* header = GridValori->horizontalHeader();
  header->setDefaultSectionSize(width);
  for (int c = 0; c < header->count(); ++c) header->resizeSection(c, width);
}

void TFormDatiMappati::Translate() {
  TranslateCaption(this, 439);
  TranslateCaption(LabelValori, 435);
  TranslateCaption(ButtonElimina, 436);
  TranslateCaption(ButtonAggiungi, 437);
  TranslateCaption(ButtonOrdina, 438);
  TranslateCaption(ButtonOk, 103);
  for (int i = 0; i < kFields; ++i) ReadText(441 + i, &rowTitles_[i]);
}

void TFormDatiMappati::RefreshGrid() {
  TDatiMappati* store = Store();
  const int n = store ? store->Count() : 0;
  GridValori->setVerticalHeaderLabels({rowTitles_[0], rowTitles_[1], rowTitles_[2], rowTitles_[3]});
  GridValori->setColumnCount(n > 0 ? n : 1);
  GridValori->setEnabled(n > 0);
  ButtonElimina->setEnabled(n > 0);
  LabelCounter->setText(QString::number(n));
  QStringList numbers;
  for (int c = 0; c < GridValori->columnCount(); ++c) {
    numbers << (n > 0 ? QString::number(c + 1) : QString());
    MapSample* s = n > 0 ? store->Sample(c) : nullptr;
    for (int r = 0; r < kFields; ++r) {
      const QString text = s ? QString::number(*FieldOf(*s, r)) : QString();
      if (QTableWidgetItem* item = GridValori->item(r, c))
        item->setText(text);
      else
        GridValori->setItem(r, c, new QTableWidgetItem(text));
    }
  }
  GridValori->setHorizontalHeaderLabels(numbers);
  SizeColumns();
  // A point is always chosen while there are points, so "Elimina" has one to delete.
  if (n > 0 && !GridValori->currentIndex().isValid()) GridValori->setCurrentCell(0, 0);
}

QString TFormDatiMappati::ConversionErrorText(const QString& text) {
  return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

bool TFormDatiMappati::CommitEdit(int row, int column, const QString& text) {
  TDatiMappati* store = Store();
  MapSample* s = store ? store->Sample(column) : nullptr;
  int32_t* field = s ? FieldOf(*s, row) : nullptr;
  if (!field) return false;
  int value = 0;
  try {
    value = StrToIntStrict(text.trimmed());
  } catch (const EConvertError&) {
    ShowPrompt(this, windowTitle(), ConversionErrorText(text), PromptIcon::Stop);
    RefreshGrid();  // the cell shows the point's value again
    return false;
  }
  *field = value;
  const int index = store->Aggiorna(column);
  RefreshGrid();
  if (index >= 0) GridValori->setCurrentCell(row, index);
  return true;
}

void TFormDatiMappati::ButtonEliminaClick() {
  TDatiMappati* store = Store();
  if (!store || store->Count() == 0) return;
  QString question = QStringLiteral("Eliminare il valore selezionato?");
  ReadText(440, &question);
  if (ShowPrompt(this, windowTitle(), question, PromptIcon::Warning, PromptYesNo, PromptNo) != PromptYes)
    return;
  store->Delete(GridValori->currentColumn());
  RefreshGrid();
}

void TFormDatiMappati::ButtonAggiungiClick() {
  TDatiMappati* store = Store();
  if (!store) return;
  const int index = store->Add(0, 0.0, 0, 0);
  RefreshGrid();
  GridValori->setCurrentCell(0, index);
  if (GridValori->isEnabled() && GridValori->isVisible()) GridValori->setFocus();
}

void TFormDatiMappati::ButtonOrdinaClick() {
  TDatiMappati* store = Store();
  if (!store) return;
  TFormOrdina ordina(this);
  for (int i = 0; i < kFields; ++i) ordina.ModeItems[i]->setText(rowTitles_[i]);
  ordina.SetItemIndex(TDatiMappati::GetOrdinamento());
  if (ordina.ShowModal() != mrOk || ordina.ItemIndex() < 0) return;
  store->Ordina(ordina.ItemIndex());
  RefreshGrid();
}
