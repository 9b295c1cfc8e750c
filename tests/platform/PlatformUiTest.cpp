#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWidget>

#include "Clock.h"
#include "PrivateMessage.h"
#include "Prompt.h"
#include "WinColor.h"

namespace {

class Receiver : public QWidget {
 public:
  QList<QPair<intptr_t, intptr_t>> got;

 protected:
  void customEvent(QEvent* e) override {
    if (const auto* m = AsPrivateMessage(e, WM_ECUCHANGED)) got.append({m->WParam(), m->LParam()});
  }
};

}  // namespace

TEST(PrivateMessage, PostAndSendReachTopLevelForms) {
  Receiver a, b;
  QtMessageSink sink;
  sink.SendToForms(WM_ECUCHANGED, 0, EcuLinkOpened);
  EXPECT_EQ(a.got.size(), 1);
  EXPECT_EQ(b.got.size(), 1);
  sink.PostToForms(WM_ECUCHANGED, 1, EcuFuelChanged);
  EXPECT_EQ(a.got.size(), 1);  // queued, not yet delivered
  QCoreApplication::sendPostedEvents();
  ASSERT_EQ(a.got.size(), 2);
  EXPECT_EQ(a.got[1].first, 1);
  EXPECT_EQ(a.got[1].second, EcuFuelChanged);
}

TEST(Prompt, ScriptedAnswersAndRecord) {
  ScriptedPrompts script;
  ScopedPrompts use(&script);
  script.Answer(PromptNo);
  EXPECT_EQ(ShowPrompt(nullptr, "Cap", "Salvare?", PromptIcon::Warning, PromptYesNoCancel), PromptNo);
  // Queue empty: the default button, else the first.
  EXPECT_EQ(ShowPrompt(nullptr, "Cap", "x", PromptIcon::Stop, PromptYesNo, PromptNo), PromptNo);
  EXPECT_EQ(ShowPrompt(nullptr, "Cap", "x", PromptIcon::Stop, PromptOk), PromptOk);
  ASSERT_EQ(script.Shown().size(), 3u);
  EXPECT_EQ(script.Shown()[0].text, "Salvare?");
  EXPECT_EQ(script.Shown()[0].icon, PromptIcon::Warning);
  EXPECT_EQ(script.Shown()[0].buttons, PromptYesNoCancel);
}

TEST(Prompt, EmptyCaptionTakesTheOwnersTitle) {
  ScriptedPrompts script;
  ScopedPrompts use(&script);
  QWidget owner;
  owner.setWindowTitle("Configurazione");
  ShowPrompt(&owner, "", "x", PromptIcon::None);
  EXPECT_EQ(script.Shown().back().caption, "Configurazione");
}

TEST(FakeClock, SleepAdvancesWithoutWaiting) {
  FakeClock fake;
  ScopedClock use(&fake);
  const uint32_t start = Clock().GetTickCount();
  Clock().Sleep(20000);
  EXPECT_EQ(Clock().GetTickCount() - start, 20000u);
  EXPECT_EQ(fake.Sleeps(), 1);
}

TEST(WinColor, BgrOrder) {
  EXPECT_EQ(WinColor(0x0000FF), QColor(255, 0, 0));
  EXPECT_EQ(WinColor(0xFF0000), QColor(0, 0, 255));
  EXPECT_EQ(WinColor(0x00C0C0), QColor(0xC0, 0xC0, 0));
}
