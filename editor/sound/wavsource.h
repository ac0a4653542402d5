#pragma once

#include <QIODevice>

class WavReader;

// Feeds a sink that pulls: the reader's frames as signed 16-bit samples.
class WavSource : public QIODevice
{
    Q_OBJECT

public:
    explicit WavSource(QObject *parent = nullptr) : QIODevice(parent) {}

    void setReader(WavReader *reader);
    bool isSequential() const override { return true; }
    bool atEnd() const override;
    qint64 bytesAvailable() const override;
    // Frames handed to the sink since setReader().
    qint64 deliveredFrames() const { return m_delivered; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    WavReader *m_reader = nullptr;
    qint64 m_delivered = 0;
};
