#include "Diagnosi.h"

#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTimer>

#include "DesignPlacer.h"
#include "EcuData.h"
#include "Language.h"
#include "Prompt.h"
#include "ScreenScale.h"
#include "SerialLink.h"

namespace {

constexpr int kDesignWidth = kDesignScreenWidth;
constexpr int kDesignHeight = 516;
constexpr int kListLeft = 140, kListTop = 16, kListWidth = 520, kListHeight = 300;
constexpr int kBitRole = Qt::UserRole;

// The legend's picture: a ticked check box.
QPixmap CheckedBox(int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::white);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(60, 60, 60), 1));
  p.drawRect(0, 0, size - 1, size - 1);
  p.setPen(QPen(Qt::black, std::max(2, size / 7)));
  p.drawPolyline(QPolygonF({QPointF(size * 0.22, size * 0.52), QPointF(size * 0.42, size * 0.74),
                            QPointF(size * 0.78, size * 0.26)}));
  return pm;
}

}  // namespace

TFormDiagnosi::TFormDiagnosi(QWidget* owner) : TModalDialog(owner), core_(*EcuData) {
  setObjectName(QStringLiteral("FormDiagnosi"));
  setWindowTitle(QStringLiteral("Diagnosi centralina"));
  screenWidth_ = FittedScreenWidth(QSize(kDesignWidth, kDesignHeight));
  ScaleFontToScreen(this, screenWidth_);
  const TDesignPlacer at(screenWidth_);

  // The list keeps its design size here: the first activation sizes it to the screen.
  ListDiagnosi = new QTableWidget(TDiagnosiCore::kChecks, 2, this);
  ListDiagnosi->setObjectName(QStringLiteral("ListDiagnosi"));
  ListDiagnosi->setGeometry(kListLeft, Scaled(kListTop), kListWidth, kListHeight);
  ListDiagnosi->setHorizontalHeaderLabels({QStringLiteral("Controlli di diagnosi"), QStringLiteral("Stato")});
  ListDiagnosi->horizontalHeaderItem(kStateColumn)->setTextAlignment(Qt::AlignCenter);
  ListDiagnosi->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  ListDiagnosi->horizontalHeader()->setHighlightSections(false);
  ListDiagnosi->verticalHeader()->hide();
  ListDiagnosi->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  ListDiagnosi->verticalHeader()->setDefaultSectionSize(ListDiagnosi->fontMetrics().height() + 8);
  ListDiagnosi->setShowGrid(true);
  ListDiagnosi->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListDiagnosi->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListDiagnosi->setSelectionMode(QAbstractItemView::SingleSelection);
  // Sized to show every item: no scroll bars.
  ListDiagnosi->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  ListDiagnosi->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  {
    QPalette p = ListDiagnosi->palette();
    p.setColor(QPalette::Base, palette().color(QPalette::Button));
    ListDiagnosi->setPalette(p);
  }
  for (int i = 0; i < TDiagnosiCore::kChecks; ++i) {
    auto* check = new QTableWidgetItem(QString::fromUtf8(TDiagnosiCore::kCheckList[i].text));
    check->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    check->setCheckState(Qt::Unchecked);
    auto* state = new QTableWidgetItem;
    state->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    state->setTextAlignment(Qt::AlignCenter);
    ListDiagnosi->setItem(i, 0, check);
    ListDiagnosi->setItem(i, kStateColumn, state);
  }
  ListDiagnosi->hide();
  ListDiagnosi->installEventFilter(this);
  connect(ListDiagnosi, &QTableWidget::itemChanged, this, &TFormDiagnosi::ListDiagnosiChange);

  ButtonAzzeraErrori = new QPushButton(QStringLiteral("Azzera e&rrori"), this);
  at.Place(ButtonAzzeraErrori, "ButtonAzzeraErrori", kListLeft, 330, 150, 28);
  connect(ButtonAzzeraErrori, &QPushButton::clicked, this, &TFormDiagnosi::ButtonAzzeraErroriClick);
  Image1 = new QLabel(this);
  at.Place(Image1, "Image1", kListLeft + 250, 337, 14, 14);
  Image1->setPixmap(CheckedBox(Scaled(14)));
  LabelAbilitazDiagnosi = new QLabel(QStringLiteral("= controllo abilitato"), this);
  at.Place(LabelAbilitazDiagnosi, "LabelAbilitazDiagnosi", kListLeft + 270, 330, 250, 28);

  GroupTempi = new QGroupBox(QStringLiteral("Tempi di funzionamento"), this);
  at.Place(GroupTempi, "GroupTempi", kListLeft, 370, kListWidth, 96);
  const auto inGroup = [&](QWidget* w, const char* name, int x, int y, int width, int height) {
    w->setParent(GroupTempi);
    at.Place(w, name, x, y, width, height);
  };
  LabelTempoGas = new QLabel(QStringLiteral("Tempo a GAS"));
  inGroup(LabelTempoGas, "LabelTempoGas", 12, 24, 130, 28);
  LabelTGas = new QLabel(QStringLiteral("0 : 00"));
  inGroup(LabelTGas, "LabelTGas", 150, 24, 130, 28);
  LabelTempoBenzina = new QLabel(QStringLiteral("Tempo a Benzina"));
  inGroup(LabelTempoBenzina, "LabelTempoBenzina", 12, 58, 130, 28);
  LabelTBenz = new QLabel(QStringLiteral("0 : 00"));
  inGroup(LabelTBenz, "LabelTBenz", 150, 58, 130, 28);
  for (QLabel* l : {LabelTGas, LabelTBenz}) {
    SetSevenSegmentFont(l, Scaled(22));
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  }
  ButtonAzzeraTempi = new QPushButton(QStringLiteral("Azzera &tempi"));
  inGroup(ButtonAzzeraTempi, "ButtonAzzeraTempi", 360, 40, 140, 28);
  connect(ButtonAzzeraTempi, &QPushButton::clicked, this, &TFormDiagnosi::ButtonAzzeraTempiClick);
  GroupTempi->hide();

  ButtonEsci = AddCloseButton(QStringLiteral("&Esci"), QStringLiteral("ButtonEsci"), mrOk);
  at.Place(ButtonEsci, "ButtonEsci", kListLeft + kListWidth - 100, 476, 100, 28);
  setFixedSize(Scaled(kDesignWidth), Scaled(kDesignHeight));

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(kRefreshMs);
  connect(Timer1, &QTimer::timeout, this, &TFormDiagnosi::Timer1Timer);
  Timer1->start();
}

