#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

// Fades and level of an export: fade-in and fade-out lengths (0 to 10 s)
// and whether the stretch's peak is brought to -1 dBFS.
struct FadeLevel {
    static constexpr qint32 MaxFadeMs = 10000;
    static constexpr double NormalisedPeakDb = -1.0;

    qint32 fadeInMs = 0;
    qint32 fadeOutMs = 0;
    bool normalise = false;
    // The export's loudness target in LUFS (-70 to -5), measured on the
    // encoded file with a true-peak ceiling; 0: off. It takes the place of
    // normalise.
    qint16 loudnessLufs = 0;

    bool isNeutral() const { return fadeInMs <= 0 && fadeOutMs <= 0 && !normalise; }
    friend bool operator==(const FadeLevel &, const FadeLevel &) = default;
};

// A stretch of the working file in milliseconds.
struct Stretch {
    qint64 beginMs = 0;
    qint64 lengthMs = 0;
};

// One run of the transcoder: what to start and the command line to show.
// The program and its arguments are handed to the process as they are, so
// no character of a user's path can change the command.
struct CoderCommand {
    QString program;
    QStringList arguments;
    QString commandLine; // display text only; never parsed to run the job
    QString output;      // the file the job writes
    // Runs below the window's priority: a decode the window reads as it
    // grows must never keep the window from its turn.
    bool background = false;

    // The export's option text for a target, chosen by the last three
    // characters of its name in any case; nothing for a format the export
    // does not offer.
    static std::optional<QString> exportOptionsFor(const QString &target);

    // Decodes source into the working file; `growing`, in place, for
    // readers of the file while it is written, with the decoded stretches
    // on the coder's progress output.
    static CoderCommand decode(const QString &appFolder, const QString &workFile,
                               const QString &source, bool growing = false);
    // Removes what a coder with this process id left beside `output` when it
    // was killed before it could clean up; returns how many files went.
    static int removeLeftovers(const QString &output, qint64 pid);

    // Cuts length seconds from second begin of the working file into target;
    // nothing when the target's format is unknown.
    static std::optional<CoderCommand> exportRingtone(const QString &appFolder,
                                                      const QString &workFile, qint64 begin,
                                                      qint64 length, const QString &target);
    // The same for a stretch in milliseconds ("-ss 10.25 -t 10.5"; whole
    // seconds are written as before), filtered by a libavfilter graph when
    // one is given ("-af GRAPH" just before the target), and brought to an
    // integrated loudness in LUFS when one is given ("-loudness -14").
    static std::optional<CoderCommand> exportRingtone(const QString &appFolder,
                                                      const QString &workFile, Stretch stretch,
                                                      const QString &target,
                                                      const QString &filterGraph = {},
                                                      std::optional<double> loudness = {});
    // Measures the stretch's peak after the given filters; the job prints
    // "max_volume: X dB" and writes nothing.
    static CoderCommand measurePeak(const QString &appFolder, const QString &workFile,
                                    Stretch stretch, const QString &filterGraph = {});

    // Milliseconds as the coder's seconds: "10", "10.25", "0.001".
    static QString secondsText(qint64 milliSeconds);
    // The graph of the fades ("afade=t=in:d=1.5,afade=t=out:st=9:d=1.5") and,
    // when a gain is given, "volume=3.25dB" after them; empty when neutral.
    // Each fade is cut to the stretch's length.
    static QString filterGraph(const FadeLevel &fades, qint64 lengthMs,
                               std::optional<double> gainDb = std::nullopt);
    // The peak a measuring job printed, in dB below full scale: -inf for
    // silence, nothing when the output holds no such line.
    static std::optional<double> maxVolume(const QString &output);
    // The gain that brings a peak to -1 dBFS; none for silence, where no
    // gain can help.
    static std::optional<double> normalisingGain(double peakDb);
};
