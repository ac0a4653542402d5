#pragma once

#include <QUrl>

// Hands a folder, a page or a mail link to the desktop. The windows supply
// the real one; tests record the requests instead of starting a browser.
class DesktopOpener
{
public:
    virtual ~DesktopOpener() = default;
    virtual bool openUrl(const QUrl &url) = 0;
};
