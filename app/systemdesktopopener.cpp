#include "systemdesktopopener.h"

#include <QDesktopServices>

bool SystemDesktopOpener::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}
