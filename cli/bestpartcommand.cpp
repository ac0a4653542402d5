#include "bestpartcommand.h"

#include "bestpart.h"
#include "codercommand.h"
#include "exportcontroller.h"
#include "opencontroller.h"
#include "formattime.h"
#include "phonelimits.h"
#include "savedfile.h"
#include "setupfile.h"

#include "language.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>

#include <cstring>

namespace {

// Runs one coder job to its end; its merged output, and whether it succeeded.
bool runCoder(const CoderCommand &command, QString &output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(command.program, command.arguments);
    if (!process.waitForStarted()) {
        output = command.program + QStringLiteral(": ") + process.errorString();
        return false;
    }
    process.waitForFinished(-1);
    output = QString::fromLocal8Bit(process.readAll());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// The coder's own one-line reason, which names the file, without its "coder: ".
QString coderLine(const QString &output)
{
    const QString reason = coderReason(output);
    if (reason.isEmpty())
        return QStringLiteral("the coder failed");
    return reason.startsWith(QStringLiteral("coder: ")) ? reason.mid(7) : reason;
}

} // namespace

bool BestPartCommand::isCommand(int argc, char *argv[])
{
    return argc > 1 && std::strcmp(argv[1], "--best-part") == 0;
}

int BestPartCommand::main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kesmarin"));
    QTranslator translator;
    if (Language::load(translator, Language::choose(QLocale::system().uiLanguages())))
        QCoreApplication::installTranslator(&translator);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return run(QCoreApplication::arguments(), QCoreApplication::applicationDirPath(),
               SetupFile::defaultPath(), out, err);
}

std::optional<BestPartCommand::Options> BestPartCommand::parse(const QStringList &arguments,
                                                               QString &error)
{
    Options options;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &word = arguments.at(i);
        const bool hasValue = i + 1 < arguments.size();
        if (word == u"--best-part" && hasValue && options.input.isEmpty()) {
            options.input = arguments.at(++i);
        } else if (word == u"-o" && hasValue) {
            options.output = arguments.at(++i);
        } else if (word == u"--length" && hasValue) {
            bool ok = false;
            const double seconds = arguments.at(++i).toDouble(&ok);
            if (!ok || seconds < 1.0 || seconds > 3600.0) {
                error = QStringLiteral("--length wants seconds from 1 to 3600");
                return std::nullopt;
            }
            options.lengthMs = qint64(seconds * 1000.0 + 0.5);
        } else if (word == u"--loudness" && hasValue) {
            bool ok = false;
            const double lufs = arguments.at(++i).toDouble(&ok);
            if (!ok || lufs < -70.0 || lufs > -5.0) {
                error = QStringLiteral("--loudness wants LUFS from -70 to -5");
                return std::nullopt;
            }
            options.loudness = lufs;
        } else {
            error = QStringLiteral("usage: kesmarin --best-part FILE [-o OUT] [--length S] "
                                   "[--loudness LUFS]");
            return std::nullopt;
        }
    }
    if (options.input.isEmpty()) {
        error = QStringLiteral("--best-part needs a file");
        return std::nullopt;
    }
    return options;
}

QString BestPartCommand::timeText(qint64 milliSeconds)
{
    return FormatTime(qint32(milliSeconds / 1000)) + u'.' +
           QStringLiteral("%1").arg(milliSeconds % 1000, 3, 10, QLatin1Char('0'));
}

int BestPartCommand::run(const QStringList &arguments, const QString &appFolder,
                         const QString &setupPath, QTextStream &out, QTextStream &err)
{
    QString error;
    const std::optional<Options> options = parse(arguments, error);
    if (!options) {
        err << "kesmarin: " << error << Qt::endl;
        return 1;
    }
    if (!options->output.isEmpty() && !CoderCommand::exportOptionsFor(options->output)) {
        err << "kesmarin: " << options->output << ": unknown ringtone format" << Qt::endl;
        return 1;
    }
    QTemporaryDir work;
    if (!work.isValid()) {
        err << "kesmarin: no private working folder: " << work.errorString() << Qt::endl;
        return 1;
    }
    const QString workFile = work.filePath(QStringLiteral("open.wav"));
    QString output;
    if (!runCoder(CoderCommand::decode(appFolder, workFile, options->input), output)) {
        err << "kesmarin: " << coderLine(output) << Qt::endl;
        return 1;
    }
    const std::optional<SongAnalysis> song = BestPart::analyseFile(workFile);
    const qint64 capMs = PhoneLimits::asksToShorten(options->output, options->lengthMs)
                             ? PhoneLimits::IphoneMs
                             : options->lengthMs;
    const std::vector<Suggestion> found =
        song ? BestPart::suggestions(*song, options->lengthMs, capMs) : std::vector<Suggestion>{};
    if (found.empty()) {
        err << "kesmarin: " << options->input << ": no stretch to suggest" << Qt::endl;
        return 1;
    }
    const Suggestion &best = found.front();
    out << timeText(best.beginMs) << ' ' << timeText(best.endMs) << Qt::endl;
    if (options->output.isEmpty())
        return 0;

    // The export as Save makes it: fades from the settings, then either the
    // loudness target or the settings' peak normalising.
    const SetupValues setup = SetupFile::read(setupPath);
    const FadeLevel fades{setup.fadeInMs, setup.fadeOutMs, setup.normalise};
    const Stretch stretch{best.beginMs, best.endMs - best.beginMs};
    // A target on the command line comes before the one of the settings.
    const std::optional<double> loudness =
        options->loudness ? options->loudness
        : setup.loudnessLufs != 0 ? std::optional<double>(setup.loudnessLufs)
                                  : std::nullopt;
    std::optional<double> gain;
    if (fades.normalise && !loudness) {
        const QString faded = CoderCommand::filterGraph(fades, stretch.lengthMs);
        if (!runCoder(CoderCommand::measurePeak(appFolder, workFile, stretch, faded), output)) {
            err << "kesmarin: " << coderLine(output) << Qt::endl;
            return 1;
        }
        if (const auto peak = CoderCommand::maxVolume(output))
            gain = CoderCommand::normalisingGain(*peak);
    }
    const auto command = CoderCommand::exportRingtone(
        appFolder, workFile, stretch, options->output,
        CoderCommand::filterGraph(fades, stretch.lengthMs, gain), loudness);
    if (!command || !runCoder(*command, output)) {
        err << "kesmarin: " << coderLine(output) << Qt::endl;
        return 1;
    }
    const std::optional<SavedFile> saved = SavedFile::fromOutput(output);
    if (!saved) {
        err << "kesmarin: " << options->output << ": the file did not read back" << Qt::endl;
        return 1;
    }
    out << ExportController::savedText(options->output, *saved) << Qt::endl;
    return 0;
}
