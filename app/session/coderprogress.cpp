#include "coderprogress.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>
#include <limits>

namespace {

const QString DurationKey = QStringLiteral("Duration: ");
const QString TimeKey = QStringLiteral("time=");

// The first `key` that still has at least one character after it, and the
// text from there to the next blank.
std::optional<QString> valueAfter(const QString &chunk, const QString &key)
{
    const int at = chunk.indexOf(key);
    if (at < 0 || at + key.size() >= chunk.size())
        return std::nullopt;
    const int from = at + key.size();
    int end = chunk.indexOf(QLatin1Char(' '), from);
    if (end < 0)
        end = chunk.size();
    return chunk.mid(from, end - from);
}

// The leading decimal number of a text ("12.34s" -> 12.34); nullopt when the
// text does not start with one.
std::optional<double> leadingNumber(const QString &text)
{
    int i = 0;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        ++i;
    const int digitsFrom = i;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128)
        ++i;
    int digits = i - digitsFrom;
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        ++i;
        const int fractionFrom = i;
        while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128)
            ++i;
        digits += i - fractionFrom;
    }
    if (digits == 0)
        return std::nullopt;
    QString number = text.left(i);
    if (number.endsWith(QLatin1Char('.')))
        number.chop(1);
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

} // namespace

namespace CoderProgress {

int roundSeconds(double seconds)
{
    const double rounded = std::nearbyint(seconds); // the default mode rounds halves to even
    if (!(rounded > -2147483648.0))
        return std::numeric_limits<int>::min();
    if (!(rounded < 2147483647.0))
        return std::numeric_limits<int>::max();
    return int(rounded);
}

std::optional<int> parseDuration(const QString &chunk)
{
    const auto value = valueAfter(chunk, DurationKey);
    if (!value || value->isEmpty())
        return std::nullopt;
    const QStringList parts = value->split(QLatin1Char(':'));
    if (parts.size() < 3)
        return std::nullopt;
    double seconds = 0;
    const double scale[3] = {3600, 60, 1};
    for (int i = 0; i < 3; ++i) {
        const auto number = leadingNumber(parts[i]);
        if (!number)
            return std::nullopt;
        seconds += *number * scale[i];
    }
    return roundSeconds(seconds);
}

std::optional<int> parsePosition(const QString &chunk)
{
    const auto value = valueAfter(chunk, TimeKey);
    if (!value)
        return std::nullopt;
    return roundSeconds(leadingNumber(*value).value_or(0));
}

QString percentText(double percent)
{
    QString text = QString::number(percent, 'g', 15);
    // Very small shares would come out in exponent form ("1e-05"); a bar
    // label wants the plain digits.
    if (text.contains(QLatin1Char('e')))
        text = QString::number(percent, 'f', 15);
    return text.left(4) + QLatin1Char('%');
}

QString shortFileName(const QString &path)
{
    constexpr qsizetype Longest = 35;
    if (path.size() <= Longest)
        return path;
    // The file's own name stays whole; its folders give way in their middle.
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString folder = path.left(slash + 1);
    const QString name = path.mid(slash + 1);
    const qsizetype room = Longest - 1 - name.size();
    if (room < 4)
        return QStringLiteral("…/") + name;
    const qsizetype tail = std::min<qsizetype>(room / 2, folder.size());
    return folder.left(room - tail) + u'…' + folder.right(tail) + name;
}

Bar bar(int t, int total, int fullTwips)
{
    if (total == 0)
        return {fullTwips, QStringLiteral("100%")};
    const double f = double(t) / double(total);
    if (f * 100 >= 100)
        return {fullTwips, QStringLiteral("100%")};
    if (f <= 0)
        return {0, percentText(0)};
    return {roundSeconds(f * fullTwips), percentText(f * 100)};
}

std::optional<DecodeReport> parseDecodeReport(const QString &line)
{
    // Anchored whole: a file name the coder echoes sits inside another line.
    static const QRegularExpression growing(QStringLiteral(
        "^growing rate=([1-9][0-9]{0,8}) channels=([1-9][0-9]{0,3}) data=([0-9]{1,12}) "
        "frames=(-1|[0-9]{1,18})$"));
    static const QRegularExpression stretch(QStringLiteral("^decoded=([0-9]{1,18})-([0-9]{1,18})$"));
    static const QRegularExpression complete(QStringLiteral("^decoded=all ([0-9]{1,18})$"));
    if (line == QLatin1String("decoded=withdrawn"))
        return DecodeReport{DecodeReport::Kind::Withdrawn};
    if (const auto m = stretch.match(line); m.hasMatch()) {
        DecodeReport report{DecodeReport::Kind::Stretch};
        report.first = m.captured(1).toLongLong();
        report.end = m.captured(2).toLongLong();
        if (report.end <= report.first)
            return std::nullopt;
        return report;
    }
    if (const auto m = growing.match(line); m.hasMatch()) {
        DecodeReport report{DecodeReport::Kind::Growing};
        report.rate = m.captured(1).toInt();
        report.channels = m.captured(2).toInt();
        report.dataStart = m.captured(3).toLongLong();
        report.end = m.captured(4).toLongLong();
        return report;
    }
    if (const auto m = complete.match(line); m.hasMatch()) {
        DecodeReport report{DecodeReport::Kind::Complete};
        report.end = m.captured(1).toLongLong();
        return report;
    }
    return std::nullopt;
}

} // namespace CoderProgress

