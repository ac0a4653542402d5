#pragma once

#include "sound/soundcommands.h"

#include <QStringList>

// Records every command and plays a device that only reports what the test
// sets: a length and a position while something is open under the alias.
class RecordingSound : public SoundCommands
{
public:
    QString send(const QString &command) override
    {
        commands.append(command);
        if (command.startsWith(QLatin1String("open "))) {
            const QString path = command.mid(5, command.lastIndexOf(QLatin1String(" alias ")) - 5);
            if (!isOpen && !path.isEmpty())
                isOpen = true;
        } else if (command == QLatin1String("close sound")) {
            isOpen = false;
        } else if (command == QLatin1String("status sound length")) {
            return isOpen ? QString::number(lengthMs) : QString();
        } else if (command == QLatin1String("status sound position")) {
            return isOpen ? QString::number(positionMs) : QString();
        }
        if (onCommand)
            onCommand(command);
        return QString();
    }

    QStringList take()
    {
        QStringList taken = commands;
        commands.clear();
        return taken;
    }

    QStringList commands;
    bool isOpen = false;
    qint64 lengthMs = 0;
    qint64 positionMs = 0;
    std::function<void(const QString &)> onCommand;
};