int TFormDiagnosi::Scaled(int v) const { return ScaleToScreen(v, screenWidth_); }

bool TFormDiagnosi::event(QEvent* e) {
  // The window is built when it first comes up (shown, then activated).
  if (e->type() == QEvent::WindowActivate || e->type() == QEvent::Show) FormActivate();
  return TModalDialog::event(e);
}

bool TFormDiagnosi::eventFilter(QObject* watched, QEvent* e) {
  if (watched == ListDiagnosi && e->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(e)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      ListDiagnosiKeyPress(13);
      return true;
    }
  }
  return TModalDialog::eventFilter(watched, e);
}

void TFormDiagnosi::Translate() {
  TranslateCaption(this, 323, 255);
  TranslateCaption(LabelAbilitazDiagnosi, 324, 70);
  TranslateCaption(GroupTempi, 328, 30);
  TranslateCaption(LabelTempoGas, 329, 20);
  TranslateCaption(LabelTempoBenzina, 330, 20);
  TranslateCaption(ButtonEsci, 325, 10);
  TranslateCaption(ButtonAzzeraTempi, 327, 20);
  TranslateCaption(ButtonAzzeraErrori, 326, 20);
  ReadText(331, &textOk_);
  ReadText(332, &textErrore_);
  ReadText(333, &textQuestion_);
  QString text;
  for (int column = 0; column < 2; ++column)
    if (ReadText(335 + column, &text)) ListDiagnosi->horizontalHeaderItem(column)->setText(text);
  const QSignalBlocker quiet(ListDiagnosi);
  for (int i = 0; i < TDiagnosiCore::kChecks; ++i)
    if (ReadText(TDiagnosiCore::kCheckList[i].textId, &text)) ListDiagnosi->item(i, 0)->setText(text);
}

