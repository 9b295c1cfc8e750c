// The acquired-points window: the grid built from the store, editing a cell (the point is
// re-filed, a bad integer is refused), deleting, adding and sorting, and a picture of it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "AcquisitionStore.h"
#include "Datimappati.h"
#include "LayoutCheck.h"
#include "Ordina.h"
#include "SimEcuFixture.h"

namespace {

class DatimappatiTest : public SimEcuFixture {
 protected:
  void SetUp() override {
    ASSERT_EQ(data_.ReadAll(), 1);
    dati_.Ordina(SortByRpm);
  }
  QString Cell(TFormDatiMappati& f, int row, int col) const {
    const QTableWidgetItem* item = f.GridValori->item(row, col);
    return item ? item->text() : QString();
  }
  QString Header(TFormDatiMappati& f, int col) const {
    const QTableWidgetItem* item = f.GridValori->horizontalHeaderItem(col);
    return item ? item->text() : QString();
  }
  // Types text into a cell through its editor and ends the edit with `key`.
  void TypeInto(TFormDatiMappati& f, int row, int col, const QString& text, Qt::Key key) {
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the last editor
    f.GridValori->setCurrentCell(row, col);
    f.GridValori->editItem(f.GridValori->item(row, col));
    auto* editor = f.GridValori->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, key);
    QApplication::processEvents();
  }
  int Middle(int i) const { return data_.GetRifGiri(i); }

  TDatiMappati dati_;
};

}  // namespace

TEST_F(DatimappatiTest, AnEmptyStoreShowsOneEmptyDisabledColumn) {
  TFormDatiMappati f(nullptr, &dati_);
  EXPECT_EQ(f.windowTitle(), "Dati acquisiti");
  EXPECT_EQ(f.GridValori->columnCount(), 1);
  EXPECT_EQ(f.GridValori->rowCount(), 4);
  EXPECT_FALSE(f.GridValori->isEnabled());
  EXPECT_FALSE(f.ButtonElimina->isEnabled());
  EXPECT_EQ(f.LabelCounter->text(), "0");
  for (int r = 0; r < 4; ++r) EXPECT_TRUE(Cell(f, r, 0).isEmpty());
  EXPECT_TRUE(Header(f, 0).isEmpty());
  EXPECT_EQ(f.GridValori->verticalHeaderItem(1)->text(), "MAP (mv)");

  // Add: a point at (0, 0) with the next order number; the grid comes alive.
  f.ButtonAggiungi->click();
  EXPECT_EQ(dati_.Count(), 1);
  EXPECT_TRUE(f.GridValori->isEnabled());
  EXPECT_TRUE(f.ButtonElimina->isEnabled());
  EXPECT_EQ(f.LabelCounter->text(), "1");
  EXPECT_EQ(Header(f, 0), "1");
  EXPECT_EQ(Cell(f, 0, 0), "0");
  EXPECT_EQ(Cell(f, 3, 0), "1");
  EXPECT_TRUE(dati_.IsCellaOccupata(0, 0));
}

TEST_F(DatimappatiTest, ColumnsShowThePointsAndEditsRefileThem) {
  dati_.Add(Middle(2), data_.GetRifMAP(3), 2500, 0);
  dati_.Add(Middle(5), data_.GetRifMAP(6), 3100, 0);
  TFormDatiMappati f(nullptr, &dati_);
  f.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
  ASSERT_EQ(f.GridValori->columnCount(), 2);
  EXPECT_EQ(Header(f, 1), "2");
  EXPECT_EQ(Cell(f, 0, 0), QString::number(Middle(2)));
  EXPECT_EQ(Cell(f, 1, 0), QString::number(dati_.Samples()[0].map));
  EXPECT_EQ(Cell(f, 2, 1), "3100");
  EXPECT_EQ(Cell(f, 3, 1), "2");

  // The first point's rpm typed into the cell of breakpoint 8: it moves there, the old cell
  // mark goes, and being the highest rpm now it becomes the last column, which is selected.
  ASSERT_TRUE(dati_.IsCellaOccupata(3, 2));
  TypeInto(f, 0, 0, QString::number(Middle(8)), Qt::Key_Return);
  EXPECT_FALSE(dati_.IsCellaOccupata(3, 2));
  EXPECT_TRUE(dati_.IsCellaOccupata(3, 8));
  EXPECT_EQ(Cell(f, 0, 1), QString::number(Middle(8)));
  EXPECT_EQ(Cell(f, 2, 1), "2500");
  EXPECT_EQ(f.GridValori->currentColumn(), 1);
  EXPECT_TRUE(prompts_.Shown().empty());

  // "12a" is not an integer: the conversion error, and the cell shows its old value.
  TypeInto(f, 2, 0, "12a", Qt::Key_Return);
  ASSERT_EQ(prompts_.Shown().size(), 1u);
  EXPECT_EQ(prompts_.Shown()[0].text, "'12a' is not a valid integer value");
  EXPECT_EQ(prompts_.Shown()[0].icon, PromptIcon::Stop);
  EXPECT_EQ(Cell(f, 2, 0), "3100");
  EXPECT_EQ(dati_.Samples()[0].value, 3100);

  // An edit left with Esc, or by a click elsewhere, stores nothing and shows the old text.
  TypeInto(f, 2, 0, "999", Qt::Key_Escape);
  EXPECT_EQ(Cell(f, 2, 0), "3100");
  EXPECT_EQ(dati_.Samples()[0].value, 3100);
  TypeInto(f, 2, 0, "999", Qt::Key_Tab);
  EXPECT_EQ(Cell(f, 2, 0), "3100");
  EXPECT_EQ(dati_.Samples()[0].value, 3100);
}

