#include "StatusBarPanels.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

TStatusBarPanels::TStatusBarPanels(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

int TStatusBarPanels::AddPanel(int width, const QString& text, bool ownerDrawn) {
  panels_.push_back({width, text, ownerDrawn});
  update();
  return PanelCount() - 1;
}

QString TStatusBarPanels::Text(int panel) const {
  return panel >= 0 && panel < PanelCount() ? panels_[static_cast<size_t>(panel)].text : QString();
}

void TStatusBarPanels::SetText(int panel, const QString& text) {
  if (panel < 0 || panel >= PanelCount()) return;
  panels_[static_cast<size_t>(panel)].text = text;
  update();
}

int TStatusBarPanels::PanelWidth(int panel) const {
  return panel >= 0 && panel < PanelCount() ? panels_[static_cast<size_t>(panel)].width : 0;
}

void TStatusBarPanels::SetPanelWidth(int panel, int width) {
  if (panel < 0 || panel >= PanelCount()) return;
  panels_[static_cast<size_t>(panel)].width = width;
  update();
}

QRect TStatusBarPanels::PanelRect(int panel) const {
  int left = 0;
  for (int i = 0; i < panel && i < PanelCount(); ++i) left += panels_[static_cast<size_t>(i)].width;
  // The last panel takes the rest of the bar.
  const int width = panel == PanelCount() - 1 ? std::max(PanelWidth(panel), this->width() - left)
                                              : PanelWidth(panel);
  return QRect(left, 0, width, height()).adjusted(1, 2, -1, -1);
}

QSize TStatusBarPanels::sizeHint() const {
  int width = 0;
  for (const Panel& p : panels_) width += p.width;
  return QSize(width, QFontMetrics(font()).height() + 8);
}

void TStatusBarPanels::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  for (int i = 0; i < PanelCount(); ++i) {
    const QRect r = PanelRect(i);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
    const QRect inside = r.adjusted(1, 1, -1, -1);
    painter.save();
    painter.setClipRect(inside);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    const Panel& p = panels_[static_cast<size_t>(i)];
    if (p.ownerDrawn && OnDrawPanel) {
      OnDrawPanel(painter, i, inside);
    } else {
      painter.drawText(inside.adjusted(2, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, p.text);
    }
    painter.restore();
  }
}
