#include "playbackcontroller.h"

#include "editorstate.h"
#include "formattime.h"
#include "paths.h"
#include "sound/soundcommands.h"
#include "sound/wavreader.h"
#include "timelinemodel.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cmath>

namespace {
const QString Zero = QStringLiteral("00:00:00");
}

PlaybackController::PlaybackController(EditorState &state, TimelineModel &model, SoundCommands &sound,
                                       const QString &workFile, QObject *parent)
    : QObject(parent), m_state(state), m_model(model), m_sound(sound), m_workFile(workFile)
{
    m_timer2.setInterval(100);
    connect(&m_timer2, &QTimer::timeout, this, &PlaybackController::Timer2_Timer);
    m_timer2.start();
}

void PlaybackController::imgCtrlButton_Click(int index)
{
    switch (index) {
    case Play: play(); break;
    case Stop: stop(); break;
    case Pause: pause(); break;
    case SetBegin: setBeginAtPointer(); break;
    case SetEnd: setEndAtPointer(); break;
    case PlaySelection: playSelection(); break;
    case Save: emit saveRequested(); break;
    default: break;
    }
}

void PlaybackController::exclusive(const std::function<void()> &operation)
{
    if (m_busy) {
        m_pending.append(operation);
        return;
    }
    m_busy = true;
    operation();
    while (!m_pending.isEmpty())
        m_pending.takeFirst()();
    m_busy = false;
}

void PlaybackController::pumpEvents()
{
    if (m_pump)
        m_pump();
    else
        QCoreApplication::processEvents();
}

void PlaybackController::stopAndClose()
{
    m_sound.send(QStringLiteral("stop sound"));
    m_sound.send(QStringLiteral("close sound"));
    m_chimeHolds = false;
    pumpEvents();
}

void PlaybackController::openWorkFile()
{
    openUnderAlias(m_workFile);
}

void PlaybackController::openUnderAlias(const QString &path)
{
    m_sound.send(QStringLiteral("open ") + ShortPath(path) + QStringLiteral(" alias sound"));
}

void PlaybackController::playChime(const QString &path)
{
    openUnderAlias(path);
    m_chimeHolds = true;
    m_sound.send(QStringLiteral("play sound"));
}

void PlaybackController::learnLength()
{
    // The device reports the same length when it opens the file.
    WavReader reader;
    const qint64 ms = reader.open(m_workFile) ? reader.lengthMilliSeconds() : 0;
    m_model.setFullTime(static_cast<qint32>(ms / 1000));
}

void PlaybackController::playFrom(qint64 seconds)
{
    m_sound.send(QStringLiteral("play sound from ") + QString::number(seconds * 1000));
}

void PlaybackController::play()
{
    exclusive([this] {
        if (m_state.Paused) {
            // Play after Pause resumes; Paused stays set until Stop.
            m_sound.send(QStringLiteral("resume sound"));
            return;
        }
        doStop();
        stopAndClose();
        if (!QFileInfo::exists(m_workFile))
            return;
        openWorkFile();
        m_sound.send(QStringLiteral("play sound"));
    });
}

void PlaybackController::stop()
{
    exclusive([this] { doStop(); });
}

void PlaybackController::doStop()
{
    m_state.PlayingSelection = False16;
    stopAndClose();
    m_state.Paused = False16;
    m_model.setText(TimelineModel::Label::lblTime, Zero);
    m_state.PlayRatio = 0.0f;
}

void PlaybackController::pause()
{
    exclusive([this] {
        m_state.Paused = True16;
        m_sound.send(QStringLiteral("pause sound"));
    });
}

qint32 PlaybackController::pointerSeconds() const
{
    return static_cast<qint32>(roundSecondsHalfEven(double(m_model.T()) * double(m_state.PlayRatio)));
}

