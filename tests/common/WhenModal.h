#pragma once
// Drives a modal dialog from inside its own loop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <functional>

// Runs `act` on the modal dialog of type Dialog once its loop runs.
template <typename Dialog>
void WhenModal(std::function<void(Dialog&)> act) {
  QTimer::singleShot(0, [act] {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    act(*dialog);
  });
}
