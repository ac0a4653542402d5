#pragma once

#include "desktopopener.h"
#include "filerevealer.h"

// The desktop's own handler for folders, pages and mail links; a saved file
// is shown selected by the file manager over D-Bus.
class SystemDesktopOpener : public DesktopOpener
{
public:
    bool openUrl(const QUrl &url) override;
    void showFile(const QString &path) override;

private:
    FileRevealer m_revealer{[this](const QUrl &folder) { return openUrl(folder); }};
};
