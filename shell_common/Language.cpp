#include "Language.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLibrary>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QPointer>
#include <QTranslator>
#include <QWidget>
#include <array>
#include <limits>

#include "LanguageExports.h"

QLibrary* LanguageModule = nullptr;
int8_t LanguageCount = 1;
int32_t TextsPerLanguage = 1;
int CurrentLanguage = 0;
int LanguageCharset = 0;
int LanguageCodePage = 1252;

namespace {

constexpr LanguageTextEntry kOwnTexts[] = {
#include "ItalianTexts.inc"
};
static_assert(TextNumbersFit(kOwnTexts));

const std::array<const char*, kOwnTextCount>& OwnTable() {
  static const std::array<const char*, kOwnTextCount> table = [] {
    std::array<const char*, kOwnTextCount> t{};
    for (const auto& e : kOwnTexts)
      if (e.k >= 0 && e.k < kOwnTextCount) t[static_cast<size_t>(e.k)] = e.text;
    return t;
  }();
  return table;
}

LoadTextFn g_loadText = nullptr;

// Cuts a text to bufferSize - 1 characters without splitting a surrogate pair.
QString CutToBuffer(QString text, int bufferSize) {
  const qsizetype max = bufferSize > 1 ? bufferSize - 1 : 0;
  if (text.size() > max) {
    qsizetype n = max;
    if (n > 0 && text.at(n - 1).isHighSurrogate()) --n;
    text.truncate(n);
  }
  return text;
}

bool FromLibrary(int id, QString* text) {
  if (!g_loadText || id < 0) return false;
  std::array<char, 8192> buffer{};
  const int n = g_loadText(id, buffer.data(), static_cast<int>(buffer.size()));
  if (n <= 0) return false;
  const int len = n < static_cast<int>(buffer.size()) ? n : static_cast<int>(buffer.size()) - 1;
  *text = QString::fromUtf8(buffer.data(), len);
  return true;
}

template <typename T>
T Clamp(long long v, long long lo, long long hi) {
  return static_cast<T>(v < lo ? lo : (v > hi ? hi : v));
}

}  // namespace

bool LoadLanguageLibrary(const QString& path) {
  FreeLanguageLibrary();
  auto* lib = new QLibrary(path);
  if (!lib->load()) {
    delete lib;
    return false;
  }
  LanguageModule = lib;
  // Each count comes only through its own export; one that is missing, or that reports
  // nothing usable, counts as 1.
  int8_t languages = 1;
  int32_t texts = 1;
  if (auto maxLanguages = reinterpret_cast<MaxLanguagesFn>(lib->resolve(kMaxLanguagesExport)))
    maxLanguages(&languages);
  if (auto maxStrings = reinterpret_cast<MaxStringsFn>(lib->resolve(kMaxStringsExport))) maxStrings(&texts);
  LanguageCount = Clamp<int8_t>(languages, 1, kMaxLanguageCount);
  TextsPerLanguage = Clamp<int32_t>(texts, 1, kMaxTextsPerLanguage);
  g_loadText = reinterpret_cast<LoadTextFn>(lib->resolve(kLoadTextExport));
  return true;
}

void FreeLanguageLibrary() {
  g_loadText = nullptr;
  if (LanguageModule) {
    LanguageModule->unload();
    delete LanguageModule;
    LanguageModule = nullptr;
  }
  LanguageCount = 1;
  TextsPerLanguage = 1;
  CurrentLanguage = 0;
}

int LanguageTextId(int language, int k) {
  const long long id = static_cast<long long>(language) * TextsPerLanguage + k;
  return id < 0 || id > std::numeric_limits<int>::max() ? -1 : static_cast<int>(id);
}

QString OwnText(int id) {
  if (id < 0 || id >= kOwnTextCount) return {};
  const char* t = OwnTable()[static_cast<size_t>(id)];
  return t ? QString::fromUtf8(t) : QString();
}

bool LoadLanguageString(int id, QString* text, int bufferSize) {
  QString found;
  if (LanguageModule) {
    if (!FromLibrary(id, &found)) return false;
  } else {
    found = OwnText(id);
  }
  if (found.isEmpty() || bufferSize <= 1) return false;
  *text = CutToBuffer(found, bufferSize);
  return true;
}

bool ReadText(int k, QString* text, int bufferSize) {
  if (LoadLanguageString(LanguageTextId(CurrentLanguage, k), text, bufferSize)) return true;
  // A library that lacks the text: the program's own (Italian) text, as the layouts hold it.
  if (!LanguageModule) return false;
  const QString own = OwnText(k);
  if (own.isEmpty() || bufferSize <= 1) return false;
  *text = CutToBuffer(own, bufferSize);
  return true;
}

QString Tr(int k, int bufferSize) {
  QString text;
  ReadText(k, &text, bufferSize);
  return text;
}

bool TranslateCaption(QObject* control, int k, int bufferSize) {
  QString text;
  if (!control || !ReadText(k, &text, bufferSize)) return false;
  // Qt's fonts carry no character set: the text itself is Unicode, so LanguageCharset has no
  // font to go to.
  if (auto* a = qobject_cast<QAction*>(control)) {
    a->setText(text);
  } else if (auto* m = qobject_cast<QMenu*>(control)) {
    m->setTitle(text);
  } else if (auto* g = qobject_cast<QGroupBox*>(control)) {
    g->setTitle(text);
  } else if (auto* b = qobject_cast<QAbstractButton*>(control)) {
    b->setText(text);
  } else if (auto* l = qobject_cast<QLabel*>(control)) {
    l->setText(text);
  } else if (auto* w = qobject_cast<QWidget*>(control)) {
    w->setWindowTitle(text);
  } else {
    return false;
  }
  return true;
}

QString LanguageName(int language) {
  QString name;
  LoadLanguageString(LanguageTextId(language, 0), &name);
  return name;
}

int LanguageFromSetting(int stored) { return stored >= 0 && stored < LanguageCount ? stored : 0; }

int StrToIntStrict(const QString& text) {
  bool ok = false;
  const int v = text.toInt(&ok, 10);
  // toInt accepts surrounding blanks; a strict decimal conversion does not.
  if (!ok || text.trimmed() != text)
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text).toStdString());
  return v;
}

void ReadLanguageNumbers() {
  const int codePage = StrToIntStrict(Tr(2));
  const int charset = StrToIntStrict(Tr(1));
  LanguageCodePage = codePage;
  LanguageCharset = charset;
}

bool InstallQtTranslations(const QString& folder) {
  // The translator lives with the application object.
  static QPointer<QTranslator> installed;
  if (installed) {
    QCoreApplication::removeTranslator(installed);
    delete installed;
  }
  const QString locale = Tr(kLocaleText);
  if (locale.isEmpty() || !QCoreApplication::instance()) return false;
  auto* translator = new QTranslator(QCoreApplication::instance());
  const QString from = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
  if (!translator->load(QLocale(locale), QStringLiteral("qtbase"), QStringLiteral("_"), from) ||
      translator->isEmpty()) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  installed = translator;
  return true;
}
