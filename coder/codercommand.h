#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// One run of the transcoder: what to start and the command line to show.
// The program and its arguments are handed to the process as they are, so
// no character of a user's path can change the command.
struct CoderCommand {
    QString program;
    QStringList arguments;
    QString commandLine; // display text only; never parsed to run the job
    QString output;      // the file the job writes

    // The export's option text for a target, chosen by the last three
    // characters of its name in any case; nothing for a format the export
    // does not offer.
    static std::optional<QString> exportOptionsFor(const QString &target);

    // Decodes source into the working file.
    static CoderCommand decode(const QString &appFolder, const QString &workFile,
                               const QString &source);
    // Removes what a coder with this process id left beside `output` when it
    // was killed before it could clean up; returns how many files went.
    static int removeLeftovers(const QString &output, qint64 pid);

    // Cuts length seconds from second begin of the working file into target;
    // nothing when the target's format is unknown.
    static std::optional<CoderCommand> exportRingtone(const QString &appFolder,
                                                      const QString &workFile, qint64 begin,
                                                      qint64 length, const QString &target);
};
