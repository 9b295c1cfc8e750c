#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "GridModifyDialog.h"
#include "KivComboBox.h"
#include "KivGrid.h"
#include "KivTestSupport.h"
#include "Prompt.h"
#include "QtPrint.h"
#include "ValueEditEx.h"

namespace {

// A 12 x 12 map (0x0E, two bytes) with its rpm (0x0C) and MAP (0x0D) breakpoints, over the
// fake serial library, shown in a grid.
class KivGridTest : public LinkTest {
 protected:
  void SetUp() override {
    LinkTest::SetUp();
    saved_ = QLocale();
    QLocale::setDefault(QLocale::c());
    map.SetDataLength(2);
    map.SetRowDimension(12);
    map.SetColumnDimension(12);
    map.SetConnection(&conn);
    map.MeasureUnit = "us";
    rpm.SetDataLength(2);
    rpm.SetArrayDimension(12);
    rpm.SetConnection(&conn);
    pressure.SetArrayDimension(12);
    pressure.SetConnection(&conn);
    window.resize(760, 420);
    grid = new TKivGrid(&window);
    grid->setGeometry(10, 10, 720, 340);
    grid->SetMatrix(&map);
    grid->ColReferences()->SetData(&rpm);
    grid->RowReferences()->SetData(&pressure);
  }
  void TearDown() override {
    delete grid;
    QLocale::setDefault(saved_);
    LinkTest::TearDown();
  }
  void Show() {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    grid->setFocus();
  }
  QModelIndex Cell(int row, int col) const { return grid->model()->index(row, col); }
  QPoint CellCentre(int row, int col) const { return grid->visualRect(Cell(row, col)).center(); }
  // Runs action on the modal dialog that the next step opens.
  void OnModal(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, [action] {
      QWidget* modal = QApplication::activeModalWidget();
      ASSERT_NE(modal, nullptr);
      action(modal);
    });
  }

  TKivMatrix map{nullptr, 0x0E};
  TKivVector rpm{nullptr, 0x0C};
  TKivVector pressure{nullptr, 0x0D};
  QWidget window;
  TKivGrid* grid = nullptr;
  ScriptedPrompts prompts;
  ScopedPrompts usePrompts{&prompts};

 private:
  QLocale saved_;
};

}  // namespace

TEST_F(KivGridTest, ShowsTheMapWithItsBreakpointsAndUnit) {
  Show();
  EXPECT_EQ(grid->ColCount(), 13);
  EXPECT_EQ(grid->RowCount(), 13);
  EXPECT_EQ(grid->CellText(0, 0), "us");
  EXPECT_EQ(grid->CellText(0, 12), QString::number(ecu->Stored(0x20C, 11)));
  EXPECT_EQ(grid->CellText(3, 0), QString::number(ecu->Stored(0x0D, 2)));
  EXPECT_EQ(grid->CellText(3, 5), QString::number(ecu->Stored(0x20E, 2 * 12 + 4)));
  grid->SetDataFormat("0.0");
  EXPECT_EQ(grid->CellText(3, 5), QString::number(ecu->Stored(0x20E, 2 * 12 + 4)) + ".0");
  grid->RowReferences()->SetType(TGridRefType::rtStrings);
  grid->RowReferences()->SetDescriptions({"a", "b"});
  EXPECT_EQ(grid->CellText(2, 0), "b");
  EXPECT_EQ(grid->CellText(3, 0), "");

  // Both headers hidden: the grid is the matrix alone.
  grid->SetDataFormat("");
  grid->ColReferences()->SetVisible(false);
  grid->RowReferences()->SetVisible(false);
  EXPECT_EQ(grid->FixedCols(), 0);
  EXPECT_EQ(grid->FixedRows(), 0);
  EXPECT_EQ(grid->ColCount(), 12);
  EXPECT_EQ(grid->RowCount(), 12);
  EXPECT_EQ(grid->CellText(0, 0), QString::number(ecu->Stored(0x20E, 0)));
}

