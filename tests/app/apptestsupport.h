#pragma once

#include "frmmain.h"
#include "session/userseams.h"
#include "soundcommands.h"

#include <QStringList>
#include <QTemporaryDir>

// Keeps every command sent to the sound device. While something is open it
// answers the poll with the length and position a test gives (none: no answer).
class RecordingSound : public SoundCommands
{
public:
    QString send(const QString &command) override
    {
        commands.append(command);
        if (command.startsWith(QStringLiteral("open ")))
            isOpen = true;
        else if (command == QStringLiteral("close sound"))
            isOpen = false;
        else if (isOpen && lengthMs > 0 && command == QStringLiteral("status sound length"))
            return QString::number(lengthMs);
        else if (isOpen && lengthMs > 0 && command == QStringLiteral("status sound position"))
            return QString::number(positionMs);
        return {};
    }
    QStringList commands;
    bool isOpen = false;
    qint64 lengthMs = 0;
    qint64 positionMs = 0;
    // What was sent besides the poll's status questions.
    QStringList actions() const
    {
        QStringList list;
        for (const QString &command : commands) {
            if (!command.startsWith(QStringLiteral("status ")))
                list.append(command);
        }
        return list;
    }
};

// One main window with its own settings and cache folders, a scripted
// prompt and a recorded sound device; the program's end is counted.
struct MainWindowFixture {
    QTemporaryDir home;
    ScriptedPrompt prompt;
    RecordingSound sound;
    int ends = 0;

    QString setupPath() const { return home.filePath(QStringLiteral("config/setup.ini")); }
    QString cacheBase() const { return home.filePath(QStringLiteral("cache")); }

    frmMain::Environment environment(std::optional<ScreenScale> scale = ScreenScale())
    {
        frmMain::Environment env;
        env.prompt = &prompt;
        env.sound = &sound;
        env.setupPath = setupPath();
        env.cacheBase = cacheBase();
        env.scale = scale;
        env.endProgram = [this] { ++ends; };
        return env;
    }
};
