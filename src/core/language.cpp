// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/language.h"

#include "core/settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

#include <vector>

#ifndef KRX_BUILD_TRANSLATIONS
#define KRX_BUILD_TRANSLATIONS ""
#endif

namespace krx {

namespace {
Language g_current = Language::English;
std::vector<std::unique_ptr<QTranslator>> g_loaded;

// "de_DE.UTF-8@euro" → "de"; "C", "POSIX" and "" → "".
QString LanguageOf(const QString& locale)
{
    const QString name = locale.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    if (name == QLatin1String("C") || name == QLatin1String("POSIX"))
        return {};
    return name.section(QLatin1Char('_'), 0, 0).section(QLatin1Char('-'), 0, 0).toLower();
}

void Unload()
{
    for (auto& t : g_loaded)
        QCoreApplication::removeTranslator(t.get());
    g_loaded.clear();
}

// Unloads and loads again; the files that were not found are returned.
QStringList Load(Language language)
{
    Unload();
    g_current = language;
    QStringList missing;
    if (language == Language::English || !QCoreApplication::instance())
        return missing;
    const QString code = LanguageCode(language);
    auto own = std::make_unique<QTranslator>();
    bool found = false;
    for (const QString& folder : CatalogueFolders())
        if (own->load(QStringLiteral("krx738_") + code, folder)) {
            found = true;
            break;
        }
    if (found) {
        QCoreApplication::installTranslator(own.get());
        g_loaded.push_back(std::move(own));
    } else {
        missing << QStringLiteral("krx738_%1.qm").arg(code);
    }
    auto toolkit = std::make_unique<QTranslator>();
    if (toolkit->load(QStringLiteral("qtbase_") + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(toolkit.get());
        g_loaded.push_back(std::move(toolkit));
    } else {
        missing << QStringLiteral("qtbase_%1.qm").arg(code);
    }
    return missing;
}
}  // namespace

bool ParseLanguage(const QString& code, Language& out)
{
    const QString c = code.trimmed().toLower();
    if (c == QLatin1String("de")) {
        out = Language::German;
        return true;
    }
    if (c == QLatin1String("en")) {
        out = Language::English;
        return true;
    }
    return false;
}

QString LanguageCode(Language language)
{
    return language == Language::German ? QStringLiteral("de") : QStringLiteral("en");
}

LanguageEnvironment LanguageEnvironment::FromProcess()
{
    return {qEnvironmentVariable("LANGUAGE"), qEnvironmentVariable("LC_ALL"), qEnvironmentVariable("LC_MESSAGES"),
            qEnvironmentVariable("LANG")};
}

Language SystemLanguage(const LanguageEnvironment& e)
{
    QString locale;
    for (const QString* v : {&e.lcAll, &e.lcMessages, &e.lang})
        if (!v->isEmpty()) {
            locale = *v;
            break;
        }
    const QString base = LanguageOf(locale);
    if (base.isEmpty())
        return Language::English;  // no locale, or C: gettext ignores LANGUAGE there as well
    QStringList wishes = e.language.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    wishes << locale;
    for (const QString& wish : wishes) {
        Language l;
        if (ParseLanguage(LanguageOf(wish), l))
            return l;
    }
    return Language::English;
}

Language ChosenLanguage(const QString& commandLine, const QString& settingsValue, const LanguageEnvironment& environment)
{
    Language l;
    if (ParseLanguage(commandLine, l) || ParseLanguage(settingsValue, l))
        return l;
    return SystemLanguage(environment);
}

QStringList UseLanguage(Language language)
{
    return Load(language);
}

Language CurrentLanguage()
{
    return g_current;
}

Language ReportLanguageSetting(Language programLanguage, const QString& settingsValue)
{
    Language l;
    return ParseLanguage(settingsValue, l) ? l : programLanguage;
}

Language ReportLanguage()
{
    return ReportLanguageSetting(g_current, CurrentSettingsPlaces().Read(QStringLiteral("ReportLanguage"), QString()));
}

LanguageScope::LanguageScope(Language language) : previous_(g_current)
{
    if (language != previous_)
        Load(language);
}

LanguageScope::~LanguageScope()
{
    if (g_current != previous_)
        Load(previous_);
}

QStringList CatalogueFolders()
{
    QStringList folders;
    if (QCoreApplication::instance())
        folders << QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/krx738/translations"));
    const QString built = QStringLiteral(KRX_BUILD_TRANSLATIONS);
    if (!built.isEmpty())
        folders << built;
    return folders;
}

}  // namespace krx
