#pragma once
// The configuration editor's page tabs: a strip on the left side of the pages with one tab per
// visible page, stacked top to bottom, the text written horizontally as "F<n>  <caption>" so
// each tab names the function key that selects it. The active tab is red, the others have the
// info-tip colour. A page change made with the mouse is offered to Changing first, which may
// refuse it.
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

class TFunctionKeyTabStrip : public QWidget {
  Q_OBJECT

 public:
  explicit TFunctionKeyTabStrip(QWidget* parent = nullptr);

  // Adds a page at the end (page index = number of pages before it); visible, not active.
  int AddPage(const QString& caption);
  int PageCount() const { return static_cast<int>(pages_.size()); }

  QString Caption(int page) const;
  void SetCaption(int page, const QString& caption);
  bool IsPageVisible(int page) const;
  // Hiding the active page makes the next visible page active (without asking Changing).
  void SetPageVisible(int page, bool visible);

  // The active page, -1 while there is none.
  int ActivePage() const { return active_; }
  // Makes a visible page active without asking Changing; emits PageChanged when it changed.
  void SetActivePage(int page);

  // Visible pages in page order.
  int VisibleCount() const;
  // Tab index (0-based among the visible pages) of a page; -1 when hidden.
  int TabIndexOf(int page) const;
  // Page of a tab index; -1 when there is no such tab.
  int PageOfTab(int tabIndex) const;
  // The visible page after (forward) or before `page`, wrapping; -1 when none is visible.
  int NextVisiblePage(int page, bool forward) const;
  int FirstVisiblePage() const;
  int LastVisiblePage() const;

  // The tab text: "F" + (tab index + 1) + two blanks + caption.
  QString TabText(int tabIndex) const;

  // Point size of the tab font.
  void SetTabFontSize(int points);
  int TabFontSize() const { return fontSize_; }
  // The tab rectangle of a tab index; an empty rectangle when there is no such tab.
  QRect TabRect(int tabIndex) const;

  // Asked before a change by the mouse: (from page, to page) -> allowed.
  std::function<bool(int, int)> Changing;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  void PageChanged(int page);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  struct Page {
    QString caption;
    bool visible = true;
  };
  std::vector<Page> pages_;
  int active_ = -1;
  int fontSize_ = 9;
};
