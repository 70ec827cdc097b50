// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The language a person reads: the windows, messages, help and reports. Files, records on standard
// output, exit codes and settings keys never change with it.

#include <QString>
#include <QStringList>

#include <memory>

class QTranslator;

namespace krx {

// The languages the program speaks; English is the texts as written in the code.
enum class Language { English, German };

// "de" or "en" (any case) to a language; false for anything else, `out` untouched.
bool ParseLanguage(const QString& code, Language& out);
QString LanguageCode(Language language);

// The system's language from the environment as gettext reads it: LC_ALL, LC_MESSAGES and LANG pick
// the locale (the first one set); under a locale other than C/POSIX, LANGUAGE's list of preferences
// comes first. The first entry the program speaks wins; none gives English.
struct LanguageEnvironment {
    QString language, lcAll, lcMessages, lang;
    static LanguageEnvironment FromProcess();
};
Language SystemLanguage(const LanguageEnvironment& environment);

// The language of this run: a command-line choice (when given), else the settings key Language
// ("de", "en"; empty or anything else: the system's), else the system's.
Language ChosenLanguage(const QString& commandLine, const QString& settingsValue, const LanguageEnvironment& environment);

// Loads the program's catalogue and the toolkit's own (qtbase) for `language` into the running
// application, replacing those of an earlier call. English loads nothing. Returns the files it
// could not find, so that a broken installation can be said rather than shown half-translated.
QStringList UseLanguage(Language language);
Language CurrentLanguage();

// Where the reports' language differs from the program's (key ReportLanguage: de, en, empty = the
// program's): while one of these lives, texts come in the report's language.
Language ReportLanguageSetting(Language programLanguage, const QString& settingsValue);
// The reports' language of this run, from the settings file.
Language ReportLanguage();
class LanguageScope {
public:
    explicit LanguageScope(Language language);
    ~LanguageScope();
    LanguageScope(const LanguageScope&) = delete;
    LanguageScope& operator=(const LanguageScope&) = delete;

private:
    Language previous_;
};

// The folders searched for krx738_<code>.qm: beside an installed program (../share/krx738/translations)
// and the build tree's.
QStringList CatalogueFolders();

}  // namespace krx
