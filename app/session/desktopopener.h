#pragma once

#include <QString>
#include <QUrl>

// Hands a folder, a page or a mail link to the desktop. The windows supply
// the real one; tests record the requests instead of starting a browser.
class DesktopOpener
{
public:
    virtual ~DesktopOpener() = default;
    virtual bool openUrl(const QUrl &url) = 0;
    // Shows a saved file selected in the file manager, or at least its folder.
    virtual void showFile(const QString &path) = 0;
};
