#pragma once

#include "filerequester.h"

#include <QCoreApplication>
#include <QStringList>

class CCommonDialogs;

// Asks through the main window's one common-dialog object. The open dialog
// offers, after the caller's types, one entry of every type the program
// opens; the save dialog comes back, for the program's run, on the type last
// saved.
class DialogsFileRequester : public FileRequester
{
    Q_DECLARE_TR_FUNCTIONS(DialogsFileRequester)

public:
    explicit DialogsFileRequester(CCommonDialogs &dialogs) : m_dialogs(dialogs) {}

    std::optional<QString> askOpen(const QString &title, const QString &filter) override;
    // `fileName` is suggested in the name box, with the extension of the
    // type last saved in place of its own.
    std::optional<QString> askSave(const QString &title, const QString &filter,
                                   const QString &fileName, const QString &folder) override;

    // The extensions the coder opens, lower case.
    static QStringList openedExtensions();
    // `filter` with the entry of every opened type added at its end.
    static QString withEveryOpenedType(const QString &filter);

private:
    CCommonDialogs &m_dialogs;
    QString m_lastSavedSuffix;
};