void TFormDiagnosi::FormActivate() {
  if (activated_) return;
  activated_ = true;
  // The list, and the texts.
  ListDiagnosi->show();
  Translate();
  // The list to the screen, centred.
  const int width = ScaleToScreen(ListDiagnosi->width(), screenWidth_);
  const int height = ScaleToScreen(ListDiagnosi->height(), screenWidth_);
  ListDiagnosi->setGeometry((screenWidth_ - width) / 2, ListDiagnosi->y(), width, height);
  const int frame = ListDiagnosi->frameWidth();
  const int client = width - 2 * frame;
  const int column0 = static_cast<int>(0.75 * client);
  ListDiagnosi->setColumnWidth(0, column0);
  ListDiagnosi->setColumnWidth(kStateColumn, client - column0);
  // The check boxes from the enable word; filling them writes nothing.
  core_.LoadEnableMask();
  {
    const QSignalBlocker quiet(ListDiagnosi);
    for (int i = 0; i < TDiagnosiCore::kChecks; ++i) {
      ListDiagnosi->item(i, 0)->setData(kBitRole, i);
      SetCheckBox(i, core_.Enabled(i));
    }
    // The second probe's checks only with two probes; bit 1 never.
    if (EcuData->GetNumeroSonde() == 1)
      for (int row : {10, 9, 8}) ListDiagnosi->removeRow(row);
    ListDiagnosi->removeRow(1);
  }
  // Every item in view without scrolling.
  const int rows = ListDiagnosi->rowCount();
  const QRect last = ListDiagnosi->visualItemRect(ListDiagnosi->item(rows - 2, 0));
  const int viewport = last.top() + 2 * last.height() + 1;
  ListDiagnosi->ensurePolished();
  const int header = ListDiagnosi->horizontalHeader()->sizeHint().height();
  ListDiagnosi->resize(column0 + (client - column0) + 2 * frame, viewport + header + 2 * frame);
  // The buttons and the running times under the list.
  const int top = ListDiagnosi->y() + ListDiagnosi->height() + 10;
  const int left = ListDiagnosi->x();
  ButtonAzzeraErrori->move(left, top);
  Image1->move(left + Scaled(250), top + (ButtonAzzeraErrori->height() - Image1->height()) / 2);
  LabelAbilitazDiagnosi->move(left + Scaled(270), top);
  GroupTempi->setGeometry(left, top + ButtonAzzeraErrori->height() + Scaled(12), ListDiagnosi->width(),
                          GroupTempi->height());
  GroupTempi->show();
  ButtonEsci->move(left + ListDiagnosi->width() - ButtonEsci->width(),
                   GroupTempi->y() + GroupTempi->height() + Scaled(10));
  setFixedSize(this->width(), ButtonEsci->y() + ButtonEsci->height() + Scaled(12));
  // States and times (the held words when the link is closed).
  RefreshDiagnosis();
  // Item 0 has the focus; the list in the window colour.
  ListDiagnosi->setCurrentCell(0, 0, QItemSelectionModel::NoUpdate);
  QPalette p = ListDiagnosi->palette();
  p.setColor(QPalette::Base, QGuiApplication::palette().color(QPalette::Base));
  ListDiagnosi->setPalette(p);
}

void TFormDiagnosi::Timer1Timer() {
  if (SerialLink && SerialLink->IsLinkOpen() != 0) RefreshDiagnosis();
}

int TFormDiagnosi::RowOfBit(int bit) const {
  for (int row = 0; row < ListDiagnosi->rowCount(); ++row)
    if (ListDiagnosi->item(row, 0)->data(kBitRole).toInt() == bit) return row;
  return -1;
}

void TFormDiagnosi::SetCheckBox(int row, bool checked) {
  const QSignalBlocker quiet(ListDiagnosi);
  ListDiagnosi->item(row, 0)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void TFormDiagnosi::ShowStates(int errors) {
  const QSignalBlocker quiet(ListDiagnosi);
  for (int bit = 0; bit < TDiagnosiCore::kChecks; ++bit) {
    const int row = RowOfBit(bit);
    if (row >= 0) ListDiagnosi->item(row, kStateColumn)->setText((errors >> bit) & 1 ? textErrore_ : textOk_);
  }
}

void TFormDiagnosi::ShowTimes(int gasMinutes, int petrolMinutes) {
  LabelTGas->setText(QString::fromStdString(TDiagnosiCore::RunningTime(gasMinutes)));
  LabelTBenz->setText(QString::fromStdString(TDiagnosiCore::RunningTime(petrolMinutes)));
}

void TFormDiagnosi::RefreshDiagnosis() {
  int errors = 0;
  if (core_.RefreshErrors(&errors)) ShowStates(errors);
  const int gas = core_.GasMinutes();
  const int petrol = core_.PetrolMinutes();
  ShowTimes(gas, petrol);
}

void TFormDiagnosi::ListDiagnosiChange(QTableWidgetItem* item) {
  if (!item || item->column() != 0) return;
  const int bit = item->data(kBitRole).toInt();
  const bool checked = item->checkState() == Qt::Checked;
  if (checked == core_.Enabled(bit)) return;
  // A refused write leaves the check as the data set holds it.
  const bool held = core_.SetCheck(bit, checked);
  if (held != checked) SetCheckBox(item->row(), held);
  RefreshDiagnosis();
}

void TFormDiagnosi::ListDiagnosiKeyPress(int key) {
  if (key != 13) return;
  const QModelIndexList rows = ListDiagnosi->selectionModel()->selectedRows();
  if (rows.isEmpty()) return;
  QTableWidgetItem* item = ListDiagnosi->item(rows.first().row(), 0);
  item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void TFormDiagnosi::ButtonAzzeraErroriClick() {
  // The column shows the word the data set now holds: "OK" throughout unless the ECU refused.
  ShowStates(core_.ClearErrors());
}

void TFormDiagnosi::ButtonAzzeraTempiClick() {
  if (ShowPrompt(this, windowTitle(), textQuestion_, PromptIcon::Warning, PromptYesNo) != PromptYes) return;
  bool gasWritten = false, petrolWritten = false;
  core_.ResetTimes(&gasWritten, &petrolWritten);
  // A time the ECU refused shows what it still holds.
  ShowTimes(gasWritten ? 0 : core_.GasMinutes(), petrolWritten ? 0 : core_.PetrolMinutes());
}
