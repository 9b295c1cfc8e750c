#include "MenuBarMarkStyle.h"

#include <QMenuBar>
#include <QPainter>
#include <QStyleOptionMenuItem>
#include <algorithm>

namespace {

// Room between the mark and the title.
constexpr int kGap = 4;

const QStyleOptionMenuItem* MarkedTitle(const QStyleOption* option) {
  const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
  return item && !item->icon.isNull() && !item->text.isEmpty() ? item : nullptr;
}

// The title as drawn: without its mnemonic marks.
int TitleWidth(const QStyleOptionMenuItem& item) {
  QString shown = item.text;
  shown.replace(QLatin1String("&&"), QStringLiteral("\x01"));
  shown.remove(QLatin1Char('&'));
  shown.replace(QLatin1Char('\x01'), QLatin1Char('&'));
  return item.fontMetrics.horizontalAdvance(shown);
}

}  // namespace

void TMenuBarMarkStyle::Install(QMenuBar* bar) {
  auto* style = new TMenuBarMarkStyle;
  style->setParent(bar);
  bar->setStyle(style);
}

QSize TMenuBarMarkStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                          const QWidget* widget) const {
  const QStyleOptionMenuItem* item = type == CT_MenuBarItem ? MarkedTitle(option) : nullptr;
  if (!item) return QProxyStyle::sizeFromContents(type, option, size, widget);
  // The title centred as the style draws it, with room for the mark on both sides, so the
  // centred title clears the mark on its left.
  const int mark = pixelMetric(PM_SmallIconSize, option, widget);
  const QSize inner(TitleWidth(*item) + 2 * (mark + kGap), std::max(item->fontMetrics.height(), mark));
  return QProxyStyle::sizeFromContents(type, option, inner, widget);
}

void TMenuBarMarkStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                    const QWidget* widget) const {
  const QStyleOptionMenuItem* item = element == CE_MenuBarItem ? MarkedTitle(option) : nullptr;
  if (!item) {
    QProxyStyle::drawControl(element, option, painter, widget);
    return;
  }
  // The item as a plain title (background, highlight when open, text), then the mark left of
  // the title.
  QStyleOptionMenuItem plain = *item;
  plain.icon = QIcon();
  QProxyStyle::drawControl(element, &plain, painter, widget);
  const int mark = pixelMetric(PM_SmallIconSize, option, widget);
  const QPixmap pixmap = item->icon.pixmap(QSize(mark, mark), painter->device()->devicePixelRatio(),
                                           item->state & State_Enabled ? QIcon::Normal : QIcon::Disabled);
  const QRect r = item->rect;
  const int left = r.center().x() - TitleWidth(*item) / 2 - kGap - mark;
  drawItemPixmap(painter, QRect(left, r.top(), mark, r.height()), Qt::AlignCenter, pixmap);
}
