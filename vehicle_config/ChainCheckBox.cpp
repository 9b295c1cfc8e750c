#include "ChainCheckBox.h"

#include <QKeyEvent>

TChainCheckBox::TChainCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {}

void TChainCheckBox::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      click();  // does nothing while the box is disabled
      e->accept();
      return;
    case Qt::Key_Up:
    case Qt::Key_Down:
      chain_.MoveFocus(e->key() == Qt::Key_Down);
      e->accept();
      return;
    default:
      QCheckBox::keyPressEvent(e);
  }
}
