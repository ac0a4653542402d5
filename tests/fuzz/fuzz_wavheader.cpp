// WAV and RF64 files as the sound channel's reader and the peak extractor
// take them: the header walk, then every frame the header promises.
#include "fuzzinput.h"
#include "peakextractor.h"
#include "wavheader.h"
#include "wavreader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

#include <unistd.h>

namespace {
QString scratchFile()
{
    static const QString path =
        QDir::tempPath() + QStringLiteral("/kesmarin-fuzz-%1.wav").arg(::getpid());
    return path;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray input = fuzzBytes(data, size);
    QBuffer buffer(&input);
    buffer.open(QIODevice::ReadOnly);
    if (const auto header = readWavHeader(buffer, [](const WavFormat &) { return true; })) {
        if (header->dataSize() < 0 || header->dataOffset + header->dataToEnd != input.size())
            __builtin_trap();
    }

    {
        QFile file(scratchFile());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(input) != input.size())
            return 0;
    }
    WavReader reader;
    if (reader.open(scratchFile())) {
        char frames[4 * 256];
        qint64 total = 0;
        while (const qint64 got = reader.readFrames(frames, 256))
            total += got;
        if (total > reader.frameCount())
            __builtin_trap();
        reader.seekFrame(reader.frameCount() / 2);
        reader.readFrames(frames, 256);
    }
    PeakExtractor peaks(scratchFile());
    if (peaks.open())
        peaks.extract(16);
    return 0;
}
