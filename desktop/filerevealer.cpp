#include "filerevealer.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>

namespace
{

const QString Service = QStringLiteral("org.freedesktop.FileManager1");
const QString ObjectPath = QStringLiteral("/org/freedesktop/FileManager1");

} // namespace

FileRevealer::FileRevealer(FolderOpener openFolder, const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_openFolder(std::move(openFolder)), m_bus(bus)
{
}

QString FileRevealer::uriOf(const QString &path)
{
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

void FileRevealer::reveal(const QString &path)
{
    if (!m_bus.isConnected()) {
        openFolderOf(path);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(Service, ObjectPath, Service,
                                                       QStringLiteral("ShowItems"));
    // No startup id: we are not launching the file manager's window ourselves.
    call << QStringList{uriOf(path)} << QString();
    auto *watcher =
        new QDBusPendingCallWatcher(m_bus.asyncCall(call, ReplyMilliSeconds), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, path](QDBusPendingCallWatcher *answered) {
                answered->deleteLater();
                if (answered->isError()) {
                    openFolderOf(path);
                    return;
                }
                emit revealed(path, true);
            });
}

void FileRevealer::openFolderOf(const QString &path)
{
    if (m_openFolder)
        m_openFolder(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
    emit revealed(path, false);
}
