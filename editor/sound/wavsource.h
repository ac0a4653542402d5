#pragma once

#include <QIODevice>
#include <QTimer>

class WavReader;

// Feeds a sink that pulls: the reader's frames as signed 16-bit samples.
class WavSource : public QIODevice
{
    Q_OBJECT

public:
    explicit WavSource(QObject *parent = nullptr);

    void setReader(WavReader *reader);
    bool isSequential() const override { return true; }
    // Never true while open: Qt's PulseAudio sink answers an underflow at the
    // end of its source with a drain whose completion calls back into the
    // sink, and that call is not withdrawn when the sink is closed, so a sink
    // destroyed before the server replies is written to after it is freed.
    // Without the end the underflow only marks the sink idle, and the server
    // plays out what it holds all the same.
    bool atEnd() const override { return !isOpen(); }
    // Every frame of the reader has been handed over.
    bool exhausted() const;
    qint64 bytesAvailable() const override;
    // Frames handed to the sink since setReader().
    qint64 deliveredFrames() const { return m_delivered; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    WavReader *m_reader = nullptr;
    qint64 m_delivered = 0;
    // A sink that found nothing to read stops asking until readyRead(): while
    // the reader waits for a writer, this looks again now and then.
    QTimer m_waiting;
};
