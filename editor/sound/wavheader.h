#pragma once

#include <QtGlobal>

#include <algorithm>
#include <optional>

class QIODevice;

// What a WAV file's "fmt " chunk says, as written; whether it is a format
// worth reading is left to each reader.
struct WavFormat
{
    static constexpr quint16 Pcm = 1;
    static constexpr quint16 Float = 3;

    // The plain tag: for WAVE_FORMAT_EXTENSIBLE, the one its sub-format names.
    quint16 tag = 0;
    bool extensible = false;
    // Bytes the chunk declares (16 for the plain form, 40 for the full
    // extensible one).
    quint32 chunkSize = 0;
    int channels = 0;
    quint32 sampleRate = 0;
    int blockAlign = 0;
    int bits = 0;
};

struct WavHeader
{
    WavFormat format;
    qint64 dataOffset = 0;
    // True for RF64, the 64-bit form a writer switches to past 4 GB.
    bool rf64 = false;
    // The "data" size as written (for RF64, the one its "ds64" chunk holds):
    // writers that cannot seek back leave 0 or 0xFFFFFFFF, and files get cut
    // short, so it may claim more than there is.
    qint64 declaredDataSize = 0;
    // Bytes from the data offset to the end of the file.
    qint64 dataToEnd = 0;

    // The declared size, clipped to the file.
    qint64 dataSize() const { return std::min<qint64>(declaredDataSize, dataToEnd); }
};

// Walks the RIFF chunks of a WAV file opened for reading, from its start, to
// the first "data" chunk and the "fmt " chunk before it. accept is asked about
// every "fmt " chunk met, so a file is refused at the first format its reader
// cannot take. Nothing for a file that is not RIFF/WAVE or RF64/WAVE, has a
// malformed "fmt " chunk or none before "data", or has no "data" chunk; nor
// for an RF64 file whose first chunk is not a whole "ds64" chunk, since only
// that chunk knows how long the data is.
std::optional<WavHeader> readWavHeader(QIODevice &file, bool (*accept)(const WavFormat &));
