#include "paths.h"

#include <QFileInfo>

QString ShortPath(const QString &path)
{
    if (path.isEmpty())
        return {};
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return {};
    return info.absoluteFilePath();
}

QString FolderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.left(slash + 1);
}
