#include "workingfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
const QString Pattern = QStringLiteral("work-XXXXXX");
const QString Match = QStringLiteral("work-*");
const QString LockName = QStringLiteral("instance.lock");

// A lock that only a dead process loses: by default a lock untouched for 30 s
// is also stale, and where the file system keeps no flock (NFS homes) nothing
// else would then keep a running instance's folder from the sweep.
std::unique_ptr<QLockFile> lockFor(const QString &folder)
{
    auto lock = std::make_unique<QLockFile>(folder + u'/' + LockName);
    lock->setStaleLockTime(0);
    return lock;
}
// Where and why a folder cannot be made: mkpath keeps no reason, so the
// first missing part of it is made by hand to learn one.
QString whyNotMade(const QString &folder)
{
    QString missing = QDir::cleanPath(QDir::current().absoluteFilePath(folder));
    while (true) {
        const QString above = QFileInfo(missing).path();
        if (above == missing || QFileInfo::exists(above))
            break;
        missing = above;
    }
    const QByteArray name = QFile::encodeName(missing);
    if (::mkdir(name.constData(), 0700) == 0) {
        ::rmdir(name.constData()); // made by someone meanwhile; no reason to give
        return folder + QStringLiteral(": cannot be made");
    }
    return missing + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
}
} // namespace

WorkingFolder::WorkingFolder(const QString &base)
{
    const QString parent =
        base.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::CacheLocation) : base;
    if (parent.isEmpty()) {
        m_error = QStringLiteral("the user's cache folder is unknown");
        return;
    }
    if (!QDir().mkpath(parent)) {
        m_error = whyNotMade(parent);
        return;
    }
    sweep(parent);
    // Another instance's sweep may take a folder between its making and its
    // lock (it has no lock yet, so it looks abandoned): then it is being
    // removed, and a new one is made.
    for (int attempt = 0; attempt < 8; ++attempt) {
        // QTemporaryDir creates the folder with mode 0700 and a random name.
        auto dir = std::make_unique<QTemporaryDir>(parent + u'/' + Pattern);
        dir->setAutoRemove(false);
        if (!dir->isValid()) {
            m_error = parent + QStringLiteral(": ") + dir->errorString();
            return;
        }
        auto lock = lockFor(dir->path());
        const bool locked = lock->tryLock(0);
        if (!locked && lock->error() == QLockFile::LockFailedError)
            continue;
        // A file system that cannot hold the lock still gets a working folder;
        // it is only not swept after a crash.
        m_dir = std::move(dir);
        if (locked)
            m_lock = std::move(lock);
        return;
    }
    m_error = parent + QStringLiteral(": every new folder was taken by another instance");
}

WorkingFolder::~WorkingFolder() = default;

bool WorkingFolder::isValid() const
{
    return m_dir && m_dir->isValid();
}

QString WorkingFolder::path() const
{
    return isValid() ? m_dir->path() : QString();
}

QString WorkingFolder::workingFile() const
{
    return isValid() ? m_dir->filePath(QStringLiteral("open.wav")) : QString();
}

void WorkingFolder::remove()
{
    if (!isValid())
        return;
    QFile::remove(workingFile());
    if (m_lock)
        m_lock->unlock();
    m_dir->remove();
}

int WorkingFolder::sweep(const QString &parent)
{
    int removed = 0;
    const QFileInfoList entries = QDir(parent).entryInfoList(
        {Match}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        // Never follow a link out of the cache.
        if (entry.isSymLink())
            continue;
        const QString folder = entry.absoluteFilePath();
        auto lock = lockFor(folder);
        if (!lock->tryLock(0))
            continue; // a running instance, or a folder this user cannot lock
        // Holding the lock, clear everything else, then let the lock go with
        // the folder.
        QDir contents(folder);
        for (const QFileInfo &item :
             contents.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            if (item.fileName() == LockName)
                continue;
            if (item.isDir() && !item.isSymLink())
                QDir(item.absoluteFilePath()).removeRecursively();
            else
                QFile::remove(item.absoluteFilePath());
        }
        lock->unlock();
        removed += QDir().rmdir(folder) ? 1 : 0;
    }
    return removed;
}
