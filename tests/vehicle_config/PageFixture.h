#pragma once
// The configuration editor, shown and active on the simulated ECU with the configuration read
// from it and an acquisition store of the test's own (the live tick stopped: tests tick by hand),
// with helpers to confirm fields and lists as the user does. Its pages are the real ones unless a
// test gives its own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <utility>

#include "AcquisitionStore.h"
#include "Config.h"
#include "DecimalText.h"
#include "KeyComboBox.h"
#include "NumericEdit.h"
#include "SimEcuFixture.h"

class PageFixture : public SimEcuFixture {
 protected:
  explicit PageFixture(TFormConfig::PageFactory pages = CreateConfigPage) : pages_(std::move(pages)) {}
  void SetUp() override {
    ASSERT_EQ(data_.ReadAll(), 1);
    previousDati_ = DatiMappati;
    DatiMappati = &dati_;
    form_ = std::make_unique<TFormConfig>(nullptr, pages_);
    form_->resize(1024, 768);
    form_->show();
    QApplication::setActiveWindow(form_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    form_->StopLiveTimer();
    prompts_.Clear();
    ecu_.ClearCalls();
  }
  void TearDown() override {
    form_.reset();
    DatiMappati = previousDati_;
  }

  // Makes the page active and shows it again from the data set.
  template <class P>
  P* Show(ConfigPageId id) {
    if (form_->ActivePage() == id)
      form_->Page(id)->PageShow();
    else
      form_->SetActivePage(id);
    return static_cast<P*>(form_->Page(id));
  }
  // Shows the form again (the form's show handler rebuilds the lists and runs the page's show).
  void ReshowForm() {
    form_->hide();
    form_->show();
    form_->StopLiveTimer();
  }
  // Types a value into a field and confirms it with Enter.
  static void Enter(TNumericEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
  }
  // A decimal number as the user types it ("0.2" with the user's separator).
  static QString Dec(const char* text) {
    return QString::fromLatin1(text).replace(QLatin1Char('.'),
                                             QLatin1Char(DecimalText::UserDecimalSeparator()));
  }
  // A choice made with the list closed: confirmed at once.
  static void Choose(TKeyComboBox* combo, int index) {
    combo->setFocus();
    combo->setCurrentIndex(index);
    emit combo->enterPressed();
  }
  // A click on a check box.
  static void Click(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
  }
  void Tick(int n = 1) {
    for (int i = 0; i < n; ++i) {
      clock_.Advance(TFormConfig::kLiveTickMs);
      form_->Timer1Timer();
    }
  }
  int Writes(int code) const { return CountCalls(SimOp::WriteVariable, code); }
  int AllWrites() const {
    return ecu_.CountCalls(SimOp::WriteVariable) + ecu_.CountCalls(SimOp::WriteElement) +
           ecu_.CountCalls(SimOp::WriteCell) + ecu_.CountCalls(SimOp::WriteRow) +
           ecu_.CountCalls(SimOp::WriteArray);
  }
  // The value of the last write of a variable the ECU received.
  int32_t LastWrite(int code) const {
    int32_t v = -1;
    for (const SimCall& c : ecu_.Calls())
      if (c.op == SimOp::WriteVariable && c.code == code) v = c.value;
    return v;
  }
  // Runs `act` once a modal dialog is up.
  static void WhileModal(std::function<void()> act) { QTimer::singleShot(0, std::move(act)); }

  TFormConfig::PageFactory pages_;
  TDatiMappati dati_;
  TDatiMappati* previousDati_ = nullptr;
  std::unique_ptr<TFormConfig> form_;
};
