#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// What the coder found when it read a written file back: the "Read back:"
// block it prints at the end of a job, and for `coder -probe FILE`.
struct SavedFile {
    QString container;
    QString codec; // libavcodec's name: "aac", "mp3", "pcm_s16le", ...
    int rate = 0;
    int channels = 0;
    qint64 samples = 0;
    qint64 frame = 1; // one codec frame in samples
    std::optional<QString> title;

    // The last block in a job's output; nothing when there is none or it is
    // incomplete, which a check takes as a file that did not read back.
    static std::optional<SavedFile> fromOutput(const QString &output);

    double seconds() const { return rate > 0 ? double(samples) / rate : 0.0; }
    // Whether the file lasts `expected` seconds give or take one codec frame.
    bool lasts(double expectedSeconds) const;

    // For people: "AAC", "MP3", "Vorbis"; and "44.1 kHz", "8 kHz".
    QString codecName() const;
    QString rateText() const;
};