TEST_F(DatimappatiTest, DeleteAsksFirstAndSortUsesTheChosenKey) {
  dati_.Add(Middle(5), 1.0, 3000, 3);
  dati_.Add(Middle(1), 2.0, 1000, 1);
  dati_.Add(Middle(9), 3.0, 2000, 2);
  TFormDatiMappati f(nullptr, &dati_);
  EXPECT_EQ(Cell(f, 0, 0), QString::number(Middle(1)));  // sorted by rpm

  // Sort by "Ordine": the chooser offers the grid's row titles and starts on the store's key.
  bool offered = false;
  QTimer::singleShot(0, [&] {
    auto* chooser = qobject_cast<TFormOrdina*>(QApplication::activeModalWidget());
    ASSERT_NE(chooser, nullptr);
    offered = chooser->ModeItems[0]->isChecked() && chooser->ModeItems[3]->text() == "Ordine" &&
              chooser->windowTitle() == "Ordina dati acquisiti";
    chooser->ModeItems[3]->setChecked(true);
    chooser->ButtonOk->click();
  });
  f.ButtonOrdina->click();
  EXPECT_TRUE(offered);
  EXPECT_EQ(TDatiMappati::GetOrdinamento(), SortByOrder);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(Cell(f, 3, c), QString::number(c + 1));
  // Cancel keeps the order.
  QTimer::singleShot(0, [&] {
    auto* chooser = qobject_cast<TFormOrdina*>(QApplication::activeModalWidget());
    ASSERT_NE(chooser, nullptr);
    chooser->ModeItems[2]->setChecked(true);
    chooser->ButtonAnnulla->click();
  });
  f.ButtonOrdina->click();
  EXPECT_EQ(TDatiMappati::GetOrdinamento(), SortByOrder);

  // Delete the selected column: No keeps it, Yes deletes it.
  f.GridValori->setCurrentCell(0, 1);
  prompts_.Answer(PromptNo);
  f.ButtonElimina->click();
  EXPECT_EQ(dati_.Count(), 3);
  ASSERT_EQ(prompts_.Shown().size(), 1u);
  EXPECT_EQ(prompts_.Shown()[0].text, "Eliminare il valore selezionato?");
  EXPECT_EQ(prompts_.Shown()[0].icon, PromptIcon::Warning);
  EXPECT_EQ(prompts_.Shown()[0].defaultButton, PromptNo);
  prompts_.Answer(PromptYes);
  f.ButtonElimina->click();
  ASSERT_EQ(dati_.Count(), 2);
  EXPECT_EQ(f.LabelCounter->text(), "2");
  EXPECT_EQ(Cell(f, 3, 0), "1");
  EXPECT_EQ(Cell(f, 3, 1), "3");
  dati_.Ordina(SortByRpm);
}

TEST_F(DatimappatiTest, DeleteWithoutAChosenCellTakesTheFirstPoint) {
  // The grid opens on the first point: deleting right away must not answer Yes and do nothing.
  dati_.Add(Middle(2), data_.GetRifMAP(3), 2000, 0);
  dati_.Add(Middle(6), data_.GetRifMAP(5), 3000, 0);
  TFormDatiMappati f(nullptr, &dati_);
  prompts_.Answer(PromptYes);
  f.ButtonElimina->click();
  ASSERT_EQ(prompts_.Shown().size(), 1u);
  ASSERT_EQ(dati_.Count(), 1);
  EXPECT_EQ(dati_.Sample(0)->value, 3000);
  // The last point goes the same way: the grid keeps a chosen point after every refresh.
  prompts_.Answer(PromptYes);
  f.ButtonElimina->click();
  EXPECT_EQ(dati_.Count(), 0);
}

TEST_F(DatimappatiTest, Picture) {
  for (int i = 0; i < 6; ++i) dati_.Add(Middle(i * 2), data_.GetRifMAP(i + 3), 2000 + 250 * i, 0);
  TFormDatiMappati f(nullptr, &dati_);
  f.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
  f.GridValori->setCurrentCell(1, 2);
  const QString dir = QDir::current().filePath("test-results/screenshots");
  QDir().mkpath(dir);
  QApplication::processEvents();
  EXPECT_TRUE(f.grab().save(dir + "/acquired-points.png", "PNG"));
  EXPECT_TRUE(ControlsKeepLayout(&f));
}
