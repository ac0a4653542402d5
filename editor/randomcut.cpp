#include "randomcut.h"

#include "formattime.h"
#include "selection.h"
#include "selectionhandles.h"
#include "timelinemodel.h"

#include <algorithm>
#include <chrono>
#include <random>

namespace {
// Twips as they stand, not scaled to the screen.
constexpr double ThrowSpan = 10000.0;
constexpr double EndThrowOffset = 500.0;
constexpr double DragX = 45.0;
} // namespace

RandomCut::RandomCut(const Selection &selection, TimelineModel &model, SelectionHandles &handles)
    : m_selection(selection), m_model(model), m_handles(handles)
{
}

double RandomCut::clockSeededDraw()
{
    const auto seed = std::chrono::system_clock::now().time_since_epoch().count();
    std::mt19937 generator(static_cast<std::mt19937::result_type>(seed));
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator);
}

RandomCut::Outcome RandomCut::run()
{
    using Image = TimelineModel::Image;
    if (m_model.T() <= 0)
        return Outcome::NotPlayed;
    for (int attempt = 0; attempt < MaxAttempts; ++attempt) {
        for (Image image : {Image::imgSelectTop2, Image::imgSelectTop1, Image::imgSelectLine1,
                            Image::imgSelectLine2, Image::imgSelectBottom1, Image::imgSelectBottom2})
            m_model.setVisible(image, true);

        const double r1 = m_draw();
        m_model.setLeft(Image::imgSelectTop2, static_cast<int>(roundSecondsHalfEven(r1 * ThrowSpan + EndThrowOffset)));
        m_handles.arm();
        m_handles.move(Image::imgSelectTop2, DragX);
        m_handles.release(Image::imgSelectTop2, DragX);

        const double r2 = m_draw();
        m_model.setLeft(Image::imgSelectTop1, static_cast<int>(roundSecondsHalfEven(r2 * ThrowSpan)));
        m_handles.arm();
        m_handles.move(Image::imgSelectTop1, DragX);
        m_handles.release(Image::imgSelectTop1, DragX);

        if (m_selection.endMs() - m_selection.beginMs() > 5000)
            return Outcome::Chosen;
    }
    return Outcome::NoneLonger;
}

std::pair<qint64, qint64> RandomCut::wholeSeconds(std::pair<qint64, qint64> stretchMs)
{
    return {(stretchMs.first + 999) / 1000, stretchMs.second / 1000};
}

bool RandomCut::holdsCut(std::pair<qint64, qint64> stretchMs)
{
    const auto [first, last] = wholeSeconds(stretchMs);
    return last - first > 5;
}

RandomCut::Outcome RandomCut::runWithin(const QList<std::pair<qint64, qint64>> &stretchesMs,
                                        const std::function<void(qint64, qint64)> &select)
{
    qint64 room = 0;
    for (const auto &stretch : stretchesMs) {
        if (holdsCut(stretch))
            room += wholeSeconds(stretch).second - wholeSeconds(stretch).first;
    }
    if (room <= 0)
        return Outcome::NoneLonger;
    // A stretch by its share of the room, then the end, then the begin, each
    // uniform over what still leaves more than 5 seconds.
    qint64 at = std::min<qint64>(static_cast<qint64>(m_draw() * double(room)), room - 1);
    for (const auto &stretch : stretchesMs) {
        if (!holdsCut(stretch))
            continue;
        const auto [first, last] = wholeSeconds(stretch);
        if (at >= last - first) {
            at -= last - first;
            continue;
        }
        const qint64 ends = last - (first + 6) + 1;
        const qint64 end = first + 6 + std::min<qint64>(static_cast<qint64>(m_draw() * double(ends)), ends - 1);
        const qint64 begins = end - 6 - first + 1;
        const qint64 begin = first + std::min<qint64>(static_cast<qint64>(m_draw() * double(begins)), begins - 1);
        select(begin * 1000, end * 1000);
        return Outcome::Chosen;
    }
    return Outcome::NoneLonger;
}
