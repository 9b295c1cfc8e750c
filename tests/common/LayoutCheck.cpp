#include "LayoutCheck.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTextDocument>
#include <QToolButton>
#include <QWidget>
#include <vector>

namespace {

QString Path(const QWidget* w) {
  QStringList parts;
  for (const QWidget* p = w; p; p = p->isWindow() ? nullptr : p->parentWidget()) {
    QString name = p->objectName();
    if (name.isEmpty()) name = QString::fromLatin1(p->metaObject()->className());
    parts.prepend(name);
  }
  return parts.join(QLatin1Char('/'));
}

QString Rect(const QRect& r) {
  return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Qt's own parts of a composite control (a combo's list, a scroll area's bars...).
bool IsInternal(const QWidget* w) { return w->objectName().startsWith(QLatin1String("qt_")); }

// Controls whose children are their own business.
bool IsComposite(const QWidget* w) {
  return qobject_cast<const QAbstractScrollArea*>(w) || qobject_cast<const QComboBox*>(w) ||
         qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QTabBar*>(w) ||
         qobject_cast<const QLineEdit*>(w) || qobject_cast<const QMenuBar*>(w) ||
         qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QStatusBar*>(w);
}

bool IsBackdrop(const QWidget* w) {
  if (w->property("layoutBackdrop").toBool()) return true;
  // A canvas over other controls that lets the mouse through to them.
  if (w->testAttribute(Qt::WA_TransparentForMouseEvents)) return true;
  const char* cls = w->metaObject()->className();
  if (qstrcmp(cls, "QFrame") == 0 || qstrcmp(cls, "QWidget") == 0) return true;
  if (const auto* l = qobject_cast<const QLabel*>(w)) return !l->pixmap().isNull() || l->text().isEmpty();
  return false;
}

// The text as drawn: without the mnemonic marks.
QString Shown(QString text) {
  text.replace(QLatin1String("&&"), QStringLiteral("\x01"));
  text.remove(QLatin1Char('&'));
  text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
  return text;
}

int TextWidth(const QFontMetrics& fm, const QString& text) {
  int w = 0;
  for (const QString& line : text.split(QLatin1Char('\n'))) w = std::max(w, fm.horizontalAdvance(line));
  return w;
}

int TextHeight(const QFontMetrics& fm, const QString& text) {
  const int lines = static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
  return fm.height() + (lines - 1) * fm.lineSpacing();
}

// The indent QLabel keeps from the aligned edges: its own, or with the default -1 half an 'x'
// where the label has a frame.
int LabelIndent(const QLabel* l) {
  if (l->indent() >= 0) return l->indent();
  return l->frameWidth() > 0 ? l->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 : 0;
}

void CheckText(const QWidget* w, QStringList& out) {
  const QFontMetrics fm = w->fontMetrics();
  QString text;
  int room = 0;
  int roomHeight = -1;
  if (const auto* l = qobject_cast<const QLabel*>(w)) {
    if (!l->pixmap().isNull() || l->text().isEmpty() || Qt::mightBeRichText(l->text())) return;
    const QRect r = l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
    if (l->wordWrap()) {
      const int needed = l->heightForWidth(l->width());
      if (needed > l->height())
        out << QStringLiteral("%1: text cut: \"%2\" wraps to %3 px high in %4 px")
                   .arg(Path(w), l->text())
                   .arg(needed)
                   .arg(l->height());
      return;
    }
    text = l->text();
    room = r.width() - LabelIndent(l);
    roomHeight = r.height();
  } else if (const auto* b = qobject_cast<const QAbstractButton*>(w)) {
    // The room the style draws the button's text in.
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(w))
      contents = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<const QRadioButton*>(w))
      contents = QStyle::SE_RadioButtonContents;
    else if (!qobject_cast<const QPushButton*>(w))
      return;
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.text = b->text();
    opt.icon = b->icon();
    opt.iconSize = b->iconSize();
    const QRect r = b->style()->subElementRect(contents, &opt, b);
    text = Shown(b->text());
    room = r.width();
    if (!b->icon().isNull()) room -= b->iconSize().width() + 4;
    roomHeight = r.height();
  } else if (const auto* g = qobject_cast<const QGroupBox*>(w)) {
    text = Shown(g->title());
    room = g->width() - 2 * fm.horizontalAdvance(QLatin1Char(' ')) - 8;
  } else if (const auto* e = qobject_cast<const QLineEdit*>(w)) {
    if (e->echoMode() != QLineEdit::Normal) return;
    text = e->text();
    const QMargins m = e->textMargins();
    // The frame and the fixed inner margin of the line edit on each side.
    room = e->width() - m.left() - m.right() - (e->hasFrame() ? 2 * 2 : 0) - 2 * 2;
  } else if (const auto* c = qobject_cast<const QComboBox*>(w)) {
    if (c->currentIndex() < 0) return;
    text = c->currentText();
    QStyleOptionComboBox opt;
    opt.initFrom(c);
    opt.editable = c->isEditable();
    opt.frame = c->hasFrame();
    room = c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c).width();
  } else {
    return;
  }
  if (text.isEmpty()) return;
  const int needed = TextWidth(fm, text);
  if (needed > room)
    out << QStringLiteral("%1: text cut: \"%2\" needs %3 px, has %4")
               .arg(Path(w), text)
               .arg(needed)
               .arg(room);
  else if (roomHeight >= 0 && TextHeight(fm, text) > roomHeight)
    out << QStringLiteral("%1: text cut: \"%2\" needs %3 px high, has %4")
               .arg(Path(w), text)
               .arg(TextHeight(fm, text))
               .arg(roomHeight);
}

