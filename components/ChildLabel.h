#pragma once
// The caption label a data-bound value editor owns: a sibling of the control that follows its
// position, parent and visibility, placed beside it by LabelPosition and LabelSpacing. A click
// on the label gives the focus to the control.
#include <QLabel>
#include <QPointer>

#include "LabelPlacement.h"

class TChildLabel : public QLabel {
  Q_OBJECT

 public:
  // The label's caption starts as the control's name.
  explicit TChildLabel(QWidget* control);

  QWidget* Control() const { return control_; }
  TLabelPosition LabelPosition() const { return position_; }
  void SetLabelPosition(TLabelPosition p);
  int LabelSpacing() const { return spacing_; }
  void SetLabelSpacing(int s);
  void SetLabelAlignment(Qt::Alignment a);
  // Sizes the label to its text and places it again.
  void AdjustBounds();
  // Repaints and places the label again.
  void Update();
  // The size setters keep the other bounds.
  void SetWidth(int w);
  void SetHeight(int h);

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;

 private:
  void Place();

  QPointer<QWidget> control_;
  TLabelPosition position_ = TLabelPosition::lpLeft;
  int spacing_ = 80;
};

// Gives the focus to link when it can take it, else to the next (previous) control of the
// window's tab order that can.
void FocusLinkOrTabOrder(QWidget* self, QWidget* link, bool forward);
