#include "shelllinks.h"

#include "language.h"

#include <QCoreApplication>
#include <QDir>
#include <QUrlQuery>

namespace ShellLinks {

QString webAddress() { return QStringLiteral("https://kesmarin.example.com/"); }
QString friendAddress() { return QStringLiteral("friend@example.com"); }
QString supportAddress() { return QStringLiteral("support@kesmarin.example.com"); }

QString aboutText()
{
    return QCoreApplication::translate("ShellLinks", "Kesmarin 铃声制作 — 由 Kesmarin 开发者制作\n") + webAddress();
}

namespace {
QUrl mailto(const QString &address, const QList<std::pair<QString, QString>> &items)
{
    QUrlQuery query;
    // Spaces as %20 (a mail client does not read "+" as a blank) and every
    // character that has a meaning in a query encoded.
    for (const auto &[key, value] : items)
        query.addQueryItem(key, QString::fromUtf8(QUrl::toPercentEncoding(value)));
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    url.setPath(address);
    url.setQuery(query.query(QUrl::FullyEncoded), QUrl::StrictMode);
    return url;
}
} // namespace

QUrl tellAFriendUrl()
{
    const QString text = QStringLiteral("I ve made a ringtone by Kesmarin!");
    return mailto(friendAddress(),
                  {{QStringLiteral("subject"), text},
                   {QStringLiteral("body"),
                    text + QStringLiteral(" You can see more detail here: ") + webAddress()}});
}

QUrl feedbackUrl()
{
    return mailto(supportAddress(), {{QStringLiteral("subject"), QStringLiteral("Feedback/Bug Report")}});
}

QUrl helpUrl(const QString &applicationDir)
{
    return QUrl::fromLocalFile(Language::helpPage(QDir(applicationDir).filePath(QStringLiteral("help")),
                                                  Language::current()));
}

} // namespace ShellLinks
