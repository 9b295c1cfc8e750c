// Where the keys go once a window brought up around a blocking pass has gone (the splash, a wait
// window, a notice) and once a dialog has closed: back to the window that had them, for the
// application and for the window system alike. Keys are sent as the window system sends them,
// to the window that has its keyboard focus. On a real X server with a window manager this is the
// window manager's and the program's business together; offscreen the program's alone.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QWindow>
#include <array>
#include <functional>
#include <memory>

#include "AcquisitionStore.h"
#include "Config.h"
#include "File.h"
#include "MainFixture.h"
#include "MapGridMap.h"
#include "MapGridPage.h"
#include "RoadMapping.h"
#include "SimEcuFixture.h"

namespace {

constexpr int kSettleMs = 3000;

std::string Name(const QObject* o) { return o ? o->objectName().toStdString() : "none"; }

// Waits until `window` is the application's active window and has the window system's keyboard
// focus; says which window holds them otherwise.
::testing::AssertionResult TakesTheKeys(QWidget* window) {
  const auto holds = [window] {
    return QApplication::activeWindow() == window && window->windowHandle() &&
           QGuiApplication::focusWindow() == window->windowHandle();
  };
  if (QTest::qWaitFor(holds, kSettleMs)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "active window: " << Name(QApplication::activeWindow())
         << ", keyboard focus of the window system: " << Name(QGuiApplication::focusWindow());
}

// On a real display (the X server), not offscreen.
bool OnWindowSystem() { return QGuiApplication::platformName() == QStringLiteral("xcb"); }

// A key as the window system delivers it: to the window with the keyboard focus, if any.
bool PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWindow* focus = QGuiApplication::focusWindow();
  if (!focus) return false;
  QTest::keyClick(focus, key, modifiers);
  return true;
}

class MainActivation : public MainFixture {
 protected:
  // Down on the main window's entries moves the selection and Alt+F opens the File menu: the
  // keyboard works there.
  void ExpectKeysWork() {
    TFormMain& w = Main();
    w.LabelRiprogrammaMouseMove(w.LabelConfig);
    ASSERT_TRUE(PressKey(Qt::Key_Down));
    EXPECT_EQ(w.FrecciaTag, 1);
    ASSERT_TRUE(PressKey(Qt::Key_F, Qt::AltModifier));
    EXPECT_TRUE(QTest::qWaitFor([&w] { return QApplication::activePopupWidget() == w.MenuFile; }, kSettleMs));
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    // Back from the menu. Offscreen a menu takes the window system's focus as any window does
    // and leaves it nowhere: only a window system has it back where it was.
    if (OnWindowSystem()) {
      EXPECT_TRUE(TakesTheKeys(&w));
    }
  }
};

// The splash, the connect's wait window, a load closed by a click on OK of the configuration-file
// dialog: afterwards the main window has the keys, and its focused control with them.
TEST_F(MainActivation, TheMainWindowHasTheKeysAfterEveryPass) {
  const QString file = dir.filePath("Configurazioni/Uno.") + QString::fromLatin1(GetBrandConfigExt());
  struct Step {
    const char* name;
    std::function<void()> run;
  } const steps[] = {
      {"the splash closes at the first idle moment", [] { FirstIdle(); }},
      {"connect with its wait window",
       [this] {
         Main().ActionDisconnettiExecute();
         Pump();
         Connect();
         EXPECT_TRUE(LinkOpen());
       }},
      {"load closed by a mouse click on OK",
       [this, file] {
         QDir().mkpath(QFileInfo(file).path());
         ASSERT_EQ(data.SaveConfiguration(QFile::encodeName(file).constData(), false), 1);
         data.Changed = false;
         ecu.ClearCalls();
         bool clicked = false;
         OnNextModal([&clicked](QDialog* d) {
           auto* form = qobject_cast<TFormFile*>(d);
           if (!form) return d->reject();
           // Offscreen every window that shows takes the activation, the notice of the dialog's
           // file scan too, which is shown without it: only a window system leaves it here.
           if (OnWindowSystem()) {
             EXPECT_TRUE(TakesTheKeys(form));
           }
           // The dialog lists the files once it is active.
           if (!QTest::qWaitFor([form] { return form->ListFile->currentItem() != nullptr; }, kSettleMs)) {
             ADD_FAILURE() << "the dialog listed no file";
             return form->reject();
           }
           EXPECT_EQ(form->ListFile->currentItem()->text(0), QStringLiteral("Uno"));
           clicked = true;
           QTest::mouseClick(form->ButtonOk, Qt::LeftButton);
         });
         Main().ActionApriConfExecute();
         EXPECT_TRUE(clicked);
         EXPECT_GT(ecu.Calls().size(), 0u);  // the configuration went to the ECU
         EXPECT_TRUE(prompts.Shown().empty());
       }},
  };
  TFormMain& w = Shown();
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    step.run();
    EXPECT_TRUE(TakesTheKeys(&w));
    ExpectKeysWork();
  }
}

