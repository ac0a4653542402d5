#pragma once

#include "frmmain.h"
#include "session/userseams.h"
#include "soundcommands.h"

#include <QStringList>
#include <QTemporaryDir>

// Keeps every command sent to the sound device.
class RecordingSound : public SoundCommands
{
public:
    QString send(const QString &command) override
    {
        commands.append(command);
        return {};
    }
    QStringList commands;
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
