#include "paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {
QByteArray joined(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}
} // namespace

QByteArray LocalName(const QString &path)
{
    if (path.isEmpty())
        return {};
    const QString absolute = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    QByteArray resolved("/");
    for (const QString &part : absolute.split(u'/', Qt::SkipEmptyParts)) {
        if (!part.contains(QChar::ReplacementCharacter)) {
            resolved = joined(resolved, QFile::encodeName(part));
            continue;
        }
        // An entry whose name really holds U+FFFD reads the same too, and
        // counts as one more match.
        DIR *folder = ::opendir(resolved.constData());
        if (!folder)
            return {};
        QByteArray match;
        int matches = 0;
        while (const dirent *entry = ::readdir(folder)) {
            if (QFile::decodeName(entry->d_name) == part) {
                match = entry->d_name;
                ++matches;
            }
        }
        ::closedir(folder);
        if (matches != 1)
            return {};
        resolved = joined(resolved, match);
    }
    struct stat info {};
    return ::lstat(resolved.constData(), &info) == 0 ? resolved : QByteArray();
}

QString LinkForCoder(const QByteArray &target, const QString &linkBase)
{
    // The extension only when it is plain: it is all the coder needs of the name.
    QString link = linkBase;
    const qsizetype dot = target.lastIndexOf('.');
    const QByteArray extension = dot > target.lastIndexOf('/') ? target.mid(dot) : QByteArray();
    static const QRegularExpression plain(QStringLiteral("^\\.[A-Za-z0-9]{1,8}$"));
    if (plain.match(QString::fromLatin1(extension)).hasMatch())
        link += QString::fromLatin1(extension);
    const QByteArray linkName = QFile::encodeName(link);
    ::unlink(linkName.constData());
    if (::symlink(target.constData(), linkName.constData()) != 0)
        return {};
    return link;
}
