#pragma once

// What /proc says of a process, and our own coder children: to see that a
// job left no coder running.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct ProcStat {
    QString name;
    char state = 'X';
    QString parent;
};

inline std::optional<ProcStat> procStat(int pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString text = QString::fromLatin1(stat.readAll());
    const qsizetype open = text.indexOf('('), close = text.lastIndexOf(')');
    const QStringList rest = text.mid(close + 2).split(' ');
    if (open < 0 || close < open || rest.size() < 2 || rest[0].isEmpty())
        return std::nullopt;
    return ProcStat{text.mid(open + 1, close - open - 1), rest[0].at(0).toLatin1(), rest[1]};
}

// Our own coder children, zombies included.
inline QList<int> coderChildren()
{
    QList<int> pids;
    const QString self = QString::number(QCoreApplication::applicationPid());
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool ok = false;
        const int pid = entry.toInt(&ok);
        if (!ok)
            continue;
        const std::optional<ProcStat> stat = procStat(pid);
        if (stat && stat->name == QLatin1String("coder") && stat->parent == self)
            pids << pid;
    }
    return pids;
}

