#include "wavsource.h"

#include "wavreader.h"

#include <algorithm>

void WavSource::setReader(WavReader *reader)
{
    m_reader = reader;
    m_delivered = 0;
}

bool WavSource::exhausted() const
{
    return !m_reader || m_reader->framePosition() >= m_reader->stopFrame();
}

qint64 WavSource::bytesAvailable() const
{
    if (!m_reader)
        return 0;
    return std::max<qint64>(0, m_reader->stopFrame() - m_reader->framePosition()) * m_reader->outputChannels() * 2 +
           QIODevice::bytesAvailable();
}

qint64 WavSource::readData(char *data, qint64 maxSize)
{
    if (!m_reader)
        return 0;
    const qint64 frameBytes = m_reader->outputChannels() * 2;
    const qint64 frames = m_reader->readFrames(data, maxSize / frameBytes);
    m_delivered += frames;
    return frames * frameBytes;
}
