#pragma once

#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QThread>

#include <optional>

// A process's name, state and parent from /proc, or nothing once it is reaped.
struct ProcStat {
    QString name;
    char state = 'X';
    QString parent;

    bool isGone() const { return state == 'Z' || state == 'X'; }
};

inline std::optional<ProcStat> procStat(qint64 pid)
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

// The children of parent named name, zombies included.
inline QList<int> childrenNamed(qint64 parent, const QString &name)
{
    QList<int> pids;
    const QString parentText = QString::number(parent);
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool ok = false;
        const int pid = entry.toInt(&ok);
        if (!ok)
            continue;
        const std::optional<ProcStat> stat = procStat(pid);
        if (stat && stat->name == name && stat->parent == parentText)
            pids << pid;
    }
    return pids;
}

// Whether a process has stopped on SIGSTOP (true), or ended (false).
inline bool isHeld(qint64 pid)
{
    for (;;) {
        const std::optional<ProcStat> stat = procStat(pid);
        if (!stat || stat->isGone())
            return false;
        if (stat->state == 'T')
            return true;
        QThread::yieldCurrentThread(); // the stop is on its way
    }
}
