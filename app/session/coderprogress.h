#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>
#include <utility>

// Turns the transcoder's console output into a progress bar width and a
// percentage text.
namespace CoderProgress {

// The length in whole seconds from the first "Duration: h:m:s" of a line;
// nullopt when it holds none or the value is unreadable.
std::optional<int> parseDuration(const QString &line);

// The position in whole seconds from the first "time=" of a line; nullopt
// when it holds none.
std::optional<int> parsePosition(const QString &line);

// "18.0%", "2.43%", "25%": the percentage in its shortest decimal form, cut to
// four characters.
QString percentText(double percent);

// A path of 36 characters or more is shown in 35: the file's name whole, its
// folders cut in the middle ("/home/us…/music/song.mp3"), or "…/" and the
// name where the name alone is that long.
QString shortFileName(const QString &path);

// Seconds rounded to the nearest whole number, halves to even.
int roundSeconds(double seconds);

struct Bar {
    int widthTwips = 0;
    QString text;
    friend bool operator==(const Bar &, const Bar &) = default;
};

// The bar for position t of a job of `total` seconds on a bar `fullTwips`
// wide. total 0 (not known) or t past the end show the full bar and "100%".
Bar bar(int t, int total, int fullTwips);

// What a decode written while it is read tells of its working file, one
// whole line each (frames are samples per channel):
//   "growing rate=R channels=C data=D frames=N"  the header is on disk
//   "decoded=F-E"                                frames [F, E) are final
//   "decoded=withdrawn"                          all claimed so far is void
//   "decoded=all N"                              the file is whole
struct DecodeReport {
    enum class Kind { Growing, Stretch, Withdrawn, Complete };
    Kind kind = Kind::Stretch;
    int rate = 0;          // Growing
    int channels = 0;      // Growing
    qint64 dataStart = 0;  // Growing: byte offset of frame 0
    qint64 first = 0;      // Stretch
    qint64 end = 0;        // Stretch; Growing: frames expected (-1 unknown); Complete: frames
    friend bool operator==(const DecodeReport &, const DecodeReport &) = default;
};

// The report a line is, when it is exactly one of those forms.
std::optional<DecodeReport> parseDecodeReport(const QString &line);

} // namespace CoderProgress

// The progress of one coder job: the duration once the coder has told it, and
// the bar after each read of its output.
//
// How the output is cut into reads depends on the machine (a short job may
// arrive in one read, a busy machine hands it over byte by byte), so the
// output is read as lines, an unfinished line waiting for the next read. The
// coder echoes the file names it works on, and a name may hold any text: the
// length is taken only from the "Duration: " line of the input header and a
// position only from a progress line ("size=... time=...").
class CoderJobProgress
{
public:
    enum class Kind { Decode, Export };

    // A decode measures against the duration the coder reports; an export
    // against the length of the stretch being cut (the coder reports the
    // working file's length, which only tells whether progress is known).
    CoderJobProgress(Kind kind, int fullTwips, int stretchSeconds = 0)
        : m_kind(kind), m_fullTwips(fullTwips), m_stretch(stretchSeconds)
    {
    }

    // Takes one read; returns the bar for the last position it completed.
    std::optional<CoderProgress::Bar> take(const QString &chunk);
    // The job is over: a last line the coder did not end is read too.
    std::optional<CoderProgress::Bar> finish();
    // What a job that succeeded leaves behind.
    CoderProgress::Bar full() const { return {m_fullTwips, QStringLiteral("100%")}; }

    int coderDuration() const { return m_coderDuration; }
    // The decode reports read since the last call, in the order written.
    QList<CoderProgress::DecodeReport> takeReports() { return std::exchange(m_reports, {}); }

private:
    std::optional<CoderProgress::Bar> readLine(const QString &line);

    Kind m_kind;
    int m_fullTwips;
    int m_stretch;
    int m_coderDuration = 0;
    QString m_partial;      // the start of a line whose end has not come yet
    bool m_overlong = false; // the current line outgrew any the coder writes: skip to its end
    bool m_inInputHeader = false;
    bool m_headerSeen = false;
    QList<CoderProgress::DecodeReport> m_reports;
};
