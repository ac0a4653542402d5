#include "setupfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// More than any real settings file; a huge file is not read whole.
constexpr qint64 MaxRead = 64 * 1024;
constexpr qint32 MaxFadeMs = 10000;
// The loudness targets the coder takes.
constexpr qint16 MinLoudness = -70;
constexpr qint16 MaxLoudness = -5;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
} // namespace

QString SetupFile::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)
           + QStringLiteral("/setup.ini");
}

qint16 SetupFile::fieldValue(const QByteArray &field)
{
    qsizetype i = 0;
    const qsizetype n = field.size();
    while (i < n && isBlank(field[i]))
        ++i;
    if (i < n && field[i] == '"') // a quoted field reads like its contents
        ++i;
    const qsizetype start = i;
    if (i < n && (field[i] == '-' || field[i] == '+'))
        ++i;
    qsizetype digits = 0;
    while (i < n && isDigit(field[i]))
        ++i, ++digits;
    if (i < n && field[i] == '.') {
        ++i;
        while (i < n && isDigit(field[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return 0;
    // An exponent counts only when digits follow it.
    if (i < n && (field[i] == 'e' || field[i] == 'E')) {
        qsizetype j = i + 1;
        if (j < n && (field[j] == '-' || field[j] == '+'))
            ++j;
        if (j < n && isDigit(field[j])) {
            while (j < n && isDigit(field[j]))
                ++j;
            i = j;
        }
    }
    const QByteArray number = field.mid(start, i - start);
    double value = 0;
    const char *first = number.constData();
    if (*first == '+') // from_chars takes no plus sign
        ++first;
    const auto [end, error] = std::from_chars(first, number.constData() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Too large for a double reads as the far end of the range; too small as 0.
        const bool tiny = number.contains("e-") || number.contains("E-");
        value = tiny ? 0.0 : (number.startsWith('-') ? -HUGE_VAL : HUGE_VAL);
    } else if (error != std::errc()) {
        return 0;
    }
    constexpr double Low = std::numeric_limits<qint16>::min();
    constexpr double High = std::numeric_limits<qint16>::max();
    if (value <= Low)
        return qint16(Low);
    if (value >= High)
        return qint16(High);
    return qint16(std::nearbyint(value)); // default rounding mode: halves to even
}

SetupValues SetupFile::parse(const QByteArray &text)
{
    SetupValues values;
    constexpr int Fields = 5;
    QByteArray fields[Fields];
    int field = 0;
    for (qsizetype i = 0; i < text.size() && field < Fields; ++i) {
        const char c = text[i];
        if (c == ',' || c == '\n') {
            ++field;
        } else if (c == '\r') {
            ++field;
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            fields[field].append(c);
        }
    }
    values.openFolderChoice = fieldValue(fields[0]);
    values.ringSoundChoice = fieldValue(fields[1]);
    values.fadeInMs = std::clamp<qint32>(fieldValue(fields[2]), 0, MaxFadeMs);
    values.fadeOutMs = std::clamp<qint32>(fieldValue(fields[3]), 0, MaxFadeMs);
    values.normalise = fieldValue(fields[4]) != 0;
    const QList<QByteArray> all = lines(text);
    if (all.size() >= LoudnessLine) {
        const qint16 lufs = fieldValue(all[LoudnessLine - 1]);
        values.loudnessLufs = lufs >= MinLoudness && lufs <= MaxLoudness ? lufs : 0;
    }
    return values;
}

namespace {
// The first bytes of a regular file; nothing for anything else. A FIFO or a
// device is never opened in a way that could wait: checked before the open,
// opened without blocking, and checked again on what was opened.
std::optional<QByteArray> readRegular(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st = {};
    if (::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    QFile file;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    return file.read(MaxRead);
}
} // namespace

SetupValues SetupFile::read(const QString &path)
{
    return parse(readRegular(path).value_or(QByteArray()));
}


QList<QByteArray> SetupFile::lines(const QByteArray &text)
{
    QList<QByteArray> out;
    QByteArray line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            out.append(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            line.append(c);
        }
    }
    if (!line.isEmpty())
        out.append(line);
    return out;
}

namespace {
// Lines 1 to 5, as the values say.
QList<QByteArray> ownLines(const SetupValues &values)
{
    return {QByteArray::number(values.openFolderChoice), QByteArray::number(values.ringSoundChoice),
            QByteArray::number(values.fadeInMs), QByteArray::number(values.fadeOutMs),
            QByteArray::number(values.normalise ? 1 : 0)};
}

QList<QByteArray> readLines(const QString &path)
{
    return SetupFile::lines(readRegular(path).value_or(QByteArray()));
}

QString tell(const char *text, const QString &path)
{
    return QCoreApplication::translate("SetupFile", text).arg(QDir::toNativeSeparators(path));
}

QString cannotWrite(const QString &path)
{
    return tell(QT_TRANSLATE_NOOP("SetupFile", "设置没有保存：无法写入 %1。"), path);
}

// Where a write of the settings path goes: the path itself when it is a
// regular file or nothing yet; through a symbolic link only to a regular file
// in a folder of this user's (anything else, a device above all, must not be
// replaced). Empty, with the reason for the user, when it is left alone.
QString writeTarget(const QString &path, QString *problem)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st = {};
    if (::lstat(name.constData(), &st) != 0) {
        if (errno == ENOENT)
            return path;
        *problem = cannotWrite(path);
        return {};
    }
    if (S_ISREG(st.st_mode))
        return path;
    const auto notAFile = [&] {
        *problem = tell(QT_TRANSLATE_NOOP("SetupFile", "设置没有保存：%1 不是一个普通文件。"), path);
        return QString();
    };
    if (!S_ISLNK(st.st_mode))
        return notAFile();
    char *real = ::realpath(name.constData(), nullptr);
    if (!real)
        return notAFile(); // dangling, or a loop
    const QByteArray resolved(real);
    std::free(real);
    if (::stat(resolved.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return notAFile();
    const qsizetype slash = resolved.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? resolved.left(slash) : QByteArray("/");
    if (::stat(folder.constData(), &st) != 0 || st.st_uid != ::geteuid()) {
        *problem =
            tell(QT_TRANSLATE_NOOP("SetupFile", "设置没有保存：%1 链接到不属于你的文件夹。"), path);
        return {};
    }
    // A target whose name is not UTF-8 cannot be named to QSaveFile as it is.
    const QString target = QFile::decodeName(resolved);
    if (QFile::encodeName(target) != resolved) {
        *problem = cannotWrite(path);
        return {};
    }
    return target;
}

bool writeLines(const QString &path, const QList<QByteArray> &lines, QString *problem)
{
    QString why;
    const QString target = writeTarget(path, &why);
    const auto fail = [&] {
        if (why.isEmpty())
            why = cannotWrite(path);
        if (problem)
            *problem = why;
        return false;
    };
    if (target.isEmpty())
        return fail();
    QDir().mkpath(QFileInfo(target).absolutePath());
    // The temporary file lies beside the target and is renamed over it.
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return fail();
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + "\r\n";
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return fail();
    }
    return file.commit() || fail();
}
} // namespace

QByteArray SetupFile::format(const SetupValues &values)
{
    QList<QByteArray> lines = ownLines(values);
    // A loudness target is a line of its own after the others.
    if (values.loudnessLufs != 0) {
        while (lines.size() < LoudnessLine)
            lines.append(QByteArray());
        lines[LoudnessLine - 1] = QByteArray::number(values.loudnessLufs);
    }
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + "\r\n";
    return bytes;
}

bool SetupFile::write(const QString &path, const SetupValues &values, QString *problem)
{
    QList<QByteArray> kept = readLines(path);
    const QList<QByteArray> own = ownLines(values);
    while (kept.size() < own.size())
        kept.append(QByteArray());
    for (int i = 0; i < own.size(); ++i)
        kept[i] = own[i];
    // Line 7 is written only when it would read otherwise: a file of the
    // older lines keeps their number while no target is set.
    if (parse(kept.join("\r\n") + "\r\n").loudnessLufs != values.loudnessLufs) {
        while (kept.size() < LoudnessLine)
            kept.append(QByteArray());
        kept[LoudnessLine - 1] = QByteArray::number(values.loudnessLufs);
    }
    return writeLines(path, kept, problem);
}

QString SetupFile::readSaveFolder(const QString &path)
{
    const QList<QByteArray> all = readLines(path);
    if (all.size() < SaveFolderLine)
        return QString();
    return QFile::decodeName(all[SaveFolderLine - 1]);
}

bool SetupFile::writeSaveFolder(const QString &path, const QString &folder,
                                const SetupValues &values, QString *problem)
{
    const QByteArray line = QFile::encodeName(folder);
    if (line.contains('\r') || line.contains('\n'))
        return false;
    QList<QByteArray> all = readLines(path);
    const QList<QByteArray> own = ownLines(values);
    while (all.size() < own.size())
        all.append(own[all.size()]);
    while (all.size() < SaveFolderLine)
        all.append(QByteArrayLiteral("0"));
    all[SaveFolderLine - 1] = line;
    return writeLines(path, all, problem);
}
