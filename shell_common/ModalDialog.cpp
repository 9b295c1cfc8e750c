#include "ModalDialog.h"

#include <QApplication>
#include <QPushButton>

#include "DialogKeys.h"
#include "ScreenScale.h"
#include "ShowActive.h"

TModalDialog::TModalDialog(QWidget* owner, Qt::WindowFlags flags) : QDialog(owner, flags) {}

int TModalDialog::ShowModal() { return exec() == mrOk ? mrOk : mrCancel; }

QPushButton* TModalDialog::AddCloseButton(const QString& text, const QString& name, int result) {
  auto* b = new QPushButton(text, this);
  b->setObjectName(name);
  b->setAutoDefault(false);
  connect(b, &QPushButton::clicked, this, [this, result] { done(result); });
  return b;
}

void TModalDialog::setVisible(bool visible) {
  if (visible) {
    FitWindowToScreen(this);
    // Closed, the dialog gives the keys back to the window it was opened from.
    ReturnActivationOnHide(this, QApplication::activeWindow());
  }
  QDialog::setVisible(visible);
}

void TModalDialog::done(int r) { QDialog::done(r == mrOk ? mrOk : mrCancel); }

void TModalDialog::keyPressEvent(QKeyEvent* e) {
  if (PressFocusedButton(this, e)) return;
  QDialog::keyPressEvent(e);
}
