#include "workingfolder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

WorkingFolder::WorkingFolder(const QString &base)
{
    const QString parent =
        base.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::CacheLocation) : base;
    QDir().mkpath(parent);
    // QTemporaryDir creates the folder with mode 0700 and a random name.
    m_dir = std::make_unique<QTemporaryDir>(parent + QStringLiteral("/work-XXXXXX"));
    m_dir->setAutoRemove(false);
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
    m_dir->remove();
}
