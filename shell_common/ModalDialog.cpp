#include "ModalDialog.h"

#include <QPushButton>

#include "DialogKeys.h"
#include "ScreenScale.h"

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
  if (visible) FitWindowToScreen(this);
  QDialog::setVisible(visible);
}

void TModalDialog::done(int r) { QDialog::done(r == mrOk ? mrOk : mrCancel); }

void TModalDialog::keyPressEvent(QKeyEvent* e) {
  if (PressFocusedButton(this, e)) return;
  QDialog::keyPressEvent(e);
}
