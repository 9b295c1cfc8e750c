#pragma once
// The check box of the editor's pages: a member of the entry fields' focus chain. Enter toggles
// it as a click does (so its click rule runs); Up and Down move along its links, and a walk of
// the chain passes through a box that cannot take the focus.
#include <QCheckBox>

#include "FocusChain.h"

class TChainCheckBox final : public QCheckBox, public IFocusChainMember {
  Q_OBJECT
 public:
  explicit TChainCheckBox(const QString& text, QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
};
