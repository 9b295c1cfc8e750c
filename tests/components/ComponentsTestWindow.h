#pragma once
// A shown, active window for the entry-field tests, and keys sent the way the application
// routes them: to the open popup's focus widget, or else to the focus widget.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <memory>

inline QWidget* KeyTarget() {
  if (QWidget* popup = QApplication::activePopupWidget())
    return popup->focusWidget() ? popup->focusWidget() : popup;
  return QApplication::focusWidget();
}

inline void Press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QWidget* target = KeyTarget();
  ASSERT_NE(target, nullptr);
  QTest::keyClick(target, key, mods);
}

inline void Type(const QString& text) {
  QWidget* target = KeyTarget();
  ASSERT_NE(target, nullptr);
  QTest::keyClicks(target, text);
}

// Gives the dialog a default "Ok" button that accepts it, shows and activates the dialog, and
// puts the focus on field.
inline void ShowWithDefaultButton(QDialog& dialog, QWidget* field) {
  auto* ok = new QPushButton("Ok", &dialog);
  ok->move(0, 40);
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  field->setFocus(Qt::TabFocusReason);
}

class ComponentsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = QLocale();
    QLocale::setDefault(QLocale::c());
    window = std::make_unique<QWidget>();
    window->resize(400, 300);
  }
  void TearDown() override {
    window.reset();
    QLocale::setDefault(saved_);
  }
  // Call once the children are made.
  void ShowWindow() {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }

  std::unique_ptr<QWidget> window;

 private:
  QLocale saved_;
};
