#pragma once

#include <QProcess>
#include <QTemporaryDir>

// The real program, on the offscreen platform, with its own cache and
// configuration folders below home.
struct ProgramInstance {
    QProcess process;

    explicit ProgramInstance(const QTemporaryDir &home, const QStringList &arguments = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("KESMARIN_AUDIO"), QStringLiteral("silent"));
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(QStringLiteral(KESMARIN_BUILD_DIR "/kesmarin"), arguments);
    }
    ~ProgramInstance()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(30000);
        }
    }
};
