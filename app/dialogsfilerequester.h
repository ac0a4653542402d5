#pragma once

#include "filerequester.h"

class CCommonDialogs;

// Asks through the main window's one common-dialog object.
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
