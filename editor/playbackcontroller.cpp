#include "playbackcontroller.h"

#include "codercommand.h"
#include "decodedmap.h"
#include "formattime.h"
#include "paths.h"
#include "selection.h"
#include "sound/soundcommands.h"
#include "sound/wavreader.h"
#include "timelinemodel.h"
#include "timerow.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace {
const QString Zero = QStringLiteral("00:00:00");
}

PlaybackController::PlaybackController(const Selection &selection, TimelineModel &model, SoundCommands &sound,
                                       const QString &workFile, QObject *parent)
    : QObject(parent), m_selection(selection), m_model(model), m_sound(sound), m_workFile(workFile)
{
    m_written.file = &m_workFile;
    m_timer2.setInterval(100);
    connect(&m_timer2, &QTimer::timeout, this, &PlaybackController::Timer2_Timer);
    m_timer2.start();
    // A level measured while the selection already plays is applied at once.
    connect(&m_gains, &StretchGain::measured, this, [this] {
        exclusive([this] {
            if (m_playingSelection && m_sounding && !m_chimeHolds)
                sendEnvelope();
        });
    });
}

PlaybackController::~PlaybackController()
{
    if (m_followsDecode)
        m_sound.setWrittenFrames(nullptr);
}

bool PlaybackController::DecodedFrames::isGrowing(const QString &path) const
{
    return map && !map->isComplete() && (map->expectedFrames() >= 0 || !map->isEmpty())
        && QFileInfo(path) == QFileInfo(*file);
}

qint64 PlaybackController::DecodedFrames::expectedFrames() const
{
    if (!map)
        return 0;
    if (map->expectedFrames() >= 0)
        return map->expectedFrames();
    return map->isEmpty() ? 0 : map->runs().last().end;
}

qint64 PlaybackController::DecodedFrames::readyUntil(qint64 frame) const
{
    return map ? map->readyUntil(frame) : frame;
}

void PlaybackController::decodedMapChanged()
{
    // Handed over only once a decode grows the file, and kept: a device
    // opened on it meanwhile goes on asking after the decode's end.
    if (!m_followsDecode && m_written.isGrowing(m_workFile)) {
        m_sound.setWrittenFrames(&m_written);
        m_followsDecode = true;
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
    drainIdle();
}

void PlaybackController::whenIdle(const std::function<void()> &work)
{
    if (m_busy)
        m_afterIdle.append(work);
    else
        work();
}

void PlaybackController::drainIdle()
{
    while (!m_busy && !m_afterIdle.isEmpty())
        m_afterIdle.takeFirst()();
}

void PlaybackController::setTransport(bool paused, bool playingSelection, bool sounding)
{
    if (paused == m_paused && playingSelection == m_playingSelection && sounding == m_sounding)
        return;
    m_paused = paused;
    m_playingSelection = playingSelection;
    m_sounding = sounding;
    emit transportChanged();
}

double PlaybackController::playRatio() const
{
    const qint64 length = m_model.lengthMs();
    return length > 0 ? double(m_positionMs) / double(length) : 0.0;
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
    if (m_playingSelection)
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
    const bool opened = reader.open(m_workFile);
    if (opened && m_written.isGrowing(m_workFile))
        reader.setWrittenFrames(&m_written);
    learnLength(opened ? reader.lengthMilliSeconds() : 0);
}

void PlaybackController::learnLength(qint64 ms)
{
    m_model.setFullTime(static_cast<qint32>(ms / 1000));
    m_model.setLengthMs(ms);
}

void PlaybackController::playFromMs(qint64 milliSeconds)
{
    QString command = QStringLiteral("play sound from ") + QString::number(milliSeconds);
    const qint64 end = m_selection.endMs();
    if (m_playingSelection && end > 0 && milliSeconds < end)
        command += QStringLiteral(" to ") + QString::number(end);
    m_sound.send(command);
    setSounding(true);
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
    const FadeLevel &fades = m_fades;
    if (fades.isNeutral())
        return;
    const qint64 begin = m_selection.beginMs();
    // With no end chosen the selection runs to the end of the file.
    const qint64 end = m_selection.endMs() > 0 ? m_selection.endMs() : std::max(begin, m_model.lengthMs());
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
        if (m_paused) {
            // Play after Pause resumes; Paused stays set until Stop.
            m_sound.send(QStringLiteral("resume sound"));
            setSounding(true);
            return;
        }
        doStop();
        stopAndClose();
        if (!QFileInfo::exists(m_workFile))
            return;
        openWorkFile();
        m_sound.send(QStringLiteral("play sound"));
        setSounding(true);
    });
}

void PlaybackController::stop()
{
    exclusive([this] { doStop(); });
}

void PlaybackController::doStop()
{
    setTransport(m_paused, false, false);
    stopAndClose();
    setTransport(false, false, false);
    m_model.setText(TimelineModel::Label::lblTime, Zero);
    m_positionMs = 0;
}

void PlaybackController::pause()
{
    exclusive([this] {
        setTransport(true, m_playingSelection, false);
        m_sound.send(QStringLiteral("pause sound"));
    });
}

void PlaybackController::playSelection()
{
    exclusive([this] {
        if (m_selection.beginMs() == 0 && m_selection.endMs() == 0)
            return;
        stopAndClose();
        if (!QFileInfo::exists(m_workFile))
            return;
        setTransport(m_paused, true, m_sounding);
        openWorkFile();
        playFromMs(m_selection.beginMs());
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
    const qint64 length =
        m_chimeHolds ? 0 : replyNumber(m_sound.send(QStringLiteral("status sound length")));
    if (length == 0) {
        setSounding(false);
        // The song's start, which a zoomed view may not show.
        m_model.placeSet(TimelineModel::MarkerSet::Pointer, m_model.pointerLeft(0));
    } else {
        m_model.setFullTime(static_cast<qint32>(length / 1000));
        m_model.setLengthMs(length);
        const qint64 position = replyNumber(m_sound.send(QStringLiteral("status sound position")));
        m_positionMs = position;

        const int L = m_model.pointerLeft(position);
        m_model.setLeft(Image::imgTopPoint, L);
        m_model.setLeft(Image::imgBottomPoint, L);
        m_model.setLeft(Image::imgLine, L + m_model.geometry().LineOffset());

        // The whole seconds the grid shows for this time, never rounded up.
        m_model.setText(TimelineModel::Label::lblTime, TimeRow::format(std::clamp<qint64>(position, 0, length), false));

        // The device has stopped itself on the selection's last frame and
        // stands there: what is left is to say so, or to go round again.
        const qint64 end = m_selection.endMs();
        if (position >= end && end != 0 && m_playingSelection) {
            if (m_looping) {
                playFromMs(m_selection.beginMs());
            } else {
                stopAndClose();
                setTransport(false, false, false);
                m_model.setText(TimelineModel::Label::lblTime, Zero);
            }
        }
        if (position >= length)
            setSounding(false);
    }

    while (!m_pending.isEmpty())
        m_pending.takeFirst()();
    m_busy = false;
    drainIdle();
}
