#include "language.h"

#include <QFileInfo>
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
