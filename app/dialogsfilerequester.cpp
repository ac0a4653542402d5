#include "dialogsfilerequester.h"

#include "ccommondialogs.h"
#include "dialogerror.h"

std::optional<QString> DialogsFileRequester::askOpen(const QString &title, const QString &filter)
{
    m_dialogs.setFileName(QString());
    m_dialogs.setTitle(title);
    m_dialogs.setFilter(filter);
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
    m_dialogs.setFilter(filter);
    m_dialogs.setTitle(title);
    m_dialogs.setPath(folder);
    m_dialogs.setFileName(fileName);
    try {
        if (!m_dialogs.ShowSave())
            return std::nullopt;
    } catch (const DialogError &) {
        return std::nullopt;
    }
    return m_dialogs.FileName();
}
