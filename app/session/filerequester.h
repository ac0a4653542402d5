#pragma once

#include <QString>

#include <optional>

// Asks the user for a file to open or a target to save to. The windows go
// through the one common-dialog object; tests answer from a script.
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
