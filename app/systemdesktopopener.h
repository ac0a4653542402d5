#pragma once

#include "desktopopener.h"

// The desktop's own handler for folders, pages and mail links.
class SystemDesktopOpener : public DesktopOpener
{
public:
    bool openUrl(const QUrl &url) override;
};
