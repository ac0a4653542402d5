// Open benchmark, run by hand (never under ctest), with an X server and the
// PulseAudio null sink:
//   scripts/with-servers build/bench/openbench [runs] [file-name ...]
// Makes the songs once with ffmpeg in ~/.cache/kesmarin-bench (or
// $KESMARIN_BENCH_CACHE), then for each song, five runs each way:
//  - from the command line (kesmarin FILE): time to the main window, to the
//    first waveform column drawn, to the first audible sample after Space
//    (Space pressed as the first column shows; the sample taken at the null
//    sink's monitor), to the whole waveform, and the longest gap between two
//    turns of the program's event loop meanwhile;
//  - from Open (Ctrl+O, the path typed, Return): the same from the Return;
// beside ffmpeg's own decode of the same song to a WAV file. With
// KESMARIN_BENCH_BEFORE naming another build of the program that gives the
// same marks (one from before a change, say), each run is also made with it,
// in turn, and its "before" rows follow: a comparison on the same day's
// machine. The program
// reports its marks on standard error when KESMARIN_TRACE_OPEN=1 asks.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <ctime>
#include <cstdio>

namespace {

struct Song {
    const char *name;
    int seconds;
    QStringList codec;
};

const QList<Song> Songs = {
    {"song-5min.mp3", 300, {"-c:a", "libmp3lame", "-b:a", "128k"}},
    {"song-90min.mp3", 5400, {"-c:a", "libmp3lame", "-b:a", "128k"}},
    {"song-7h.mp3", 25200, {"-c:a", "libmp3lame", "-b:a", "128k"}},
    {"song-60min.m4a", 3600, {"-c:a", "aac", "-b:a", "128k"}},
    {"song-60min.wav", 3600, {"-c:a", "pcm_s16le"}},
};

qint64 now()
{
    timespec t{}; // the monotonic clock the marks use
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000LL + t.tv_nsec / 1000000;
}

bool run(const QString &program, const QStringList &arguments, int timeoutMs = 3600000)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, arguments);
    return p.waitForFinished(timeoutMs) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QString make(const QString &cache, const Song &song)
{
    const QString path = cache + QLatin1Char('/') + QLatin1String(song.name);
    if (QFileInfo(path).size() > 0)
        return path;
    std::printf("making %s ...\n", song.name);
    std::fflush(stdout);
    const QString part = path + QStringLiteral(".part.") + QFileInfo(path).suffix();
    QStringList args{"-nostdin", "-v", "error", "-f", "lavfi", "-i",
                     QStringLiteral("sine=frequency=220:sample_rate=44100:duration=%1").arg(song.seconds),
                     "-af", "volume='0.2+0.6*abs(sin(2*PI*t/40))':eval=frame", "-ac", "2"};
    args << song.codec << "-y" << part;
    if (!run("ffmpeg", args) || !QFile::rename(part, path))
        return {};
    return path;
}

// One run of the real program: its marks, and when the sink first sounded.
struct Run {
    QHash<QString, qint64> marks;
    qint64 started = 0; // the command line's start, or Open's Return
    qint64 space = -1;
    qint64 sound = -1;
};