// The editor on the simulated ECU with points to fit (the live tick stopped).
class EditorActivation : public SimEcuFixture {
 protected:
  void SetUp() override {
    ASSERT_EQ(data_.ReadAll(), 1);
    previousDati_ = DatiMappati;
    DatiMappati = &dati_;
    const int rpm[] = {900, 1800, 3000, 4200, 2500};
    const double map[] = {0.4, 1.5, 2.6, 3.8, 3.0};
    for (int i = 0; i < 5; ++i) dati_.Add(rpm[i], map[i], 2000 + 700 * i, 0);
    form_ = std::make_unique<TFormConfig>(nullptr);
    form_->resize(1024, 768);
    form_->show();
    form_->activateWindow();
    ASSERT_TRUE(TakesTheKeys(form_.get()));
    form_->StopLiveTimer();
    form_->SetActivePage(TabMappa);
    grid_ = static_cast<TPageMappa*>(form_->Page(TabMappa))->DrawGridMap;
    grid_->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), grid_);
  }
  void TearDown() override {
    form_.reset();
    DatiMappati = previousDati_;
  }
  std::array<int32_t, 144> EcuMap() const {
    std::array<int32_t, 144> m{};
    for (int i = 0; i < 144; ++i) m[i] = ecu_.Stored(0x20E, i);
    return m;
  }
  std::array<int32_t, 144> DataMap() const {
    std::array<int32_t, 144> m{};
    for (int i = 0; i < 144; ++i) m[i] = data_.Mappa[i / 12][i % 12];
    return m;
  }

  TDatiMappati dati_;
  TDatiMappati* previousDati_ = nullptr;
  std::unique_ptr<TFormConfig> form_;
  QWidget* grid_ = nullptr;
};

// Ctrl+I (its question and its notice), then Ctrl+D (its wait window) and Ctrl+Z (question and
// wait window) on the map grid: each does its work and leaves the keys with the grid.
TEST_F(EditorActivation, MapGridKeepsTheKeysThroughInterpolationWriteAndUndo) {
  const auto before = DataMap();
  struct Step {
    const char* name;
    Qt::Key key;
    std::function<void()> check;
  } const steps[] = {
      {"Ctrl+I interpolates", Qt::Key_I,
       [&] {
         EXPECT_NE(DataMap(), before);
         EXPECT_EQ(EcuMap(), DataMap());
       }},
      {"Ctrl+D writes the maps", Qt::Key_D,
       [&] {
         EXPECT_EQ(CountCalls(SimOp::WriteRow, 0xC30E), 12);
         EXPECT_EQ(EcuMap(), DataMap());
       }},
      {"Ctrl+Z undoes the interpolation", Qt::Key_Z,
       [&] {
         EXPECT_EQ(DataMap(), before);
         EXPECT_EQ(EcuMap(), before);
       }},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    ecu_.ClearCalls();
    prompts_.Answer(PromptYes);
    ASSERT_TRUE(PressKey(step.key, Qt::ControlModifier)) << "no window has the keyboard";
    step.check();
    EXPECT_TRUE(TakesTheKeys(form_.get()));
    EXPECT_EQ(QApplication::focusWidget(), grid_);
  }
}

}  // namespace
