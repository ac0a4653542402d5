#include "wavheader.h"

#include <QIODevice>
#include <QtEndian>

#include <cstdint>
#include <cstring>

namespace {

constexpr quint16 FormatExtensible = 0xFFFE;

quint16 le16(const char *p) { return qFromLittleEndian<quint16>(p); }
quint32 le32(const char *p) { return qFromLittleEndian<quint32>(p); }
quint64 le64(const char *p) { return qFromLittleEndian<quint64>(p); }

// The 32-bit size field that hands the size over to the "ds64" chunk.
constexpr quint32 SizeInDs64 = 0xFFFFFFFF;
// The "ds64" body up to the table: RIFF size, data size, sample count, table
// length.
constexpr int Ds64Bytes = 28;

} // namespace

std::optional<WavHeader> readWavHeader(QIODevice &file, bool (*accept)(const WavFormat &))
{
    const qint64 fileSize = file.size();
    char head[12];
    if (!file.seek(0) || file.read(head, 12) != 12 || std::memcmp(head + 8, "WAVE", 4) != 0)
        return std::nullopt;
    WavHeader header;
    header.rf64 = std::memcmp(head, "RF64", 4) == 0;
    if (!header.rf64 && std::memcmp(head, "RIFF", 4) != 0)
        return std::nullopt;

    qint64 at = 12;
    quint64 ds64DataSize = 0;
    if (header.rf64) {
        char ds64[8 + Ds64Bytes];
        if (file.read(ds64, sizeof ds64) != qint64(sizeof ds64) || std::memcmp(ds64, "ds64", 4) != 0)
            return std::nullopt;
        const quint32 size = le32(ds64 + 4);
        if (size < quint32(Ds64Bytes) || qint64(size) > fileSize - at - 8)
            return std::nullopt;
        ds64DataSize = le64(ds64 + 16);
        at += 8 + size + (size & 1);
    }

    bool haveFormat = false;
    while (at + 8 <= fileSize) {
        char chunk[8];
        if (!file.seek(at) || file.read(chunk, 8) != 8)
            return std::nullopt;
        const quint32 size = le32(chunk + 4);
        const qint64 body = at + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16)
                return std::nullopt;
            // A chunk cut short by the end of the file is fine here: no
            // "data" chunk can follow it, so the walk fails below.
            char fmt[40] = {};
            const qint64 got = file.read(fmt, std::min<quint32>(size, sizeof fmt));
            if (got < 16)
                return std::nullopt;
            WavFormat &format = header.format;
            format.tag = le16(fmt);
            format.chunkSize = size;
            format.channels = le16(fmt + 2);
            format.sampleRate = le32(fmt + 4);
            format.blockAlign = le16(fmt + 12);
            format.bits = le16(fmt + 14);
            format.extensible = format.tag == FormatExtensible;
            if (format.extensible) {
                // The sub-format GUID starts with the plain format tag.
                if (got < 26)
                    return std::nullopt;
                format.tag = le16(fmt + 24);
            }
            if (!accept(format))
                return std::nullopt;
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat)
                return std::nullopt;
            header.dataOffset = body;
            const quint64 declared = header.rf64 && size == SizeInDs64 ? ds64DataSize : size;
            header.declaredDataSize = qint64(std::min<quint64>(declared, quint64(INT64_MAX)));
            header.dataToEnd = fileSize - body;
            return header;
        }
        at = body + size + (size & 1);
    }
    return std::nullopt;
}
