#pragma once

// Shared by the fuzz targets: the input as bytes, and its cut into pieces at
// the places its own bytes choose, so that a reader fed in chunks meets every
// way a child's output or a file can be split.

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>

inline QByteArray fuzzBytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// The first byte sets the piece length (1..256), the rest is cut by it.
inline QList<QByteArray> fuzzPieces(const QByteArray &input)
{
    QList<QByteArray> pieces;
    if (input.isEmpty())
        return pieces;
    const qsizetype step = qsizetype(quint8(input.at(0))) + 1;
    for (qsizetype at = 1; at < input.size(); at += step)
        pieces.append(input.mid(at, step));
    return pieces;
}