QString xdotool(const QStringList &arguments)
{
    QProcess p;
    p.start("xdotool", arguments);
    p.waitForFinished(10000);
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

Run runOnce(const QString &kesmarin, const QString &song, bool fromOpen, int timeoutMs)
{
    Run result;
    QTemporaryDir home;
    QProcess recorder;
    recorder.start("parec", {"--raw", "--format=s16le", "--rate=44100", "--channels=1", "--latency-msec=10",
                             "-d", "test_sink.monitor"});
    recorder.waitForStarted();
    QObject::connect(&recorder, &QProcess::readyReadStandardOutput, [&] {
        const QByteArray bytes = recorder.readAllStandardOutput();
        if (result.space < 0 || result.sound >= 0)
            return;
        const auto *samples = reinterpret_cast<const qint16 *>(bytes.constData());
        for (qsizetype i = 0; i < bytes.size() / 2; ++i) {
            if (std::abs(samples[i]) > 300) {
                result.sound = now();
                return;
            }
        }
    });

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KESMARIN_TRACE_OPEN", "1");
    env.insert("HOME", home.path());
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_CACHE_HOME", home.filePath("cache"));
    env.remove("KESMARIN_AUDIO");
    program.setProcessEnvironment(env);
    QEventLoop loop;
    QByteArray pending;
    QObject::connect(&program, &QProcess::readyReadStandardError, [&] {
        pending += program.readAllStandardError();
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QList<QByteArray> words = pending.left(end).split(' ');
            pending.remove(0, end + 1);
            if (words.size() == 3 && words[0] == "kesmarin-trace")
                result.marks.insert(QString::fromLatin1(words[1]), words[2].toLongLong());
            else
                continue;
            if (words[1] == "window" && fromOpen) {
                xdotool({"key", "--clearmodifiers", "ctrl+o"});
                // The dialog is up when the active window is no longer the main one.
                const QString main = xdotool({"getactivewindow"});
                QElapsedTimer waited;
                waited.start();
                while (xdotool({"getactivewindow"}) == main && waited.elapsed() < 10000)
                    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
                xdotool({"type", "--delay", "0", song});
                result.started = now();
                xdotool({"key", "Return"});
            }
            if (words[1] == "first-column" && result.space < 0) {
                result.space = now();
                xdotool({"key", "--clearmodifiers", "space"});
            }
        }
        if (result.marks.contains("whole-waveform") && result.sound >= 0)
            loop.quit();
    });
    QObject::connect(&recorder, &QProcess::readyReadStandardOutput, &loop, [&] {
        if (result.marks.contains("whole-waveform") && result.sound >= 0)
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    result.started = now();
    program.start(kesmarin, fromOpen ? QStringList{} : QStringList{song});
    if (fromOpen)
        result.started = -1; // set at the Return
    loop.exec();
    ::kill(pid_t(program.processId()), SIGTERM);
    program.waitForFinished(10000);
    recorder.terminate();
    recorder.waitForFinished(5000);
    return result;
}

struct Stat {
    QList<qint64> values;
    QString text() const
    {
        if (values.isEmpty())
            return QStringLiteral("-");
        QList<qint64> v = values;
        std::sort(v.begin(), v.end());
        return QStringLiteral("%1/%2").arg(v[v.size() / 2]).arg(v.last());
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const int runs = args.value(0, "5").toInt();
    const QStringList only = args.mid(1);
    const QString kesmarin = QStringLiteral(KESMARIN_BUILD_DIR "/kesmarin");
    QString cache = qEnvironmentVariable("KESMARIN_BENCH_CACHE");
    if (cache.isEmpty())
        cache = QDir::homePath() + QStringLiteral("/.cache/kesmarin-bench");
    QDir().mkpath(cache);
    if (qEnvironmentVariableIsEmpty("DISPLAY") || qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        std::fprintf(stderr, "needs an X server and the null sink: run through scripts/with-servers\n");
        return 2;
    }
    std::printf("median/worst of %d runs, milliseconds; command line from the start, Open from the Return\n", runs);
    std::printf("%-15s %-13s %-5s %-13s %-13s %-13s %-13s %-13s\n", "song", "ffmpeg", "from", "window",
                "1st column", "1st sound", "whole", "longest gap");
    for (const Song &song : Songs) {
        if (!only.isEmpty() && !only.contains(QLatin1String(song.name)))
            continue;
        const QString path = make(cache, song);
        if (path.isEmpty()) {
            std::fprintf(stderr, "cannot make %s\n", song.name);
            return 1;
        }
        Stat ffmpeg;
        const QString out = cache + QStringLiteral("/decoded.wav");
        for (int i = 0; i < runs; ++i) {
            const qint64 start = now();
            if (!run("ffmpeg", {"-nostdin", "-v", "error", "-i", path, "-vn", "-y", out}))
                return 1;
            ffmpeg.values.append(now() - start);
        }
        QFile::remove(out);
        // Generous: the whole decode of the longest song, several times over.
        const int timeoutMs = int(std::max<qint64>(60000, *std::max_element(ffmpeg.values.begin(), ffmpeg.values.end()) * 10));
        Stat window, column, sound, whole, gap, openColumn, openSound, openWhole, openGap, before, openBefore;
        const QString beforeProgram = qEnvironmentVariable("KESMARIN_BENCH_BEFORE");
        for (int i = 0; i < runs; ++i) {
            for (bool fromOpen : {false, true}) {
                if (beforeProgram.isEmpty())
                    break;
                const Run r = runOnce(beforeProgram, path, fromOpen, timeoutMs);
                if (r.marks.contains("whole-waveform") && r.started >= 0)
                    (fromOpen ? openBefore : before).values.append(r.marks.value("whole-waveform") - r.started);
            }
            for (bool fromOpen : {false, true}) {
                const Run r = runOnce(kesmarin, path, fromOpen, timeoutMs);
                const auto at = [&r](const char *mark) { return r.marks.value(mark, -1); };
                const qint64 base = r.started;
                const auto add = [base](Stat &stat, qint64 when) {
                    if (when >= 0 && base >= 0)
                        stat.values.append(when - base);
                };
                if (!fromOpen) {
                    add(window, at("window"));
                    add(column, at("first-column"));
                    if (r.sound >= 0 && at("window") >= 0)
                        sound.values.append(r.sound - at("window"));
                    add(whole, at("whole-waveform"));
                    if (at("longest-gap") >= 0)
                        gap.values.append(at("longest-gap"));
                } else {
                    add(openColumn, at("first-column"));
                    add(openSound, r.sound);
                    add(openWhole, at("whole-waveform"));
                    if (at("longest-gap") >= 0)
                        openGap.values.append(at("longest-gap"));
                }
            }
        }
        const auto row = [](const char *name, const Stat &ff, const char *from, const Stat &w, const Stat &c,
                            const Stat &so, const Stat &wh, const Stat &g) {
            std::printf("%-15s %-13s %-5s %-13s %-13s %-13s %-13s %-13s\n", name, qPrintable(ff.text()), from,
                        qPrintable(w.text()), qPrintable(c.text()), qPrintable(so.text()), qPrintable(wh.text()),
                        qPrintable(g.text()));
        };
        row(song.name, ffmpeg, "cli", window, column, sound, whole, gap);
        row("", Stat(), "open", Stat(), openColumn, openSound, openWhole, openGap);
        if (!beforeProgram.isEmpty()) {
            row("  before", Stat(), "cli", Stat(), Stat(), Stat(), before, Stat());
            row("  before", Stat(), "open", Stat(), Stat(), Stat(), openBefore, Stat());
        }
        std::fflush(stdout);
    }
    std::printf("1st sound: after the window (cli) or the Return (open), Space pressed as the first column "
                "shows; longest gap: between two turns of the event loop from the window to the whole waveform\n");
    return 0;
}
