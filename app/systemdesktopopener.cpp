#include "systemdesktopopener.h"

#include <QDesktopServices>

bool SystemDesktopOpener::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

void SystemDesktopOpener::showFile(const QString &path)
{
    m_revealer.reveal(path);
}
