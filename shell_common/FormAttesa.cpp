#include "FormAttesa.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "Animate.h"
#include "PrivateMessage.h"
#include "Progress.h"
#include "ScreenScale.h"

TFormAttesa::TFormAttesa(QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint),
      Label1(new QLabel(QStringLiteral("Messaggio di attesa..."), this)),
      ProgressBar1(new QProgressBar(this)),
      Label2(new QLabel(this)),
      Animate1(new TAnimate(this)),
      Button1(new QPushButton(QStringLiteral("&Annulla"), this)) {
  setObjectName(QStringLiteral("FormAttesa"));
  setWindowTitle(QStringLiteral("Finestra di attesa"));
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setWordWrap(true);
  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1->setRange(0, kProgressMax);
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);
  Label2->setObjectName(QStringLiteral("Label2"));
  Animate1->setObjectName(QStringLiteral("Animate1"));
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setEnabled(false);
  Button1->hide();

  auto* top = new QHBoxLayout;
  top->addWidget(Animate1);
  top->addWidget(Label1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(ProgressBar1);
  layout->addWidget(Label2);
  layout->addWidget(Button1, 0, Qt::AlignHCenter);
  setMinimumWidth(380);
  QEvent font(QEvent::FontChange);
  changeEvent(&font);  // the rows of the design font, before any scaling
  Animate1->SetActive(true);

  activation_ =
      connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive) ApplicationActivated();
      });
}

void TFormAttesa::ApplicationActivated() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && (w->windowState() & Qt::WindowMinimized))
      w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
}

void TFormAttesa::ShowPosition(int position) {
  ProgressBar1->setValue(position);
  Label2->setText(QString::number(position) + QStringLiteral("% ") + suffix_);
  // The caller's pass holds the event loop, so the layout a new text asks for (this one, or a
  // message the caller put in meanwhile) would wait until the pass ends: fitted now.
  if (isVisible()) FitAndFixWindowToScreen(this);
}

void TFormAttesa::SetProgress(int amount, bool set) {
  ShowPosition(NextProgress(ProgressBar1->value(), amount, set ? 0 : 1));
  Label2->repaint();
}

void TFormAttesa::customEvent(QEvent* e) {
  const PrivateMessageEvent* m = AsPrivateMessage(e, WM_PROGRESS);
  if (!m) {
    QDialog::customEvent(e);
    return;
  }
  ShowPosition(NextProgress(ProgressBar1->value(), m->WParam(), m->LParam()));
  // The operation runs on this thread: paint every form now so the display follows it.
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible()) w->repaint();
}

void TFormAttesa::changeEvent(QEvent* e) {
  QDialog::changeEvent(e);
  if (e->type() != QEvent::FontChange) return;
  for (QLabel* l : {Label1, Label2}) {
    // Whole pixels above and below the baseline, as the text is laid out.
    const QFontMetricsF fm(l->font());
    l->setMinimumHeight(static_cast<int>(std::ceil(fm.ascent()) + std::ceil(fm.descent())));
  }
}

void TFormAttesa::closeEvent(QCloseEvent* e) {
  disconnect(activation_);
  QDialog::closeEvent(e);
}

bool TFormAttesa::event(QEvent* e) {
  const bool handled = QDialog::event(e);
  if ((e->type() == QEvent::LayoutRequest || e->type() == QEvent::WindowTitleChange) && isVisible())
    FitAndFixWindowToScreen(this);
  return handled;
}

void TFormAttesa::setVisible(bool visible) {
  if (visible) FitAndFixWindowToScreen(this);
  QDialog::setVisible(visible);
}
