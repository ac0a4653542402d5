#pragma once

#include "desktopopener.h"
#include "filerevealer.h"

#include <QCoreApplication>

class UserPrompt;

// The desktop's own handler for folders, pages and mail links; a saved file
// is shown selected by the file manager over D-Bus. When the desktop has no
// handler (no browser, no mail program, no file manager) the user is told,
// with the address or the file named so it can be opened by hand.
class SystemDesktopOpener : public DesktopOpener
{
    Q_DECLARE_TR_FUNCTIONS(SystemDesktopOpener)

public:
    explicit SystemDesktopOpener(UserPrompt &prompt) : m_prompt(prompt) {}

    bool openUrl(const QUrl &url) override;
    void showFile(const QString &path) override;

    // What the user reads when nothing on the desktop opened `url`.
    static QString failureText(const QUrl &url);

private:
    UserPrompt &m_prompt;
    FileRevealer m_revealer{[this](const QUrl &folder) { return openUrl(folder); }};
};
