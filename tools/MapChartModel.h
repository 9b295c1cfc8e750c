#pragma once
// What the map chart edits: the 12 rows of the gas or petrol map as 12 series of 12 points
// over the rpm breakpoints, which rows are shown and highlighted, point picking, the mouse drag
// and the Shift+arrow key edits with their limits and rounding. Every completed edit writes its
// one cell into the ECU data set, which writes it through to the ECU.
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <utility>

class TEcuData;

// The texts the titles and hints are made of, as the window loads them.
struct TMapChartTexts {
  QString riga = QStringLiteral("riga");
  QString colonna = QStringLiteral("colonna");
  QString map = QStringLiteral("map");
  QString valore = QStringLiteral("valore");
};

class TMapChartModel {
 public:
  static constexpr int kRows = 12;
  static constexpr int kCols = 12;
  static constexpr int kAllRows = 4095;
  static constexpr double kMinValue = 0.0;
  static constexpr double kMaxValue = 20.0;
  // A point is under the cursor within this many pixels of its centre either way.
  static constexpr double kHitPixels = 4;

  struct TPointRef {
    int series = -1;
    int point = -1;
    bool IsValid() const { return series >= 0 && point >= 0; }
    bool operator==(const TPointRef&) const = default;
  };
  // View position (x, y) in pixels of point p of series s.
  using PixelOf = std::function<std::pair<double, double>(int s, int p)>;

  explicit TMapChartModel(TEcuData& data) : data_(data) {}

  // Which map is shown and edited.
  void SetBenzina(bool benzina) { benzina_ = benzina; }
  bool Benzina() const { return benzina_; }
  // Bit i set: row i is shown on each refill.
  void SetTag(int tag) { tag_ = tag; }
  int Tag() const { return tag_; }

  // Refills every series from the shown map; row visibility returns to the tag.
  void Refresh();
  double X(int p) const { return rpm_[p]; }
  double Y(int s, int p) const { return y_[s][p]; }
  bool Visible(int s) const { return visible_[s]; }
  void SetVisible(int s, bool v) { visible_[s] = v; }
  bool Highlighted(int s) const { return highlighted_[s]; }
  void SetHighlighted(int s, bool h) { highlighted_[s] = h; }

  // The first point of a shown series within kHitPixels of (mx, my), searching the series from
  // the last to the first (lastFirst) or from the first to the last.
  TPointRef FindPoint(const PixelOf& pixelOf, double mx, double my, bool lastFirst) const;

  // The mouse drag. The value of an axis position is truncated to 0.1 ms; outside 0..20 ms it
  // is refused and the point keeps its last value.
  static std::optional<double> DragValue(double axisValue);
  void BeginDrag(TPointRef p) {
    drag_ = p;
    dragging_ = true;
  }
  bool Dragging() const { return dragging_; }
  TPointRef DragPoint() const { return drag_; }
  // True when the value was taken (the point moved).
  bool DragOver(double axisValue);
  // The drop: on a target the point's value is written into the shown map.
  void EndDrag(bool dropped);

  // The keyboard point (Shift held): the first series in index order with a point under the
  // cursor becomes highlighted and its point the keyboard point. False when none is there or
  // one is chosen already.
  bool ChooseKeyPoint(const PixelOf& pixelOf, double mx, double my);
  TPointRef KeyPoint() const { return key_; }
  // A key step to an axis value (not rounded): inside 0..20 ms the point takes it and the cell
  // is written; outside nothing changes and false comes back.
  bool KeyValue(double axisValue);
  // Shift released: the keyboard point's series loses its highlight; no keyboard point.
  void ReleaseKeyPoint();
  void DropKeyPoint() { key_ = {}; }
  // The cursor step of an arrow key: 1, 2, 3 ... while keys repeat, 1 again after a key-up.
  int TakeStep() { return step_++; }
  void ResetStep() { step_ = 1; }
  int Step() const { return step_; }
  // Moves (x, y) by (dx, dy) inside a client area of width x height.
  static std::pair<int, int> StepCursor(int x, int y, int dx, int dy, int width, int height);

  // Esc: every highlighted series loses its highlight; false when none was highlighted.
  bool ClearHighlights();
  // Hides every highlighted shown series; false when there was none.
  bool HideHighlighted();
  // The answers of the row prompts: 1..12 hides / shows that row, 0 shows all; anything else
  // does nothing. True when something changed.
  bool HideRow(const QString& answer);
  bool ShowRow(const QString& answer);

  // "riga 1 - map 0,42": the row and its MAP breakpoint in volts with 2 significant digits.
  QString Title(int s, const TMapChartTexts& t, char decimalSeparator) const;
  // The hint of a point: row, rpm breakpoint rounded down to 50, value.
  QString Hint(TPointRef p, const TMapChartTexts& t, char decimalSeparator) const;

 private:
  void Write(TPointRef p);
  static std::optional<int> RowNumber(const QString& answer);

  TEcuData& data_;
  bool benzina_ = false;
  int tag_ = kAllRows;
  std::array<double, kCols> rpm_{};
  std::array<std::array<double, kCols>, kRows> y_{};
  std::array<bool, kRows> visible_{};
  std::array<bool, kRows> highlighted_{};
  bool dragging_ = false;
  TPointRef drag_;
  TPointRef key_;
  int step_ = 1;
};
