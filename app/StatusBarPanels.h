#pragma once
// A status bar of fixed-width text panels, left to right; a panel may be drawn by its owner
// through OnDrawPanel (the bar's font is set on the painter first).
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

class QPainter;

class TStatusBarPanels : public QWidget {
  Q_OBJECT
 public:
  explicit TStatusBarPanels(QWidget* parent = nullptr);

  // Adds a panel and returns its index.
  int AddPanel(int width, const QString& text = {}, bool ownerDrawn = false);
  int PanelCount() const { return static_cast<int>(panels_.size()); }
  QString Text(int panel) const;
  void SetText(int panel, const QString& text);
  int PanelWidth(int panel) const;
  void SetPanelWidth(int panel, int width);
  // The panel's rectangle inside the bar.
  QRect PanelRect(int panel) const;

  // Draws an owner-drawn panel: painter, panel index, panel rectangle.
  std::function<void(QPainter&, int, const QRect&)> OnDrawPanel;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  struct Panel {
    int width = 0;
    QString text;
    bool ownerDrawn = false;
  };
  std::vector<Panel> panels_;
};
