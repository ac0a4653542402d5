#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

class QTextStream;

// kesmarin --best-part FILE [-o OUT] [--length S] [--loudness LUFS]
// Decodes FILE with the coder into a private working file, prints the
// suggested stretch as "BEGIN END" (HH:MM:SS.mmm), and with -o exports that
// stretch as the window's Save does: the settings' fades and level, or the
// loudness target given, in the format of OUT's extension.
class BestPartCommand
{
public:
    struct Options {
        QString input;
        QString output;
        qint64 lengthMs = 30000;
        std::optional<double> loudness;
    };

    static bool isCommand(int argc, char *argv[]);
    // The program's entry for the command: a console application with the
    // user's language, the coder beside the program and the user's settings.
    static int main(int argc, char *argv[]);
    // Nothing, with the reason in error, for a command line it cannot take.
    static std::optional<Options> parse(const QStringList &arguments, QString &error);
    // "HH:MM:SS.mmm".
    static QString timeText(qint64 milliSeconds);

    // The whole command; returns the exit code. appFolder holds data/coder;
    // setupPath is the settings file whose fades and level an export takes.
    static int run(const QStringList &arguments, const QString &appFolder,
                   const QString &setupPath, QTextStream &out, QTextStream &err);
};