// The visible controls of a parent that the rules apply to.
std::vector<const QWidget*> Controls(const QWidget* parent) {
  std::vector<const QWidget*> list;
  for (const QObject* o : parent->children()) {
    const auto* w = qobject_cast<const QWidget*>(o);
    if (!w || w->isWindow() || !w->isVisible() || w->size().isEmpty()) continue;
    list.push_back(w);
  }
  return list;
}

bool InsideScrollArea(const QWidget* parent) {
  const QWidget* area = parent->parentWidget();
  const auto* scroll = qobject_cast<const QAbstractScrollArea*>(area);
  return scroll && scroll->viewport() == parent;
}

void CheckPlace(const QWidget* w, QStringList& out) {
  const QWidget* parent = w->parentWidget();
  if (!parent || InsideScrollArea(parent)) return;
  if (!parent->rect().contains(w->geometry()))
    out << QStringLiteral("%1: outside its parent: %2 in %3")
               .arg(Path(w), Rect(w->geometry()), Rect(parent->rect()));
}

void CheckSiblings(const QWidget* w, const std::vector<const QWidget*>& siblings, QStringList& out) {
  if (IsInternal(w) || IsBackdrop(w)) return;
  for (const QWidget* s : siblings) {
    if (s == w || IsInternal(s) || IsBackdrop(s)) continue;
    if (w->geometry().intersects(s->geometry()))
      out << QStringLiteral("%1: covers %2: %3 over %4")
                 .arg(Path(w),
                      s->objectName().isEmpty() ? QString::fromLatin1(s->metaObject()->className())
                                                : s->objectName(),
                      Rect(w->geometry()), Rect(s->geometry()));
  }
}

void CheckChildren(const QWidget* parent, QStringList& out) {
  const std::vector<const QWidget*> controls = Controls(parent);
  for (size_t i = 0; i < controls.size(); ++i) {
    const QWidget* w = controls[i];
    if (!IsInternal(w)) {
      CheckPlace(w, out);
      CheckText(w, out);
      // Each pair once: with the siblings after it.
      const std::vector<const QWidget*> later(controls.begin() + static_cast<long>(i), controls.end());
      CheckSiblings(w, later, out);
    }
    if (!IsComposite(w)) CheckChildren(w, out);
  }
}

}  // namespace

