#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

// Shows a file selected in the desktop's file manager
// (org.freedesktop.FileManager1.ShowItems on the session bus); when no file
// manager answers, opens the file's folder instead.
class FileRevealer : public QObject
{
    Q_OBJECT

public:
    using FolderOpener = std::function<bool(const QUrl &folder)>;
    // How long a file manager that owns the name may take to answer.
    static constexpr int ReplyMilliSeconds = 3000;

    explicit FileRevealer(FolderOpener openFolder,
                          const QDBusConnection &bus = QDBusConnection::sessionBus(),
                          QObject *parent = nullptr);

    // Returns at once; `revealed` tells how it went.
    void reveal(const QString &path);

    // The URI a file manager is given: absolute and fully percent-encoded.
    static QString uriOf(const QString &path);

signals:
    void revealed(const QString &path, bool byFileManager);

private:
    void openFolderOf(const QString &path);

    FolderOpener m_openFolder;
    QDBusConnection m_bus;
};
