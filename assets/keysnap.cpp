#include "keysnap.h"

namespace KeySnap {

namespace {

QRgb opaqueBody(QRgb premultiplied)
{
    const QRgb c = qUnpremultiply(premultiplied);
    // The body never takes the key colour, even where the drawing did.
    if ((c | 0xff000000) == kKey)
        return qRgb(254, 0, 254);
    return c | 0xff000000;
}

} // namespace

QImage snap(const QImage &drawing)
{
    const QImage in = drawing.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage out(in.size(), QImage::Format_RGB32);
    for (int y = 0; y < in.height(); ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(in.constScanLine(y));
        auto *dst = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < in.width(); ++x)
            dst[x] = qAlpha(src[x]) >= 128 ? opaqueBody(src[x]) : kKey;
    }
    return out;
}

QImage snapTo(const QImage &drawing, const QImage &snapped1x, int scale)
{
    const QImage in = drawing.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage base = snapped1x.convertToFormat(QImage::Format_RGB32);
    QImage out(in.size(), QImage::Format_RGB32);
    for (int y = 0; y < in.height(); ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(in.constScanLine(y));
        const int by = qMin(y / scale, base.height() - 1);
        const auto *ref = reinterpret_cast<const QRgb *>(base.constScanLine(by));
        auto *dst = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < in.width(); ++x) {
            const QRgb under = ref[qMin(x / scale, base.width() - 1)] | 0xff000000;
            if (under == kKey)
                dst[x] = kKey;
            else if (qAlpha(src[x]) >= 128)
                dst[x] = opaqueBody(src[x]);
            else
                dst[x] = under; // inside the 1x shape but thinly drawn here
        }
    }
    return out;
}

} // namespace KeySnap
