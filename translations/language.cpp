#include "language.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

namespace Language {

namespace {
QString g_current;
}

void setCurrent(const QString &language)
{
    g_current = language;
}

QString current()
{
    return g_current;
}

QString choose(const QStringList &uiLanguages)
{
    // "zh", "zh-CN", "zh_TW", "zh-Hans-SG": every written Chinese reads the
    // program's own texts. Anything else, "C" and no language at all included,
    // reads English.
    const QString first = uiLanguages.isEmpty() ? QString() : uiLanguages.first();
    const bool chinese = first.compare(QLatin1String("zh"), Qt::CaseInsensitive) == 0
                      || first.startsWith(QLatin1String("zh-"), Qt::CaseInsensitive)
                      || first.startsWith(QLatin1String("zh_"), Qt::CaseInsensitive);
    return chinese ? QString() : QStringLiteral("en");
}

bool load(QTranslator &translator, const QString &language)
{
    if (language.isEmpty())
        return false;
    return translator.load(QStringLiteral(":/i18n/kesmarin_") + language + QStringLiteral(".qm"));
}

bool loadQt(QTranslator &translator, const QString &language, const QStringList &uiLanguages)
{
    // English sessions keep Qt's built-in English, whatever the desktop's
    // language, so a button never speaks another language than the window.
    if (!language.isEmpty())
        return false;
    const QString first = uiLanguages.isEmpty() ? QString() : uiLanguages.first();
    const bool traditional = first.contains(QLatin1String("Hant"), Qt::CaseInsensitive)
                          || first.contains(QLatin1String("TW"), Qt::CaseInsensitive)
                          || first.contains(QLatin1String("HK"), Qt::CaseInsensitive)
                          || first.contains(QLatin1String("MO"), Qt::CaseInsensitive);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (traditional && translator.load(QStringLiteral("qt_zh_TW"), folder))
        return true;
    return translator.load(QStringLiteral("qt_zh_CN"), folder);
}

QString start(const QStringList &uiLanguages)
{
    // Installed for the program's whole run.
    static QTranslator own;
    static QTranslator qt;
    QCoreApplication::removeTranslator(&own);
    QCoreApplication::removeTranslator(&qt);
    const QString language = choose(uiLanguages);
    setCurrent(language);
    if (load(own, language))
        QCoreApplication::installTranslator(&own);
    if (loadQt(qt, language, uiLanguages))
        QCoreApplication::installTranslator(&qt);
    return language;
}

QString helpPage(const QString &helpDir, const QString &language)
{
    if (!language.isEmpty()) {
        const QString translated = helpDir + u'/' + language + QStringLiteral("/index.html");
        if (QFileInfo::exists(translated))
            return translated;
    }
    return helpDir + QStringLiteral("/index.html");
}

} // namespace Language
