#include "GridReference.h"

#include "KivGrid.h"

QString MsgValue(const QStringList& lines, const QString& name) {
  for (const QString& line : lines) {
    const int eq = line.indexOf(u'=');
    if (eq >= 0 && line.left(eq) == name) return line.mid(eq + 1);
  }
  return {};
}

TGridReference::TGridReference(TKivGrid* grid, const QString& name) : QObject(grid), grid_(grid) {
  setObjectName(name);
  msgStrings_ = {QStringLiteral("Caption=Modifica riferimenti"),
                 QStringLiteral("ButtonOk=&OK"),
                 QStringLiteral("ButtonCancel=&Annulla"),
                 QStringLiteral("RefLabel=Riferimento"),
                 QStringLiteral("RefTitle=Riferimenti"),
                 QStringLiteral("SortError=I riferimenti devono essere oridinati!")};
}

TGridReference::~TGridReference() {
  if (data_) data_->RemoveNotificationList(grid_);
}

void TGridReference::SetDescriptions(const QStringList& d) {
  descriptions_ = d;
  grid_->Repaint();
}

void TGridReference::SetDataFormat(const QString& f) {
  dataFormat_ = f;
  grid_->Repaint();
}

void TGridReference::SetType(TGridRefType t) {
  type_ = t;
  grid_->Repaint();
}

void TGridReference::SetAlignment(Qt::Alignment a) {
  alignment_ = a;
  grid_->Repaint();
}

void TGridReference::SetData(TKivVector* v) {
  if (v == data_) return;
  if (data_) data_->RemoveNotificationList(grid_);
  data_ = v;
  if (data_) data_->AddNotificationList(grid_);
  grid_->Repaint();
}

void TGridReference::SetVisible(bool v) {
  visible_ = v;
  grid_->Refresh();
}

std::vector<double> TGridReference::Values() const {
  std::vector<double> out;
  if (!data_) return out;
  for (int i = 0; i < data_->ArrayDimension(); ++i) {
    double v = 0;
    data_->GetData(&v, unsigned(i));  // a failed read gives the held breakpoint
    out.push_back(v);
  }
  return out;
}
