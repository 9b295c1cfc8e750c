#pragma once
// A header (row or column) of the data-bound grid: breakpoint values from a vector, or texts,
// with the number format, alignment and the texts and order of the breakpoint dialog.
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <Qt>

#include "KivVector.h"
#include "RiferimentiMappa.h"

class TKivGrid;

enum class TGridRefType { rtNone, rtData, rtStrings };

// The value of a name=value line of a message list ("" when missing).
QString MsgValue(const QStringList& lines, const QString& name);

class TGridReference : public QObject {
 public:
  TGridReference(TKivGrid* grid, const QString& name);
  ~TGridReference() override;

  const QStringList& Descriptions() const { return descriptions_; }
  void SetDescriptions(const QStringList& d);
  const QString& DataFormat() const { return dataFormat_; }
  void SetDataFormat(const QString& f);
  TGridRefType Type() const { return type_; }
  void SetType(TGridRefType t);
  TKivVector* Data() const { return data_; }
  // Moves the grid from the old vector's notification list to the new one's.
  void SetData(TKivVector* v);
  bool Visible() const { return visible_; }
  // Stores and refreshes the grid's dimensions.
  void SetVisible(bool v);
  const QStringList& MsgStrings() const { return msgStrings_; }
  void SetMsgStrings(const QStringList& m) { msgStrings_ = m; }
  TRefSortType SortType() const { return sortType_; }
  void SetSortType(TRefSortType t) { sortType_ = t; }
  Qt::Alignment Alignment() const { return alignment_; }
  void SetAlignment(Qt::Alignment a);

  // The breakpoint values (0 for an element that cannot be read); empty without a vector.
  std::vector<double> Values() const;

 private:
  TKivGrid* grid_;
  QStringList descriptions_;
  QString dataFormat_;
  TGridRefType type_ = TGridRefType::rtData;
  QPointer<TKivVector> data_;
  bool visible_ = true;
  QStringList msgStrings_;
  TRefSortType sortType_ = TRefSortType::stNone;
  Qt::Alignment alignment_ = Qt::AlignHCenter;
};
