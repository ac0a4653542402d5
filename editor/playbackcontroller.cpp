#include "playbackcontroller.h"

#include "editorstate.h"
#include "formattime.h"
#include "paths.h"
#include "sound/soundcommands.h"
#include "sound/wavreader.h"
#include "timelinemodel.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>
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
    // A level measured while the selection already plays is applied at once.
    connect(&m_gains, &StretchGain::measured, this, [this] {
        exclusive([this] {
            if (m_state.PlayingSelection && m_sounding && !m_chimeHolds)
                sendEnvelope();
        });
    });
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
    // A seek while the selection plays reopens the device: the selection's
    // fades and level go on with it.
    if (m_state.PlayingSelection)
        sendEnvelope();
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
    m_model.setLengthMs(ms);
}

void PlaybackController::playFromMs(qint64 milliSeconds)
{
    m_sound.send(QStringLiteral("play sound from ") + QString::number(milliSeconds));
    m_sounding = true;
}

void PlaybackController::setLooping(bool on)
{
    if (m_looping == on)
        return;
    m_looping = on;
    emit loopingChanged(on);
}

void PlaybackController::sendEnvelope()
{
    const FadeLevel &fades = m_state.Fades;
    if (fades.isNeutral())
        return;
    const qint64 begin = m_state.SelBeginMs;
    // With no end chosen the selection runs to the end of the file.
    const qint64 end = m_state.SelEndMs > 0 ? m_state.SelEndMs : std::max(begin, m_model.lengthMs());
    // Until the stretch's level is measured it plays as it is.
    const double gainDb =
        fades.normalise ? m_gains.gainDb(m_workFile, {begin, end, fades.fadeInMs, fades.fadeOutMs})
                              .value_or(0.0)
                        : 0.0;
    m_sound.send(QStringLiteral("setaudio sound envelope %1 %2 %3 %4 %5")
                     .arg(begin)
                     .arg(end)
                     .arg(std::clamp<qint64>(fades.fadeInMs, 0, end - begin))
                     .arg(std::clamp<qint64>(fades.fadeOutMs, 0, end - begin))
                     .arg(std::lround(gainDb * 100.0)));
}

void PlaybackController::play()
{
    exclusive([this] {
        if (m_state.Paused) {
            // Play after Pause resumes; Paused stays set until Stop.
            m_sound.send(QStringLiteral("resume sound"));
            m_sounding = true;
            return;
        }
        doStop();
        stopAndClose();
        if (!QFileInfo::exists(m_workFile))
            return;
        openWorkFile();
        m_sound.send(QStringLiteral("play sound"));
        m_sounding = true;
    });
}

void PlaybackController::stop()
{
    exclusive([this] { doStop(); });
}

void PlaybackController::doStop()
{
    m_state.PlayingSelection = False16;
    m_sounding = false;
    stopAndClose();
    m_state.Paused = False16;
    m_model.setText(TimelineModel::Label::lblTime, Zero);
    m_state.PlayRatio = 0.0f;
}

void PlaybackController::pause()
{
    exclusive([this] {
        m_state.Paused = True16;
        m_sounding = false;
        m_sound.send(QStringLiteral("pause sound"));
    });
}

qint64 PlaybackController::pointerSecondsMs() const
{
    return roundSecondsHalfEven(double(m_model.T()) * double(m_state.PlayRatio)) * 1000;
}

qint64 PlaybackController::pointerMs() const
{
    return roundSecondsHalfEven(double(m_model.lengthMs()) * double(m_state.PlayRatio));
}

void PlaybackController::setBeginAtPointer()
{
    exclusive([this] {
        using Image = TimelineModel::Image;
        const qint64 p = pointerSecondsMs();
        if (m_state.SelEndMs > 0 && p >= m_state.SelEndMs)
            return;
        m_state.SelBeginMs = p;
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
        const qint64 p = pointerSecondsMs();
        if (p < m_state.SelBeginMs)
            return;
        m_state.SelEndMs = p;
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
        if (m_state.SelBeginMs == 0 && m_state.SelEndMs == 0)
            return;
        stopAndClose();
        if (!QFileInfo::exists(m_workFile))
            return;
        m_state.PlayingSelection = True16;
        openWorkFile();
        playFromMs(m_state.SelBeginMs);
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
        m_sounding = false;
        m_model.placeSet(TimelineModel::MarkerSet::Pointer, 0);
    } else {
        m_model.setFullTime(static_cast<qint32>(std::floor(length / 1000.0f)));
        m_model.setLengthMs(static_cast<qint64>(length));
        const float position = float(replyNumber(m_sound.send(QStringLiteral("status sound position"))));
        m_state.PlayRatio = position / length;

        const int L = m_model.pointerLeft(m_state.PlayRatio);
        m_model.setLeft(Image::imgTopPoint, L);
        m_model.setLeft(Image::imgBottomPoint, L);
        m_model.setLeft(Image::imgLine, L + m_model.geometry().LineOffset());

        const double played = double(m_state.PlayRatio) * m_model.T();
        m_model.setText(TimelineModel::Label::lblTime, FormatTime(static_cast<qint32>(roundSecondsHalfEven(played))));

        // The selection ends where the device really stands: T is whole
        // seconds, and its ratio would let a selection run on past its end.
        if (position >= float(m_state.SelEndMs) && m_state.SelEndMs != 0 && m_state.PlayingSelection) {
            if (m_looping) {
                playFromMs(m_state.SelBeginMs);
            } else {
                stopAndClose();
                m_sounding = false;
                m_state.Paused = False16;
                m_model.setText(TimelineModel::Label::lblTime, Zero);
                m_state.PlayingSelection = False16;
            }
        }
        if (position >= length)
            m_sounding = false;
    }

    while (!m_pending.isEmpty())
        m_pending.takeFirst()();
    m_busy = false;
}
