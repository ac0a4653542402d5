#include "dialogsfilerequester.h"

#include "ccommondialogs.h"
#include "dialogerror.h"
#include "filetypelist.h"

#include <QFileInfo>

QStringList DialogsFileRequester::openedExtensions()
{
    return {QStringLiteral("mp3"),  QStringLiteral("wma"),  QStringLiteral("wav"),
            QStringLiteral("amr"),  QStringLiteral("wmv"),  QStringLiteral("avi"),
            QStringLiteral("mpg"),  QStringLiteral("m4a"),  QStringLiteral("m4r"),
            QStringLiteral("aac"),  QStringLiteral("flac"), QStringLiteral("ogg"),
            QStringLiteral("opus"), QStringLiteral("webm"), QStringLiteral("mkv"),
            QStringLiteral("mp4"),  QStringLiteral("mov")};
}

QString DialogsFileRequester::withEveryOpenedType(const QString &filter)
{
    QStringList patterns;
    for (const QString &extension : openedExtensions())
        patterns.append(QStringLiteral("*.") + extension);
    return filter + u'|' + tr("Kesmarin 能打开的全部类型") + u'|' + patterns.join(u';');
}

std::optional<QString> DialogsFileRequester::askOpen(const QString &title, const QString &filter)
{
    m_dialogs.setFileName(QString());
    m_dialogs.setTitle(title);
    m_dialogs.setFilter(withEveryOpenedType(filter));
    try {
        if (!m_dialogs.ShowOpen())
            return std::nullopt;
    } catch (const DialogError &) {
        // A dialog that cannot be shown is a cancelled one: the command stops.
        return std::nullopt;
    }
    return m_dialogs.FileName();
}

std::optional<QString> DialogsFileRequester::askSave(const QString &title, const QString &filter,
                                                     const QString &fileName,
                                                     const QString &folder)
{
    const FileTypeList types(filter);
    // The type whose extension a name has; -1 when none offered has it.
    const auto typeOf = [&types](const QString &suffix) {
        for (int i = 0; i < types.types().size(); ++i) {
            if (!suffix.isEmpty() && types.suffixOf(i).compare(suffix, Qt::CaseInsensitive) == 0)
                return i;
        }
        return -1;
    };
    const QFileInfo suggested(fileName);
    QString name = fileName;
    int type = typeOf(m_lastSavedSuffix);
    if (type < 0)
        type = typeOf(suggested.suffix());
    if (type >= 0 && typeOf(suggested.suffix()) >= 0)
        name = suggested.completeBaseName() + u'.' + types.suffixOf(type);

    m_dialogs.setFilter(filter);
    m_dialogs.setTitle(title);
    m_dialogs.setPath(folder);
    m_dialogs.setFileName(fileName);
    m_dialogs.setSuggestedName(name);
    m_dialogs.setFilterIndex(type + 1);
    try {
        if (!m_dialogs.ShowSave())
            return std::nullopt;
    } catch (const DialogError &) {
        return std::nullopt;
    }
    // A name typed with another type's extension saves as that type.
    const QString chosen = m_dialogs.FileName();
    const int saved = typeOf(QFileInfo(chosen).suffix());
    m_lastSavedSuffix = types.suffixOf(saved >= 0 ? saved : m_dialogs.FilterIndex() - 1);
    return chosen;
}