namespace {
// Longer than any line the coder writes, file names included.
constexpr qsizetype MaxLine = 64 * 1024;

bool startsWithAfterBlanks(const QString &line, QLatin1StringView key)
{
    qsizetype i = 0;
    while (i < line.size() && (line[i] == QLatin1Char(' ') || line[i] == QLatin1Char('\t')))
        ++i;
    return QStringView(line).mid(i).startsWith(key);
}
} // namespace

std::optional<CoderProgress::Bar> CoderJobProgress::take(const QString &chunk)
{
    std::optional<CoderProgress::Bar> last;
    qsizetype from = 0;
    for (qsizetype i = 0; i < chunk.size(); ++i) {
        if (chunk[i] != QLatin1Char('\n') && chunk[i] != QLatin1Char('\r'))
            continue;
        if (!m_overlong) {
            m_partial += QStringView(chunk).mid(from, i - from);
            if (auto bar = readLine(m_partial))
                last = bar;
        }
        m_partial.clear();
        m_overlong = false;
        from = i + 1;
    }
    if (!m_overlong)
        m_partial += QStringView(chunk).mid(from);
    if (m_partial.size() > MaxLine) {
        m_partial.clear();
        m_overlong = true;
    }
    return last;
}

std::optional<CoderProgress::Bar> CoderJobProgress::finish()
{
    std::optional<CoderProgress::Bar> bar;
    if (!m_overlong && !m_partial.isEmpty())
        bar = readLine(m_partial);
    m_partial.clear();
    m_overlong = false;
    return bar;
}

std::optional<CoderProgress::Bar> CoderJobProgress::readLine(const QString &line)
{
    // The header of the coder's one input: "Input #0, fmt, from 'name':", then
    // its "  Duration: ..." and stream lines, until the output's header.
    if (line.startsWith(QLatin1String("Input #"))) {
        m_inInputHeader = !m_headerSeen;
        m_headerSeen = true;
        return std::nullopt;
    }
    if (line.startsWith(QLatin1String("Output #")) || line.startsWith(QLatin1String("size="))) {
        m_inInputHeader = false;
    }
    if (m_kind == Kind::Decode && (line.startsWith(QLatin1String("decoded=")) ||
                                   line.startsWith(QLatin1String("growing ")))) {
        if (const auto report = CoderProgress::parseDecodeReport(line))
            m_reports.append(*report);
        return std::nullopt;
    }
    if (m_inInputHeader) {
        if (m_coderDuration == 0 && startsWithAfterBlanks(line, QLatin1String("Duration: "))) {
            if (const auto duration = CoderProgress::parseDuration(line))
                m_coderDuration = *duration;
        }
        return std::nullopt;
    }
    if (!line.startsWith(QLatin1String("size=")))
        return std::nullopt;
    const auto t = CoderProgress::parsePosition(line);
    if (!t)
        return std::nullopt;
    if (m_coderDuration == 0)
        return CoderProgress::bar(*t, 0, m_fullTwips);
    const int total = m_kind == Kind::Decode ? m_coderDuration : m_stretch;
    return CoderProgress::bar(*t, total, m_fullTwips);
}