QStringList LayoutViolations(const QWidget* window) {
  const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  return LayoutViolations(window, screen ? screen->availableGeometry() : QRect());
}

QStringList LayoutViolations(const QWidget* window, const QRect& available) {
  QStringList out;
  const QString name = window->objectName();
  // The frame's thin borders may lie at the screen's edges.
  const int border = window->geometry().left() - window->frameGeometry().left();
  if (!available.isEmpty() && !available.adjusted(-border, 0, border, 0).contains(window->geometry()))
    out << QStringLiteral("%1: window outside the screen: %2 on %3")
               .arg(name, Rect(window->geometry()), Rect(available));
  // A window manager's frame is larger than the offscreen platform's: a window it does not
  // maximise needs room for its borders and title bar too.
  const bool frameless = window->windowFlags() & Qt::FramelessWindowHint;
  if (!available.isEmpty() && !frameless && !(window->windowState() & Qt::WindowMaximized) &&
      (window->width() + kFrameAllowance.width() > available.width() ||
       window->height() + kFrameAllowance.height() > available.height()))
    out << QStringLiteral("%1: window and its frame larger than the screen: %2x%3 and a frame of %4x%5 on %6")
               .arg(name)
               .arg(window->width())
               .arg(window->height())
               .arg(kFrameAllowance.width())
               .arg(kFrameAllowance.height())
               .arg(Rect(available));
  const QString title = window->windowTitle();
  if (!title.isEmpty() && !(window->windowFlags() & Qt::FramelessWindowHint)) {
    // Window managers draw titles in bold.
    QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    titleFont.setBold(true);
    const QFontMetrics fm(titleFont);
    const int needed = fm.horizontalAdvance(title) + kTitleBarAllowance;
    if (needed > window->width())
      out << QStringLiteral("%1: title cut: \"%2\" needs %3 px, the window is %4 wide")
                 .arg(name, title)
                 .arg(needed)
                 .arg(window->width());
  }
  CheckChildren(window, out);
  return out;
}

QStringList ControlLayoutViolations(const QWidget* control) {
  QStringList out;
  if (!control->isVisible()) return out;
  CheckPlace(control, out);
  CheckText(control, out);
  if (const QWidget* parent = control->parentWidget()) CheckSiblings(control, Controls(parent), out);
  return out;
}

::testing::AssertionResult ControlsKeepLayout(const QWidget* window) {
  QStringList found;
  CheckChildren(window, found);
  if (found.isEmpty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << found.join(QLatin1Char('\n')).toStdString();
}

QStringList TextInkViolations(const QLabel* label) {
  QStringList out;
  const QString text = label->text();
  if (!label->isVisible() || text.isEmpty() || label->wordWrap() || text.contains(QLatin1Char('\n')) ||
      Qt::mightBeRichText(text))
    return out;
  // The room QLabel draws in: its contents, less its margin and indent.
  QRect room =
      label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(), -label->margin());
  const int indent = LabelIndent(label);
  if (indent > 0) {
    if (label->alignment() & Qt::AlignLeft) room.setLeft(room.left() + indent);
    if (label->alignment() & Qt::AlignRight) room.setRight(room.right() - indent);
    if (label->alignment() & Qt::AlignTop) room.setTop(room.top() + indent);
    if (label->alignment() & Qt::AlignBottom) room.setBottom(room.bottom() - indent);
  }
  // The line as laid out in that room, then the glyphs' own box about its baseline.
  const QFontMetricsF fmf(label->font());
  const QRectF line = fmf.boundingRect(QRectF(room), static_cast<int>(label->alignment()), text);
  const QRectF ink = fmf.boundingRect(text).translated(line.left(), line.top() + fmf.ascent());
  if (!QRectF(label->rect()).contains(ink))
    out << QStringLiteral("%1: text cut: the ink of \"%2\" lies at %3, the label is %4")
               .arg(Path(label), text, Rect(ink.toAlignedRect()), Rect(label->rect()));
  return out;
}
