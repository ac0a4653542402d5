#pragma once

#include <QCoreApplication>

#include <functional>

struct EditorState;
class SelectionHandles;
class TimelineModel;
class UserPrompt;

// Throws the end set, then the begin set, to random places and runs each
// through a handle drag, until the stretch is longer than 5 seconds.
class RandomCut
{
    Q_DECLARE_TR_FUNCTIONS(RandomCut)

public:
    // Attempts before giving up: on a file of 5 seconds or less none can succeed.
    static constexpr int MaxAttempts = 200;

    RandomCut(EditorState &state, TimelineModel &model, SelectionHandles &handles, UserPrompt &prompt);

    // Returns true when a stretch of more than 5 seconds was chosen.
    bool run();

    // Each draw is uniform in [0, 1); the default reseeds from the clock first.
    void setDraw(std::function<double()> draw) { m_draw = std::move(draw); }
    static double clockSeededDraw();

private:
    EditorState &m_state;
    TimelineModel &m_model;
    SelectionHandles &m_handles;
    UserPrompt &m_prompt;
    std::function<double()> m_draw = &RandomCut::clockSeededDraw;
};
