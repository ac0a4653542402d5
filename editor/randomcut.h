#pragma once

#include <QList>
#include <QtGlobal>

#include <functional>
#include <utility>

class Selection;
class SelectionHandles;
class TimelineModel;

// Throws the end set, then the begin set, to random places and runs each
// through a handle drag, until the stretch is longer than 5 seconds. It tells
// its caller how it ended; what the user is told is the caller's business.
class RandomCut
{
public:
    enum class Outcome {
        Chosen,      // a stretch of more than 5 seconds is selected
        NotPlayed,   // no length known yet: the file has not been played
        NoneLonger,  // every attempt came out at 5 seconds or less
    };

    // Attempts before giving up: on a file of 5 seconds or less none can succeed.
    static constexpr int MaxAttempts = 200;

    RandomCut(const Selection &selection, TimelineModel &model, SelectionHandles &handles);

    Outcome run();
    // The same within the given stretches in ms (the decoded ones, while a
    // decode writes the song): a stretch of whole seconds, more than 5 of
    // them, inside one stretch, picked by length; `select` sets it.
    Outcome runWithin(const QList<std::pair<qint64, qint64>> &stretchesMs,
                      const std::function<void(qint64 beginMs, qint64 endMs)> &select);
    // The whole seconds of a stretch in ms, and whether a cut fits in them.
    static std::pair<qint64, qint64> wholeSeconds(std::pair<qint64, qint64> stretchMs);
    static bool holdsCut(std::pair<qint64, qint64> stretchMs);

    // Each draw is uniform in [0, 1); the default reseeds from the clock first.
    void setDraw(std::function<double()> draw) { m_draw = std::move(draw); }
    static double clockSeededDraw();

private:
    const Selection &m_selection;
    TimelineModel &m_model;
    SelectionHandles &m_handles;
    std::function<double()> m_draw = &RandomCut::clockSeededDraw;
};
