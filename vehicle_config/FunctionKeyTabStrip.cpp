#include "FunctionKeyTabStrip.h"

#include <QMouseEvent>
#include <QPainter>

#include "WinColor.h"

namespace {

constexpr uint32_t kActiveTabColor = 0x0000FF;  // red
constexpr uint32_t kInfoBkColor = 0xE1FFFF;     // clInfoBk

}  // namespace

TFunctionKeyTabStrip::TFunctionKeyTabStrip(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

int TFunctionKeyTabStrip::AddPage(const QString& caption) {
  pages_.push_back({caption, true});
  update();
  return PageCount() - 1;
}

QString TFunctionKeyTabStrip::Caption(int page) const {
  return page >= 0 && page < PageCount() ? pages_[page].caption : QString();
}

void TFunctionKeyTabStrip::SetCaption(int page, const QString& caption) {
  if (page < 0 || page >= PageCount()) return;
  pages_[page].caption = caption;
  update();
}

bool TFunctionKeyTabStrip::IsPageVisible(int page) const {
  return page >= 0 && page < PageCount() && pages_[page].visible;
}

void TFunctionKeyTabStrip::SetPageVisible(int page, bool visible) {
  if (page < 0 || page >= PageCount() || pages_[page].visible == visible) return;
  pages_[page].visible = visible;
  if (!visible && page == active_) {
    const int next = NextVisiblePage(page, true);
    active_ = -1;
    if (next >= 0)
      SetActivePage(next);
    else
      emit PageChanged(-1);
  }
  update();
}

void TFunctionKeyTabStrip::SetActivePage(int page) {
  if (!IsPageVisible(page) || page == active_) return;
  active_ = page;
  update();
  emit PageChanged(page);
}

int TFunctionKeyTabStrip::VisibleCount() const {
  int n = 0;
  for (const auto& p : pages_) n += p.visible ? 1 : 0;
  return n;
}

int TFunctionKeyTabStrip::TabIndexOf(int page) const {
  if (!IsPageVisible(page)) return -1;
  int tab = 0;
  for (int i = 0; i < page; ++i) tab += pages_[i].visible ? 1 : 0;
  return tab;
}

int TFunctionKeyTabStrip::PageOfTab(int tabIndex) const {
  if (tabIndex < 0) return -1;
  for (int i = 0; i < PageCount(); ++i)
    if (pages_[i].visible && tabIndex-- == 0) return i;
  return -1;
}

int TFunctionKeyTabStrip::NextVisiblePage(int page, bool forward) const {
  const int n = PageCount();
  if (n == 0) return -1;
  int i = page < 0 ? (forward ? n - 1 : 0) : page;
  for (int step = 0; step < n; ++step) {
    i = forward ? (i + 1) % n : (i + n - 1) % n;
    if (pages_[i].visible) return i;
  }
  return -1;
}

int TFunctionKeyTabStrip::FirstVisiblePage() const { return PageOfTab(0); }

int TFunctionKeyTabStrip::LastVisiblePage() const { return PageOfTab(VisibleCount() - 1); }

QString TFunctionKeyTabStrip::TabText(int tabIndex) const {
  return QStringLiteral("F%1  ").arg(tabIndex + 1) + Caption(PageOfTab(tabIndex));
}

void TFunctionKeyTabStrip::SetTabFontSize(int points) {
  fontSize_ = points > 0 ? points : 1;
  update();
}

QRect TFunctionKeyTabStrip::TabRect(int tabIndex) const {
  const int count = VisibleCount();
  if (tabIndex < 0 || tabIndex >= count) return {};
  // Each tab's length along the strip: the strip's height / visible pages - 1.
  const int length = height() / count - 1;
  return QRect(0, tabIndex * (length + 1), width(), length);
}

QSize TFunctionKeyTabStrip::sizeHint() const { return QSize(width() > 0 ? width() : 130, 400); }

QSize TFunctionKeyTabStrip::minimumSizeHint() const { return QSize(40, 40); }

void TFunctionKeyTabStrip::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QFont f = font();
  f.setPointSize(fontSize_);
  p.setFont(f);
  const int count = VisibleCount();
  for (int tab = 0; tab < count; ++tab) {
    const QRect r = TabRect(tab);
    const bool active = PageOfTab(tab) == active_;
    p.fillRect(r, WinColor(active ? kActiveTabColor : kInfoBkColor));
    p.setPen(palette().color(QPalette::ButtonText));
    p.drawText(r, Qt::AlignCenter, TabText(tab));
  }
}

void TFunctionKeyTabStrip::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int count = VisibleCount();
  for (int tab = 0; tab < count; ++tab) {
    if (!TabRect(tab).contains(event->position().toPoint())) continue;
    const int page = PageOfTab(tab);
    if (page == active_) return;
    if (Changing && !Changing(active_, page)) return;
    SetActivePage(page);
    return;
  }
}
