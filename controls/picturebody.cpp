// Style 10: three fixed pictures of a glossy button with 18-pixel round
// corners. The pictures do not depend on any colour property; they are
// computed once per size from their shading profiles and kept.
#include "buttonbodies.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <vector>

namespace
{

using Profile = std::vector<QRgb>;

struct Picture {
    QRgb centre;
    Profile left;   // columns 0-17 from the left edge inward
    Profile top;    // rows 0-10 from the top edge down
    Profile bottom; // rows from the bottom edge up
};

constexpr QRgb grey(int v)
{
    return qRgb(v, v, v);
}

const Picture &picture(int which)
{
    static const Picture normal{qRgb(232, 231, 234),
                                {grey(247), grey(160), grey(153), grey(195), grey(201), grey(213),
                                 grey(215), grey(223), grey(224), grey(226), grey(227), grey(228),
                                 grey(229), grey(230), grey(230), qRgb(231, 231, 232),
                                 qRgb(231, 231, 233), qRgb(232, 231, 234)},
                                {grey(122), grey(253), grey(251), grey(249), grey(247), grey(245),
                                 grey(243), grey(241), grey(239), grey(236), qRgb(234, 233, 235)},
                                {grey(247), grey(160), grey(153), grey(192), grey(206), grey(216),
                                 grey(224), qRgb(229, 228, 231)}};
    static const Picture hot{
        qRgb(106, 166, 226),
        {qRgb(236, 244, 252), qRgb(40, 90, 150), qRgb(52, 104, 166), qRgb(150, 196, 240),
         qRgb(140, 190, 238), qRgb(132, 185, 237), qRgb(126, 181, 235), qRgb(121, 177, 233),
         qRgb(117, 174, 231), qRgb(114, 172, 230), qRgb(112, 170, 229), qRgb(110, 169, 228),
         qRgb(109, 168, 228), qRgb(108, 167, 227), qRgb(107, 167, 227), qRgb(107, 166, 226),
         qRgb(106, 166, 226), qRgb(106, 166, 226)},
        {qRgb(32, 80, 140), qRgb(206, 230, 252), qRgb(190, 219, 248), qRgb(176, 209, 244),
         qRgb(163, 201, 241), qRgb(152, 194, 239), qRgb(142, 188, 236), qRgb(132, 181, 233),
         qRgb(123, 176, 231), qRgb(115, 171, 228), qRgb(109, 168, 227)},
        {qRgb(236, 244, 252), qRgb(40, 90, 150), qRgb(52, 104, 166), qRgb(82, 138, 198),
         qRgb(92, 149, 209), qRgb(98, 156, 216), qRgb(102, 161, 221), qRgb(104, 164, 224)}};
    static const Picture pressed{
        qRgb(106, 155, 204),
        {qRgb(230, 238, 246), qRgb(34, 76, 130), qRgb(48, 92, 146), qRgb(78, 122, 172),
         qRgb(88, 133, 182), qRgb(94, 140, 190), qRgb(98, 145, 194), qRgb(101, 149, 198),
         qRgb(103, 151, 200), qRgb(104, 153, 202), qRgb(105, 154, 203), qRgb(106, 155, 204),
         qRgb(106, 155, 204), qRgb(106, 155, 204), qRgb(106, 155, 204), qRgb(106, 155, 204),
         qRgb(106, 155, 204), qRgb(106, 155, 204)},
        {qRgb(28, 66, 118), qRgb(70, 110, 160), qRgb(82, 124, 174), qRgb(90, 134, 184),
         qRgb(96, 141, 191), qRgb(100, 146, 196), qRgb(103, 150, 200), qRgb(104, 152, 202),
         qRgb(105, 153, 203), qRgb(106, 154, 204), qRgb(106, 155, 204)},
        {qRgb(230, 238, 246), qRgb(34, 76, 130), qRgb(48, 92, 146), qRgb(124, 170, 216),
         qRgb(116, 164, 211), qRgb(111, 160, 208), qRgb(108, 157, 206), qRgb(107, 156, 205)}};
    switch (which) {
    case 1:
        return hot;
    case 2:
        return pressed;
    default:
        return normal;
    }
}

QRgb mix(QRgb a, QRgb b, double t)
{
    auto ch = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return qRgb(ch(qRed(a), qRed(b)), ch(qGreen(a), qGreen(b)), ch(qBlue(a), qBlue(b)));
}

// The profile's tone at a fractional depth; past its end, the centre.
QRgb toneAt(const Profile &profile, QRgb centre, double depth)
{
    depth = std::max(0.0, depth);
    const auto i = std::size_t(depth);
    const double t = depth - double(i);
    auto at = [&](std::size_t k) { return k < profile.size() ? profile[k] : centre; };
    return mix(at(i), at(i + 1), t);
}

constexpr int Radius = 9;
constexpr int LeftBand = 18, RightBand = 16, TopBand = 11, BottomBand = 8;

// A corner pixel: the tone at its depth below the rounded outline, mixed
// between the side and the top or bottom profile by the outline's direction.
QRgb cornerPixel(const Picture &pic, const Profile &side, const Profile &end, double sideDist,
                 double endDist)
{
    double depth, endWeight;
    if (sideDist < Radius && endDist < Radius) {
        const double ax = Radius - sideDist, ay = Radius - endDist;
        const double r2 = ax * ax + ay * ay;
        depth = Radius - std::sqrt(r2);
        endWeight = r2 > 0 ? ay * ay / r2 : 0.5;
    } else {
        depth = std::min(sideDist, endDist);
        endWeight = endDist < sideDist ? 1.0 : endDist > sideDist ? 0.0 : 0.5;
    }
    const double index = depth - 0.5;
    QRgb tone = mix(toneAt(side, pic.centre, index), toneAt(end, pic.centre, index), endWeight);
    if (index < 0) // the outermost pixels shade into white where the arc cuts them
        tone = mix(qRgb(255, 255, 255), tone, std::clamp(index + 1.0, 0.0, 1.0));
    return tone;
}

QImage renderPicture(int which, int w, int h)
{
    const Picture &pic = picture(which);
    const Profile right(pic.left.begin(), pic.left.begin() + RightBand);
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const bool top = y < TopBand, bottom = !top && y >= h - BottomBand;
        for (int x = 0; x < w; ++x) {
            const bool left = x < LeftBand, rightSide = !left && x >= w - RightBand;
            QRgb tone;
            if ((left || rightSide) && (top || bottom)) {
                const double sideDist = left ? x + 0.5 : w - x - 0.5;
                const double endDist = top ? y + 0.5 : h - y - 0.5;
                tone = cornerPixel(pic, left ? pic.left : right, top ? pic.top : pic.bottom,
                                   sideDist, endDist);
            } else if (left) {
                tone = pic.left[std::size_t(x)];
            } else if (rightSide) {
                tone = right[std::size_t(w - 1 - x)];
            } else if (top) {
                tone = pic.top[std::size_t(y)];
            } else if (bottom) {
                tone = pic.bottom[std::size_t(h - 1 - y)];
            } else {
                tone = pic.centre;
            }
            line[x] = tone;
        }
    }
    if (which == 0 && w > 20) {
        // The top rows of the Normal picture's corners are hand-set.
        const QRgb art[] = {grey(254), grey(230), grey(172), grey(122)};
        for (int i = 0; i < 4; ++i) {
            image.setPixel(6 + i, 0, art[i]);
            image.setPixel(w - 7 - i, 0, art[i]);
        }
    }
    return image;
}

} // namespace

QImage pictureArt(int which, QSize size)
{
    // Few sizes are ever on screen at once; keep the ones seen recently.
    static std::map<std::tuple<int, int, int>, QImage> cache;
    const auto key = std::make_tuple(which, size.width(), size.height());
    const auto found = cache.find(key);
    if (found != cache.end())
        return found->second;
    if (cache.size() > 48)
        cache.clear();
    return cache[key] = renderPicture(which, size.width(), size.height());
}

void drawPictureBody(BodyContext &c)
{
    int which = 0;
    if (c.state == VisualState::Pressed)
        which = 2;
    else if (c.state == VisualState::Hot || c.in.hasFocus)
        which = 1;
    c.p.drawImage(0, 0, pictureArt(which, QSize(c.w, c.h)));
}
