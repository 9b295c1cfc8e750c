#pragma once
// Texts of the user interface in the current language. Every form reads its texts here: text k
// of the current language has the id CurrentLanguage x TextsPerLanguage + k in the language
// library; without the library (or when it lacks a text) the program's own table, which holds
// language 0 (Italian) under id = k, gives it. Text 0 of a language is its name, text 1 its
// font character set and text 2 its code page, both in decimal. Text 4 names the language's
// locale ("it", "en"), by which Qt's own translations for it are found.
#include <QString>
#include <cstdint>
#include <stdexcept>

class QLibrary;
class QObject;

// Texts are cut to the buffer size less one, as in a 255-byte buffer unless a form says less.
constexpr int kTextBufferSize = 255;
// A stored language or a language count beyond this is out of range.
constexpr int kMaxLanguageCount = 127;
// Keeps every text id within a 32-bit integer.
constexpr int32_t kMaxTextsPerLanguage = 1 << 24;

extern QLibrary* LanguageModule;  // the language library; null when missing
extern int8_t LanguageCount;      // 1 .. 127
extern int32_t TextsPerLanguage;  // at least 1
extern int CurrentLanguage;       // 0 .. LanguageCount - 1
extern int LanguageCharset;       // text 1 of the current language
extern int LanguageCodePage;      // text 2 of the current language

// A text that is not a decimal integer (the class library's conversion error).
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Loads the language library and asks it for its counts, each through its own export (a
// missing export counts as 1). Counts below 1 become 1 and are capped at kMaxLanguageCount
// languages and kMaxTextsPerLanguage texts. Without the library both counts are 1. Returns
// whether the library was loaded.
bool LoadLanguageLibrary(const QString& path);
// Frees the library; the program's own table serves every text afterwards.
void FreeLanguageLibrary();

// The id of text k of a language.
int LanguageTextId(int language, int k);
// Text id from the library, or from the program's own table when the library is missing
// (the platform's string look-up). False when the text does not exist or is empty.
bool LoadLanguageString(int id, QString* text, int bufferSize = kTextBufferSize);
// Text id of the program's own table; empty when it has none.
QString OwnText(int id);

// Text k of the current language; false (and *text untouched) when there is none.
bool ReadText(int k, QString* text, int bufferSize = kTextBufferSize);
// Text k of the current language, or an empty text.
QString Tr(int k, int bufferSize = kTextBufferSize);
// Sets the caption of a control (label, button, group box, check box, menu, action, window
// title) to text k when it exists; otherwise the caption stays. Returns whether it changed.
bool TranslateCaption(QObject* control, int k, int bufferSize = kTextBufferSize);
// The name of language i (its text 0), for the language menu; empty when missing.
QString LanguageName(int language);

// The language of a stored index: the index when 0 <= index < LanguageCount, else 0.
int LanguageFromSetting(int stored);
// Reads text 2 into LanguageCodePage and text 1 into LanguageCharset, each strictly decimal;
// throws EConvertError when either is missing or not a number (nothing changes then).
void ReadLanguageNumbers();
// Optional sign and decimal digits, nothing else; throws EConvertError otherwise.
int StrToIntStrict(const QString& text);

// Text number of a language's locale name.
constexpr int kLocaleText = 4;
// Puts Qt's own translations (qtbase_<locale>.qm in folder, by default the Qt installation's
// translations folder) for the current language in place of those of the language before, so
// the buttons of message boxes and Qt's dialogs follow the language. A language whose locale
// Qt has no translations for (English) leaves Qt's own texts. Returns whether a translation is
// now installed.
bool InstallQtTranslations(const QString& folder = QString());