TEST_F(KivGridTest, ColumnsAndRowsFillTheControl) {
  Show();
  auto sum = [](QHeaderView* h, int n) {
    int s = 0, least = 1 << 30;
    for (int i = 0; i < n; ++i) s += h->sectionSize(i), least = std::min(least, h->sectionSize(i));
    return std::pair{s, least};
  };
  auto [w, narrowest] = sum(grid->horizontalHeader(), 13);
  EXPECT_EQ(w, grid->viewport()->width() - 1);
  EXPECT_GE(narrowest, 5);
  grid->resize(60, 340);  // far too narrow: no column below 5, the control grows to hold them
  std::tie(w, narrowest) = sum(grid->horizontalHeader(), 13);
  EXPECT_GE(narrowest, 5);
  EXPECT_GE(grid->viewport()->width(), w);
}

TEST_F(KivGridTest, MatrixDimensionsReachTheGridAndTheBreakpoints) {
  Show();
  map.SetColumnDimension(6);
  EXPECT_EQ(grid->ColCount(), 7);
  EXPECT_EQ(rpm.ArrayDimension(), 6);
  map.SetRowDimension(4);
  EXPECT_EQ(grid->RowCount(), 5);
  EXPECT_EQ(pressure.ArrayDimension(), 4);
}

TEST_F(KivGridTest, InPlaceEditWritesTheCellToTheEcu) {
  grid->SetEditing(true);
  Show();
  grid->setCurrentIndex(Cell(3, 5));
  QTest::keyClick(grid, Qt::Key_Return);
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->text(), QString::number(ecu->Stored(0x20E, 2 * 12 + 4)));
  editor->selectAll();
  QTest::keyClicks(editor, "1234");
  ecu->ClearCalls();
  QTest::keyClick(editor, Qt::Key_Return);
  QApplication::processEvents();  // the editor commits on the next turn of the event loop
  EXPECT_EQ(ecu->Stored(0x20E, 2 * 12 + 4), 1234);
  EXPECT_EQ(Exchanges(*ecu).at(0), "WriteCell(0xC30E, 2, 4, 1234) -> 1");
  EXPECT_EQ(grid->CellText(3, 5), "1234");

  // Text that is no number is ignored.
  grid->setCurrentIndex(Cell(3, 6));
  const int before = ecu->Stored(0x20E, 2 * 12 + 5);
  ecu->ClearCalls();
  grid->SetEditText(3, 6, "abc");
  EXPECT_EQ(ecu->Stored(0x20E, 2 * 12 + 5), before);
  EXPECT_TRUE(Exchanges(*ecu).empty());

  // A write the ECU refuses leaves the cell showing the value it has.
  ecu->SetWriteRefused(0x20E);
  grid->SetEditText(3, 5, "999");
  EXPECT_EQ(ecu->Stored(0x20E, 2 * 12 + 4), 1234);
  EXPECT_EQ(grid->CellText(3, 5), "1234");

  // A read-only map opens no editor.
  map.SetReadOnly(true);
  EXPECT_FALSE(grid->model()->flags(Cell(3, 5)) & Qt::ItemIsEditable);
}

TEST_F(KivGridTest, ModifyModesChangeTheSelectedCells) {
  Show();
  for (int c = 0; c < 3; ++c) map.SetData(50.0, 0, c);
  grid->selectionModel()->select(QItemSelection(Cell(1, 1), Cell(1, 2)), QItemSelectionModel::Select);
  grid->ModificaValoriMappa(10, mmPercent);
  EXPECT_EQ(ecu->Stored(0x20E, 0), 55);
  EXPECT_EQ(ecu->Stored(0x20E, 1), 55);
  EXPECT_EQ(ecu->Stored(0x20E, 2), 50);  // not selected
  grid->ModificaValoriMappa(-5, mmRelative);
  EXPECT_EQ(ecu->Stored(0x20E, 0), 50);
  grid->ModificaValoriMappa(700, mmAbsolute);
  EXPECT_EQ(ecu->Stored(0x20E, 1), 700);

  // Cells that cannot be read are left alone in the relative modes.
  ecu->SetAbsent(0x20E);
  map.SetDataValid(false);
  ecu->ClearCalls();
  grid->ModificaValoriMappa(10, mmPercent);
  for (const std::string& call : Exchanges(*ecu)) EXPECT_FALSE(call.starts_with("Write")) << call;
}

