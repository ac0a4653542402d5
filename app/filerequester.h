#pragma once

#include <QString>

#include <optional>

class CCommonDialogs;

// Asks the user for a file to open or a target to save to. The program goes
// through the one dialog object; unit tests answer from a script.
class FileRequester
{
public:
    virtual ~FileRequester() = default;
    // The chosen path; nullopt when the user cancelled.
    virtual std::optional<QString> askOpen(const QString &title, const QString &filter) = 0;
    // The save dialog starts in `folder`.
    virtual std::optional<QString> askSave(const QString &title, const QString &filter,
                                           const QString &fileName, const QString &folder) = 0;
};

class DialogsFileRequester : public FileRequester
{
public:
    explicit DialogsFileRequester(CCommonDialogs &dialogs) : m_dialogs(dialogs) {}

    std::optional<QString> askOpen(const QString &title, const QString &filter) override;
    std::optional<QString> askSave(const QString &title, const QString &filter,
                                   const QString &fileName, const QString &folder) override;

private:
    CCommonDialogs &m_dialogs;
};
