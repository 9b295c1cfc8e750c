// Serial-message composer stand-in. Usage: VoviDiroRI <port> <baud,parity,bits,stop>
// It holds no serial code: it shows what it was given, so the hand-over of the port can be
// seen working, and ends when its window is closed.
#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments().mid(1);
  const QString port = args.value(0);
  const QString settings = args.value(1);

  QWidget window;
  window.setWindowTitle(QStringLiteral("Composizione messaggi seriali"));
  auto* layout = new QVBoxLayout(&window);
  auto* form = new QFormLayout;
  auto* portLabel = new QLabel(port.isEmpty() ? QStringLiteral("(nessuna)") : port);
  portLabel->setObjectName(QStringLiteral("LabelPorta"));
  auto* settingsLabel = new QLabel(settings.isEmpty() ? QStringLiteral("(nessuno)") : settings);
  settingsLabel->setObjectName(QStringLiteral("LabelParametri"));
  form->addRow(QStringLiteral("Porta:"), portLabel);
  form->addRow(QStringLiteral("Parametri:"), settingsLabel);
  layout->addLayout(form);
  if (args.size() > 2) {
    auto* extra = new QLabel(QStringLiteral("Altri argomenti: ") + args.mid(2).join(QLatin1Char(' ')));
    layout->addWidget(extra);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &window, &QWidget::close);
  layout->addWidget(buttons);
  window.move(0, 0);
  window.show();
  return app.exec();
}
