#pragma once
// The application object of the program. An exception that leaves an event handler is shown
// to the user (the exception's text, the application's title, the stop icon) and the program
// goes on, as the class library's message loop does.
#include <QApplication>
#include <exception>

class TApplication : public QApplication {
  Q_OBJECT
 public:
  TApplication(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receiver, QEvent* event) override;
};

// The standard display of an exception: a message box with its text.
void ShowException(const std::exception& e);
void ShowUnknownException();