TEST_F(KivGridTest, EnterOpensTheModifyDialogOverTheSelection) {
  Show();
  map.SetData(300.0, 4, 4);
  grid->setCurrentIndex(Cell(5, 5));
  OnModal([](QWidget* modal) {
    auto* dialog = qobject_cast<TGridModifyDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Modifica valori mappa");
    EXPECT_EQ(dialog->ModeItem(2)->text(), "&Percentuale");
    EXPECT_EQ(dialog->ValueField()->text(), "300");
    EXPECT_EQ(dialog->Mode(), 0);
    EXPECT_EQ(dialog->focusWidget(), dialog->ValueField());
    EXPECT_EQ(dialog->ValueField()->selectedText(), "300");
    QTest::keyClicks(dialog->ValueField(), "320");
    dialog->ButtonOk()->click();
  });
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_EQ(ecu->Stored(0x20E, 4 * 12 + 4), 320);

  // Several cells: relative, from 0.
  grid->selectionModel()->select(QItemSelection(Cell(5, 5), Cell(5, 6)), QItemSelectionModel::Select);
  const int next = ecu->Stored(0x20E, 4 * 12 + 5);
  OnModal([](QWidget* modal) {
    auto* dialog = static_cast<TGridModifyDialog*>(modal);
    EXPECT_EQ(dialog->Mode(), 1);
    EXPECT_EQ(dialog->ValueField()->text(), "0");
    QTest::keyClicks(dialog->ValueField(), "10");
    dialog->ButtonOk()->click();
  });
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_EQ(ecu->Stored(0x20E, 4 * 12 + 4), 330);
  EXPECT_EQ(ecu->Stored(0x20E, 4 * 12 + 5), next + 10);

  // Cancel writes nothing.
  OnModal([](QWidget* modal) { static_cast<TGridModifyDialog*>(modal)->ButtonCancel()->click(); });
  ecu->ClearCalls();
  QTest::keyClick(grid, Qt::Key_Return);
  for (const std::string& call : Exchanges(*ecu)) EXPECT_FALSE(call.starts_with("Write")) << call;
}

TEST_F(KivGridTest, BreakpointDialogChecksTheOrderAndWritesTheVector) {
  Show();
  grid->ColReferences()->SetSortType(TRefSortType::stAscent);
  const int third = ecu->Stored(0x20C, 2);
  OnModal([&](QWidget* modal) {
    auto* form = qobject_cast<TFormRiferimenti*>(modal);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle(), "Modifica riferimenti");
    ASSERT_EQ(form->Fields().size(), 12u);
    EXPECT_EQ(form->Fields()[0]->objectName(), "Edit0");
    EXPECT_EQ(form->Fields()[0]->NextControl(), form->Fields()[1]);
    EXPECT_EQ(form->Fields()[0]->PrevControl(), nullptr);
    // Equal neighbours: the error, and the dialog stays open on the first of the pair.
    form->Fields()[1]->SetDouble(third);
    form->ButtonOk()->click();
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(prompts.Shown().size(), 1u);
    EXPECT_EQ(prompts.Shown()[0].text, "I riferimenti devono essere oridinati!");
    EXPECT_EQ(prompts.Shown()[0].caption, "Modifica riferimenti");
    EXPECT_EQ(prompts.Shown()[0].icon, PromptIcon::Stop);
    EXPECT_EQ(form->focusWidget(), form->Fields()[1]);
    form->Fields()[1]->SetDouble(third - 1);
    form->ButtonOk()->click();
  });
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(0, 4));
  EXPECT_EQ(ecu->Stored(0x20C, 1), third - 1);
  EXPECT_EQ(grid->CellText(0, 2), QString::number(third - 1));
}

