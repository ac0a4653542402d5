#pragma once

#include <QString>

#include <optional>

// Reads the transcoder's console output one chunk at a time and turns it into
// a progress bar width and a percentage text. Each chunk is scanned by itself:
// nothing is carried over, so a value split between two chunks is read from
// what the chunk holds.
namespace CoderProgress {

// The length in whole seconds from the first "Duration: h:m:s" of the chunk;
// nullopt when the chunk holds none or the value is unreadable.
std::optional<int> parseDuration(const QString &chunk);

// The position in whole seconds from the first "time=" of the chunk; nullopt
// when the chunk holds none.
std::optional<int> parsePosition(const QString &chunk);

// "18.0%", "2.43%", "25%": the percentage in its shortest decimal form, cut to
// four characters.
QString percentText(double percent);

// A path of 36 characters or more is shown as its first 32 and "...".
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

} // namespace CoderProgress

// The progress of one coder job: the duration once the coder has told it, and
// the bar after each chunk.
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

    // Takes one chunk; returns the new bar when the chunk held a position.
    std::optional<CoderProgress::Bar> take(const QString &chunk);

    int coderDuration() const { return m_coderDuration; }

private:
    Kind m_kind;
    int m_fullTwips;
    int m_stretch;
    int m_coderDuration = 0;
};
