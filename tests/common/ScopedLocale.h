#pragma once
// Makes a locale the default for the guard's lifetime and puts the previous one back.
#include <QLocale>

class ScopedLocale {
 public:
  explicit ScopedLocale(const QLocale& l) : previous_(QLocale()) { QLocale::setDefault(l); }
  ~ScopedLocale() { QLocale::setDefault(previous_); }
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;

 private:
  QLocale previous_;
};
