#include "wavsource.h"

#include "wavreader.h"

#include <algorithm>

WavSource::WavSource(QObject *parent) : QIODevice(parent)
{
    m_waiting.setSingleShot(true);
    m_waiting.setInterval(20);
    connect(&m_waiting, &QTimer::timeout, this, [this] {
        if (!m_reader)
            return;
        if (m_reader->readableFrom(m_reader->framePosition()) > 0)
            emit readyRead();
        else if (!exhausted())
            m_waiting.start();
    });
}

void WavSource::setReader(WavReader *reader)
{
    m_reader = reader;
    m_delivered = 0;
    m_waiting.stop();
}

bool WavSource::exhausted() const
{
    return !m_reader || m_reader->framePosition() >= m_reader->stopFrame();
}

qint64 WavSource::bytesAvailable() const
{
    if (!m_reader)
        return 0;
    return m_reader->readableFrom(m_reader->framePosition()) * m_reader->outputChannels() * 2 +
           QIODevice::bytesAvailable();
}

qint64 WavSource::readData(char *data, qint64 maxSize)
{
    if (!m_reader)
        return 0;
    const qint64 frameBytes = m_reader->outputChannels() * 2;
    const qint64 frames = m_reader->readFrames(data, maxSize / frameBytes);
    m_delivered += frames;
    // Caught up with a writer: silence until it has written more, then on.
    if (frames == 0 && !exhausted())
        m_waiting.start();
    return frames * frameBytes;
}
