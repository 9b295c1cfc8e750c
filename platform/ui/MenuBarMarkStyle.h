#pragma once
// A menu bar on which a menu given an image (a mark, such as a recording dot) shows that image
// beside its title: the title stays whole and readable, closed and open, where the plain style
// would show the image alone. Menus without an image are drawn as the style draws them.
#include <QProxyStyle>

class QMenuBar;

class TMenuBarMarkStyle final : public QProxyStyle {
 public:
  // Puts the style on the bar; the bar owns it.
  static void Install(QMenuBar* bar);

  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget) const override;
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override;

 private:
  TMenuBarMarkStyle() = default;
};