void PlaybackController::setBeginAtPointer()
{
    exclusive([this] {
        using Image = TimelineModel::Image;
        const qint32 p = pointerSeconds();
        if (m_state.SelEnd > 0 && p >= m_state.SelEnd)
            return;
        m_state.SelBegin = p;
        // The handle takes the pointer images where they stand, which is 0
        // after a selection has ended even though PlayRatio kept its value.
        m_model.setLeft(Image::imgSelectBottom1, m_model.left(Image::imgBottomPoint));
        m_model.setVisible(Image::imgSelectBottom1, true);
        m_model.setLeft(Image::imgSelectLine1, m_model.left(Image::imgLine));
        m_model.setVisible(Image::imgSelectLine1, true);
        m_model.setLeft(Image::imgSelectTop1, m_model.left(Image::imgTopPoint));
        m_model.setVisible(Image::imgSelectTop1, true);
        m_model.publishBegin(m_state);
    });
}

void PlaybackController::setEndAtPointer()
{
    exclusive([this] {
        using Image = TimelineModel::Image;
        const qint32 p = pointerSeconds();
        if (p < m_state.SelBegin)
            return;
        m_state.SelEnd = p;
        m_model.setLeft(Image::imgSelectBottom2, m_model.left(Image::imgBottomPoint));
        m_model.setVisible(Image::imgSelectBottom2, true);
        m_model.setLeft(Image::imgSelectLine2, m_model.left(Image::imgLine));
        m_model.setVisible(Image::imgSelectLine2, true);
        m_model.setLeft(Image::imgSelectTop2, m_model.left(Image::imgTopPoint));
        m_model.setVisible(Image::imgSelectTop2, true);
        m_model.publishEnd(m_state);
    });
}

void PlaybackController::playSelection()
{
    exclusive([this] {
        if (m_state.SelBegin == 0 && m_state.SelEnd == 0)
            return;
        stopAndClose();
        if (!QFileInfo::exists(m_workFile))
            return;
        openWorkFile();
        m_state.PlayingSelection = True16;
        playFrom(m_state.SelBegin);
    });
}

void PlaybackController::setPollEnabled(bool on)
{
    if (on)
        m_timer2.start();
    else
        m_timer2.stop();
}

void PlaybackController::Timer2_Timer()
{
    // A tick that finds the controller busy is dropped rather than queued:
    // the next tick reads the device afresh.
    if (m_busy)
        return;
    m_busy = true;
    using Image = TimelineModel::Image;

    // The chime under the alias counts as no device.
    const float length = m_chimeHolds
                             ? 0.0f
                             : float(replyNumber(m_sound.send(QStringLiteral("status sound length"))));
    if (length == 0.0f) {
        m_model.placeSet(TimelineModel::MarkerSet::Pointer, 0);
    } else {
        m_model.setFullTime(static_cast<qint32>(std::floor(length / 1000.0f)));
        const float position = float(replyNumber(m_sound.send(QStringLiteral("status sound position"))));
        m_state.PlayRatio = position / length;

        const int W = m_model.geometry().stripWidth();
        const int L = static_cast<int>(roundSecondsHalfEven(double(W) * double(m_state.PlayRatio)));
        m_model.setLeft(Image::imgTopPoint, L);
        m_model.setLeft(Image::imgBottomPoint, L);
        m_model.setLeft(Image::imgLine, L + m_model.geometry().LineOffset());

        const double played = double(m_state.PlayRatio) * m_model.T();
        m_model.setText(TimelineModel::Label::lblTime, FormatTime(static_cast<qint32>(roundSecondsHalfEven(played))));

        if (played >= m_state.SelEnd && m_state.SelEnd != 0 && m_state.PlayingSelection) {
            stopAndClose();
            m_state.Paused = False16;
            m_model.setText(TimelineModel::Label::lblTime, Zero);
            m_state.PlayingSelection = False16;
        }
    }

    while (!m_pending.isEmpty())
        m_pending.takeFirst()();
    m_busy = false;
}
