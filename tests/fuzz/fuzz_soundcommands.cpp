// The sound channel's command strings, one a line, against a real WAV file
// on the silent clock. "@WAV@" in a command stands for that file's path.
#include "fuzzinput.h"
#include "soundchannel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QtEndian>

#include <cstdlib>
#include <unistd.h>

namespace {
QString wavPath;

QByteArray le(quint32 v, int bytes)
{
    char b[4];
    qToLittleEndian(v, b);
    return QByteArray(b, bytes);
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    ::setenv("KESMARIN_AUDIO", "silent", 1);
    static QCoreApplication app(*argc, *argv);
    // A second of 8 kHz mono silence.
    wavPath = QDir::tempPath() + QStringLiteral("/kesmarin-fuzz-%1.wav").arg(::getpid());
    const QByteArray samples(16000, '\0');
    const QByteArray body = "WAVE" + QByteArray("fmt ") + le(16, 4) + le(1, 2) + le(1, 2) + le(8000, 4) +
                            le(16000, 4) + le(2, 2) + le(16, 2) + "data" + le(quint32(samples.size()), 4) +
                            samples;
    QFile file(wavPath);
    if (!file.open(QIODevice::WriteOnly) || file.write("RIFF" + le(quint32(body.size()), 4) + body) < 0)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SoundChannel channel;
    for (const QByteArray &line : fuzzBytes(data, size).split('\n')) {
        QString command = QString::fromUtf8(line);
        command.replace(QStringLiteral("@WAV@"), wavPath);
        channel.send(command);
    }
    return 0;
}
