#include "soundchannel.h"

#include "audiooutput.h"
#include "wavreader.h"

#include <QStringList>

#include <algorithm>
#include <cstdlib>

namespace {

const QString Alias = QStringLiteral("sound");

bool isWord(const QString &text, const char *word)
{
    return text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isDecimal(const QString &text)
{
    return !text.isEmpty() && text.size() <= 15 &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

} // namespace

SoundChannel::SoundChannel() = default;

SoundChannel::~SoundChannel()
{
    m_busy = true;
    close();
}

QString SoundChannel::send(const QString &command)
{
    if (m_busy) {
        // A command arriving from inside another one: status is answered as
        // last time, anything else fails as if the device were busy.
        const QStringList words = command.split(u' ', Qt::SkipEmptyParts);
        m_lastSucceeded = false;
        if (words.size() == 3 && isWord(words[0], "status") && isWord(words[1], "sound")) {
            if (isWord(words[2], "length"))
                return m_lastLengthReply;
            if (isWord(words[2], "position"))
                return m_lastPositionReply;
        }
        return {};
    }
    m_busy = true;
    const QString reply = carryOut(command);
    m_busy = false;
    return reply;
}

QString SoundChannel::carryOut(const QString &command)
{
    QString reply;
    bool ok = false;
    if (command.startsWith(QLatin1String("open "), Qt::CaseInsensitive)) {
        // The path is everything up to the last " alias ", so blanks in it are safe.
        const qsizetype at = command.lastIndexOf(QLatin1String(" alias "), -1, Qt::CaseInsensitive);
        if (at >= 5 && isWord(command.mid(at + 7), "sound"))
            ok = open(command.mid(5, at - 5));
    } else {
        const QStringList words = command.split(u' ', Qt::SkipEmptyParts);
        if (words.size() >= 2 && words[1].compare(Alias, Qt::CaseInsensitive) == 0) {
            const QString &verb = words[0];
            if (words.size() == 2 && isWord(verb, "play"))
                ok = play();
            else if (words.size() == 4 && isWord(verb, "play") && isWord(words[2], "from") &&
                     isDecimal(words[3]))
                ok = playFrom(words[3].toLongLong());
            else if (words.size() == 6 && isWord(verb, "play") && isWord(words[2], "from") &&
                     isDecimal(words[3]) && isWord(words[4], "to") && isDecimal(words[5]))
                ok = playFrom(words[3].toLongLong(), words[5].toLongLong());
            else if (words.size() >= 4 && isWord(verb, "setaudio") && isWord(words[2], "envelope"))
                ok = setEnvelope(words.mid(3));
            else if (words.size() == 2 && isWord(verb, "pause"))
                ok = pause();
            else if (words.size() == 2 && isWord(verb, "resume"))
                ok = resume();
            else if (words.size() == 2 && isWord(verb, "stop"))
                ok = stop();
            else if (words.size() == 2 && isWord(verb, "close"))
                ok = close();
            else if (words.size() == 3 && isWord(verb, "status") && m_reader) {
                if (isWord(words[2], "length")) {
                    reply = m_lastLengthReply = QString::number(length());
                    ok = true;
                } else if (isWord(words[2], "position")) {
                    reply = m_lastPositionReply = QString::number(position());
                    ok = true;
                }
            }
        }
    }
    m_lastSucceeded = ok;
    return reply;
}

void SoundChannel::setWrittenFrames(const WrittenFrames *written)
{
    m_written = written;
    if (m_reader)
        m_reader->setWrittenFrames(written && written->isGrowing(m_path) ? written : nullptr);
}

SoundChannel::Mode SoundChannel::mode()
{
    if (!m_busy) {
        m_busy = true;
        settle();
        m_busy = false;
    }
    return m_mode;
}

bool SoundChannel::isAudible() const
{
    return m_output && m_output->isAudible();
}

bool SoundChannel::open(const QString &path)
{
    if (m_reader)
        return false; // one device under the alias; the caller closes first
    QString file = path;
    if (file.size() >= 2 && file.startsWith(u'"') && file.endsWith(u'"'))
        file = file.mid(1, file.size() - 2);
    if (file.isEmpty())
        return false;
    auto reader = std::make_unique<WavReader>();
    if (!reader->open(file))
        return false;
    if (m_written && m_written->isGrowing(file))
        reader->setWrittenFrames(m_written);
    m_reader = std::move(reader);
    m_path = file;
    m_mode = Mode::Stopped;
    m_startMs = m_positionMs = 0;
    return true;
}

bool SoundChannel::setEnvelope(const QStringList &values)
{
    if (!m_reader)
        return false;
    if (values.size() == 1 && isWord(values[0], "off")) {
        m_reader->setEnvelope({});
        return true;
    }
    if (values.size() != 5)
        return false;
    qint64 numbers[5] = {};
    for (int i = 0; i < 5; ++i) {
        bool ok = false;
        numbers[i] = values[i].toLongLong(&ok);
        if (!ok)
            return false;
    }
    // Out-of-range times or gains fail the command, as any malformed one does.
    const std::optional<Envelope> envelope = Envelope::fromMs(
        numbers[0], numbers[1], numbers[2], numbers[3], numbers[4] / 100.0, m_reader->sampleRate());
    if (!envelope)
        return false;
    m_reader->setEnvelope(*envelope);
    return true;
}

qint64 SoundChannel::length() const
{
    return m_reader ? m_reader->lengthMilliSeconds() : 0;
}

void SoundChannel::settle()
{
    if (m_mode == Mode::Playing && m_output->finished()) {
        m_output->stop();
        m_mode = Mode::Stopped;
        m_positionMs = m_stopMs;
    }
}

qint64 SoundChannel::position()
{
    settle();
    if (m_mode == Mode::Playing || m_mode == Mode::Paused)
        return std::min(m_stopMs, m_startMs + m_output->heardMicroSeconds() / 1000);
    return m_positionMs;
}

bool SoundChannel::startAt(qint64 milliSeconds, qint64 stopMs)
{
    const qint64 end = length();
    m_stopMs = stopMs >= 0 ? std::min(stopMs, end) : end;
    // The stop is a frame the sink never passes: the device ends there itself.
    m_reader->setStopFrame(stopMs >= 0 ? m_stopMs * m_reader->sampleRate() / 1000 : -1);
    if (milliSeconds >= end) {
        // Nothing left to play: open and stopped at the end.
        m_mode = Mode::Stopped;
        m_positionMs = end;
        return true;
    }
    if (!m_output)
        m_output = createAudioOutput();
    m_reader->seekFrame(milliSeconds * m_reader->sampleRate() / 1000);
    if (!m_output->start(*m_reader)) {
        m_output = createSilentOutput("the audio output cannot start");
        m_reader->seekFrame(milliSeconds * m_reader->sampleRate() / 1000);
        m_output->start(*m_reader);
    }
    m_startMs = milliSeconds;
    m_mode = Mode::Playing;
    return true;
}

bool SoundChannel::play()
{
    settle();
    switch (m_mode) {
    case Mode::NotOpen:
        return false;
    case Mode::Playing:
        return true;
    case Mode::Paused:
        return resume();
    case Mode::Stopped:
        return startAt(m_positionMs);
    }
    return false;
}

bool SoundChannel::playFrom(qint64 milliSeconds, qint64 stopMs)
{
    if (!m_reader || (stopMs >= 0 && stopMs <= milliSeconds))
        return false;
    stop();
    if (milliSeconds > length()) {
        // A place outside the file: nothing plays, and the device waits,
        // stopped, at its start.
        m_positionMs = 0;
        return false;
    }
    return startAt(milliSeconds, stopMs);
}

bool SoundChannel::pause()
{
    settle();
    if (m_mode == Mode::NotOpen)
        return false;
    if (m_mode == Mode::Playing) {
        m_output->suspend();
        m_mode = Mode::Paused;
    }
    return true;
}

bool SoundChannel::resume()
{
    settle();
    if (m_mode == Mode::NotOpen)
        return false;
    if (m_mode == Mode::Paused) {
        m_output->resume();
        m_mode = Mode::Playing;
    }
    return true;
}

bool SoundChannel::stop()
{
    if (m_mode == Mode::NotOpen)
        return false;
    if (m_mode == Mode::Playing || m_mode == Mode::Paused) {
        m_positionMs = position();
        if (m_mode != Mode::Stopped) {
            m_output->stop();
            m_mode = Mode::Stopped;
        }
    }
    return true;
}

bool SoundChannel::close()
{
    if (!stop())
        return false;
    m_reader.reset();
    m_path.clear();
    m_lastLengthReply.clear();
    m_lastPositionReply.clear();
    m_mode = Mode::NotOpen;
    m_positionMs = m_startMs = 0;
    return true;
}
