#include "codercommand.h"

namespace {

QString programIn(const QString &appFolder)
{
    return appFolder + QStringLiteral("/data/coder");
}

// A relative path starting with "-" would read as an option; "./" keeps it a path.
QString asPathArgument(const QString &path)
{
    return path.startsWith(u'-') ? QStringLiteral("./") + path : path;
}

} // namespace

std::optional<CoderCommand::Format> CoderCommand::formatOf(const QString &target)
{
    const QString tail = target.right(3).toLower();
    if (tail == u"mp3")
        return Format::Mp3;
    if (tail == u"wma")
        return Format::Wma;
    if (tail == u"wav")
        return Format::Wav;
    if (tail == u"amr")
        return Format::Amr;
    if (tail == u"m4r")
        return Format::M4r;
    return std::nullopt;
}

QString CoderCommand::optionsOf(Format format)
{
    switch (format) {
    case Format::Mp3:
        return QStringLiteral(" -y -ab 128k -ar 44100 -ac 1 ");
    case Format::Wma:
        return QStringLiteral(" -y -acodec wmav1 ");
    case Format::Wav:
        return QStringLiteral(" -y ");
    case Format::Amr:
        return QStringLiteral(" -y -ar 8000 -ab 7.4k -ac 1 ");
    case Format::M4r:
        return QStringLiteral(" -y -acodec aac -ab 128k -ar 44100 -ac 2 ");
    }
    return {};
}

CoderCommand CoderCommand::decode(const QString &appFolder, const QString &workFile,
                                  const QString &source)
{
    CoderCommand command;
    command.program = programIn(appFolder);
    command.arguments = {QStringLiteral("-i"), source, QStringLiteral("-y"),
                         QStringLiteral("-vn"), asPathArgument(workFile)};
    command.commandLine = command.program + QStringLiteral(" -i \"") + source +
                          QStringLiteral("\" -y -vn ") + workFile;
    return command;
}

std::optional<CoderCommand> CoderCommand::exportRingtone(const QString &appFolder,
                                                         const QString &workFile, qint64 begin,
                                                         qint64 length, const QString &target)
{
    const std::optional<Format> format = formatOf(target);
    if (!format)
        return std::nullopt;
    const QString options = optionsOf(*format);
    CoderCommand command;
    command.program = programIn(appFolder);
    command.arguments = {QStringLiteral("-i"), workFile,
                         QStringLiteral("-ss"), QString::number(begin),
                         QStringLiteral("-t"), QString::number(length)};
    command.arguments += options.split(u' ', Qt::SkipEmptyParts);
    command.arguments.append(asPathArgument(target));
    command.commandLine = command.program + QStringLiteral(" -i ") + workFile +
                          QStringLiteral(" -ss ") + QString::number(begin) +
                          QStringLiteral(" -t ") + QString::number(length) + options +
                          u'"' + target + u'"';
    return command;
}
