#pragma once
// The main window over the simulated ECU: the process-wide link, data set, settings and
// programming-file chooser point at the fixture's for the test's lifetime; the clock is fake,
// message boxes and file dialogs are scripted, messages of the link reach the window through the
// program's own sink, and the data folder is a temporary folder.
#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AppSettings.h"
#include "BrandProfile.h"
#include "Clock.h"
#include "ConfigActions.h"
#include "EcuData.h"
#include "FileDialog.h"
#include "FormScarica.h"
#include "Main.h"
#include "MessageSink.h"
#include "PrivateMessage.h"
#include "Prompt.h"
#include "QtPrint.h"
#include "SerialLink.h"
#include "SimLink.h"
#include "StatusBarPanels.h"

// Runs fn on the next modal dialog once its loop runs.
inline void OnNextModal(std::function<void(QDialog*)> fn) {
  auto* timer = new QTimer;
  timer->setInterval(0);
  QObject::connect(timer, &QTimer::timeout, [timer, fn] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    timer->stop();
    timer->deleteLater();
    fn(dialog);
  });
  timer->start();
}

// Records which windows the WM_PROGRESS messages reached.
class ProgressWatcher final : public QObject {
 public:
  ProgressWatcher() { qApp->installEventFilter(this); }
  ~ProgressWatcher() override { qApp->removeEventFilter(this); }
  std::vector<std::string> receivers;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (AsPrivateMessage(e, WM_PROGRESS)) receivers.push_back(o->metaObject()->className());
    return false;
  }
};

// Message boxes answered by `inner`, each noted with the cursor the program had set when it came
// up (Qt::ArrowCursor: none).
class CursorWatchingPrompts final : public IPromptService {
 public:
  int Show(const PromptRequest& r) override {
    const QCursor* c = QApplication::overrideCursor();
    shapes.push_back(c ? c->shape() : Qt::ArrowCursor);
    return inner.Show(r);
  }
  ScriptedPrompts inner;
  std::vector<Qt::CursorShape> shapes;
};

class MainFixture : public ::testing::Test {
 protected:
  MainFixture() {
    SelectBrand(kThisBuildBrandBit);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath("settings"));
    previousLink_ = SerialLink;
    previousData_ = EcuData;
    previousSettings_ = AppSettings;
    previousScarica_ = FormScarica;
    settings = std::make_unique<TAppSettings>(nullptr);  // in the test's settings store
    SetMessageSink(&sink);
    link.SetScreen(&sink);
    SerialLink = &link;
    EcuData = &data;
    AppSettings = settings.get();
    FormScarica = scarica.get();
    SetFuelDialog(nullptr);
    ecu.SetReadyDelay(1000);
  }
  ~MainFixture() override {
    form.reset();
    settings.reset();
    QCoreApplication::processEvents();
    SetMessageSink(nullptr);
    SerialLink = previousLink_;
    EcuData = previousData_;
    AppSettings = previousSettings_;
    FormScarica = previousScarica_;
  }

  // The window, made on first use (not shown).
  TFormMain& Main() {
    if (!form) form = std::make_unique<TFormMain>(nullptr, dir.path());
    return *form;
  }
  // Shows the window: the first show with its silent connect.
  TFormMain& Shown() {
    Main().show();
    Pump();
    return *form;
  }
  // Connects as the Connect action does, with messages and nothing unsaved, and lets the link's
  // messages arrive.
  void Connect() {
    data.Changed = false;
    Main().ActionConnettiExecute();
    Pump();
  }
  // Opens the link again, past the ECU's ready delay, when it is closed.
  void ReopenLink() {
    if (LinkOpen()) return;
    link.OpenLink();
    link.Connect();
    clock.Advance(5000);
    Pump();
  }
  static void Pump() { QCoreApplication::processEvents(); }
  // The message loop's first idle moment after the first show: the splash goes.
  static void FirstIdle() { emit QAbstractEventDispatcher::instance()->aboutToBlock(); }
  QString Panel(int i) { return Main().StatusBarMain->Text(i); }
  bool LinkOpen() { return link.IsLinkOpen() != 0; }
  // A message box with the stop icon was shown.
  bool Told() const {
    for (const PromptRequest& r : prompts.Shown())
      if (r.icon == PromptIcon::Stop) return true;
    return false;
  }
  // The texts of the message boxes shown so far.
  std::vector<QString> Asked() const {
    std::vector<QString> texts;
    for (const PromptRequest& r : prompts.Shown()) texts.push_back(r.text);
    return texts;
  }
  QString Text(int k) { return Main().Text(k); }
  QString Joined(int a, int b) { return Text(a) + QLatin1Char('\n') + Text(b); }

  QTemporaryDir dir;
  FakeClock clock;
  ScopedClock useClock{&clock};
  ScriptedPrompts prompts;
  ScopedPrompts usePrompts{&prompts};
  ScriptedFileDialogs fileDialogs;
  ScopedFileDialogs useFileDialogs{&fileDialogs};
  QtMessageSink sink;
  SimulatedEcu ecu;
  SimLink link{ecu};
  TEcuData data{"default"};
  std::unique_ptr<TAppSettings> settings;
  std::unique_ptr<TFormScarica> scarica = std::make_unique<TFormScarica>(nullptr);
  std::unique_ptr<TFormMain> form;

 private:
  TSerialLink* previousLink_ = nullptr;
  TEcuData* previousData_ = nullptr;
  TAppSettings* previousSettings_ = nullptr;
  TFormScarica* previousScarica_ = nullptr;
};