TEST_F(KivGridTest, WorkingPointMarksTheActiveCell) {
  Show();
  grid->WorkingPoint()->SetVisible(true);
  grid->WorkingPoint()->SetShowActiveRef(true);
  const std::vector<double> bp = grid->ColReferences()->Values();
  const double mid = (bp[3] + bp[4]) * 0.5;
  grid->SetCursorPosition(1, mid);
  grid->SetCursorPosition(2, pressure.RawValues()[0]);
  EXPECT_EQ(grid->ActiveCol(), 4);
  EXPECT_EQ(grid->ActiveRow(), 0);
  const QRect r = grid->visualRect(Cell(1, 5));
  EXPECT_EQ(grid->MarkerPoint().x(), r.left());                  // the mid-point: the cell's left edge
  EXPECT_EQ(grid->MarkerPoint().y(), r.top() + r.height() / 2);  // on the breakpoint: the middle
  grid->SetCursorPosition(1, bp[11] * 1.2 + 1);
  EXPECT_EQ(grid->ActiveCol(), 11);
  const QRect last = grid->visualRect(Cell(1, 12));
  EXPECT_EQ(grid->MarkerPoint().x(), last.left() + last.width());
}

TEST_F(KivGridTest, WorkingPointFollowsItsLiveValues) {
  TKivPacketData speed(nullptr), load(nullptr);
  speed.SetDataLength(2);
  grid->WorkingPoint()->SetHorizontalPosition(&speed);
  grid->WorkingPoint()->SetVerticalPosition(&load);
  grid->WorkingPoint()->SetVisible(true);
  Show();
  const std::vector<double> bp = grid->ColReferences()->Values();
  speed.InitData(bp[7]);  // not enabled yet: the marker stays
  EXPECT_EQ(grid->ActiveCol(), 0);
  grid->WorkingPoint()->SetEnabled(true);
  speed.InitData(bp[7]);
  EXPECT_EQ(grid->ActiveCol(), 7);
  load.InitData(pressure.RawValues()[9]);
  EXPECT_EQ(grid->ActiveRow(), 9);
  const QRect r = grid->visualRect(Cell(10, 8));
  EXPECT_EQ(grid->MarkerPoint(), QPoint(r.left() + r.width() / 2, r.top() + r.height() / 2));
}

// An ECU that no longer answers: the grid shows what its data objects hold, the marker
// stays on the held breakpoints and the modify and breakpoint dialogs start from held values.
TEST_F(KivGridTest, HeldValuesShowWhenTheEcuCannotBeRead) {
  Show();
  grid->WorkingPoint()->SetVisible(true);
  const std::vector<double> bp = grid->ColReferences()->Values();
  const QString cell = grid->CellText(3, 5);
  const QString rpmHeader = grid->CellText(0, 12);
  const QString mapHeader = grid->CellText(3, 0);
  ASSERT_NE(cell, "0");
  for (const int code : {0x20E, 0x20C, 0x0D}) ecu->SetAbsent(code);
  for (TKivSerialData* data : std::initializer_list<TKivSerialData*>{&map, &rpm, &pressure})
    data->SetDataValid(false);
  EXPECT_EQ(grid->CellText(3, 5), cell);
  EXPECT_EQ(grid->CellText(0, 12), rpmHeader);
  EXPECT_EQ(grid->CellText(3, 0), mapHeader);
  EXPECT_EQ(grid->ColReferences()->Values(), bp);
  grid->SetCursorPosition(1, (bp[6] + bp[7]) * 0.5 + 1);
  EXPECT_EQ(grid->ActiveCol(), 7);

  grid->setCurrentIndex(Cell(3, 5));
  OnModal([&](QWidget* modal) {
    auto* dialog = static_cast<TGridModifyDialog*>(modal);
    EXPECT_EQ(dialog->ValueField()->text(), cell);
    dialog->ButtonCancel()->click();
  });
  QTest::keyClick(grid, Qt::Key_Return);
  OnModal([&](QWidget* modal) {
    auto* form = qobject_cast<TFormRiferimenti*>(modal);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Fields()[11]->text(), rpmHeader);
    form->ButtonCancel()->click();
  });
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, CellCentre(0, 4));
}

TEST_F(KivGridTest, ArrowsLeaveAtTheEdgeRows) {
  auto* above = new QLineEdit(&window);
  auto* below = new QLineEdit(&window);
  above->move(10, 360);
  below->move(200, 360);
  grid->SetPrevControl(above);
  grid->SetNextControl(below);
  Show();
  grid->setCurrentIndex(Cell(1, 3));
  QTest::keyClick(grid, Qt::Key_Up);
  EXPECT_TRUE(above->hasFocus());
  grid->setFocus();
  grid->setCurrentIndex(Cell(5, 3));
  QTest::keyClick(grid, Qt::Key_Up);
  EXPECT_TRUE(grid->hasFocus());
  EXPECT_EQ(grid->currentIndex().row(), 4);
  grid->setCurrentIndex(Cell(12, 3));
  QTest::keyClick(grid, Qt::Key_Down);
  EXPECT_TRUE(below->hasFocus());
}

