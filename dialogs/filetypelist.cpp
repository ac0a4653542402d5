#include "filetypelist.h"

namespace
{

// Qt's "*.*" matches only names holding a dot; here it means every file,
// names without an extension included.
QString qtPattern(const QString &pattern)
{
    return pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern;
}

} // namespace

FileTypeList::FileTypeList(const QString &filter)
{
    if (filter.isEmpty())
        return;
    const QStringList elements = filter.split(QLatin1Char('|'));
    // A description left without a pattern offers nothing to match.
    for (qsizetype i = 0; i + 1 < elements.size(); i += 2) {
        FileType type;
        type.description = elements.at(i);
        for (const QString &piece : elements.at(i + 1).split(QLatin1Char(';'))) {
            const QString pattern = piece.trimmed();
            if (!pattern.isEmpty())
                type.patterns.append(pattern);
        }
        m_types.append(type);
    }
}

QStringList FileTypeList::nameFilters() const
{
    QStringList filters;
    filters.reserve(m_types.size());
    for (const FileType &type : m_types) {
        QStringList patterns;
        for (const QString &pattern : type.patterns)
            patterns.append(qtPattern(pattern));
        if (patterns.isEmpty())
            patterns.append(QStringLiteral("*"));
        // QFileDialog simplifies every filter it is given; do it first so
        // that indexOfNameFilter() finds what the dialog hands back.
        filters.append((type.description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                        QLatin1Char(')'))
                           .simplified());
    }
    return filters;
}

int FileTypeList::indexOfNameFilter(const QString &nameFilter) const
{
    // A dialog that hides the patterns hands back the description alone.
    const QStringList filters = nameFilters();
    for (int i = 0; i < filters.size(); ++i) {
        if (filters.at(i) == nameFilter || m_types.at(i).description.simplified() == nameFilter)
            return i;
    }
    return -1;
}

QString FileTypeList::suffixOf(int index) const
{
    if (index < 0 || index >= m_types.size() || m_types.at(index).patterns.isEmpty())
        return {};
    const QString &pattern = m_types.at(index).patterns.first();
    const qsizetype dot = pattern.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return {};
    const QString suffix = pattern.mid(dot + 1);
    for (const QChar c : suffix) {
        if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('['))
            return {};
    }
    return suffix;
}