// A small form of the data-bound set: the map grid with its marker, a value field and an option
// list with their captions.
TEST_F(KivGridTest, DemoFormScreenshot) {
  grid->setGeometry(90, 10, 640, 330);
  grid->SetDataFormat("0");
  grid->WorkingPoint()->SetVisible(true);
  grid->WorkingPoint()->SetShowActiveRef(true);
  grid->WorkingPoint()->SetDimension(6);
  TKivNumber idle(nullptr, 0x21);
  idle.SetConnection(&conn);
  auto* edit = new TValueEditEx(&window);
  edit->move(90, 370);
  edit->SetNumber(&idle);
  edit->EditLabel()->setText("Valore 0x21");
  edit->EditLabel()->AdjustBounds();
  auto* combo = new TKivComboBox(&window);
  combo->addItems({"Spento", "Acceso", "Automatico"});
  combo->move(400, 370);
  combo->ComboLabel()->setText("Modalità");
  combo->ComboLabel()->AdjustBounds();
  TKivNumber mode(nullptr, 0x21);
  mode.SetConnection(&conn);
  ecu->WriteVariable(0x21, 1);
  combo->SetNumber(&mode);
  Show();
  edit->InitData();
  combo->InitData();
  const std::vector<double> bp = grid->ColReferences()->Values();
  grid->SetCursorPosition(1, (bp[5] + bp[6]) * 0.5 + 40);
  grid->SetCursorPosition(2, pressure.RawValues()[3]);
  grid->selectionModel()->select(QItemSelection(Cell(2, 2), Cell(3, 4)), QItemSelectionModel::Select);
  EXPECT_EQ(grid->ActiveCol(), 6);
  EXPECT_EQ(grid->ActiveRow(), 3);
  EXPECT_EQ(edit->text(), "1");
  EXPECT_EQ(combo->currentText(), "Acceso");
  const QString dir = QDir::current().filePath("test-results/screenshots");
  QDir().mkpath(dir);
  QApplication::processEvents();
  EXPECT_TRUE(window.grab().save(dir + "/components-kiv-grid-demo.png", "PNG"));
}

TEST_F(KivGridTest, ResizerDragKeepsTheColumnProportions) {
  map.SetColumnDimension(3);
  map.SetRowDimension(2);
  Show();
  QHeaderView* h = grid->horizontalHeader();
  h->resizeSection(1, 300);  // the control follows its columns
  const int fitted = grid->viewport()->width();
  int sum = 0;
  for (int i = 0; i < 4; ++i) sum += h->sectionSize(i);
  EXPECT_EQ(fitted, sum);
  const double share1 = double(h->sectionSize(1)) / fitted;

  grid->Resizer()->SetLockControl(false);
  QWidget* vp = grid->viewport();
  const QPoint corner(vp->width() - 3, vp->height() - 3);
  const QPoint inParent = vp->mapTo(&window, corner);
  // Hover over the bottom-right corner, then drag it 200 pixels to the left.
  QMouseEvent hover(QEvent::MouseMove, corner, vp->mapToGlobal(corner), Qt::NoButton, Qt::NoButton,
                    Qt::NoModifier);
  QApplication::sendEvent(vp, &hover);
  EXPECT_EQ(grid->Resizer()->Zone(), 7);
  QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, corner);
  QTest::mouseMove(vp, vp->mapFrom(&window, inParent - QPoint(200, 0)));
  QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, vp->mapFrom(&window, inParent - QPoint(200, 0)));
  EXPECT_EQ(grid->viewport()->width(), fitted - 200);
  EXPECT_NEAR(double(h->sectionSize(1)) / grid->viewport()->width(), share1, 0.01);
  for (int i = 0; i < 4; ++i) EXPECT_GE(h->sectionSize(i), 5);
}
