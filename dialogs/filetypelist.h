#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A "description|pattern|description|pattern" text taken apart into the file
// types a file dialog offers. Patterns inside one element are separated by ";".
class FileTypeList
{
public:
    struct FileType {
        QString description;
        QStringList patterns;
    };

    FileTypeList() = default;
    explicit FileTypeList(const QString &filter);

    const QList<FileType> &types() const { return m_types; }
    bool isEmpty() const { return m_types.isEmpty(); }

    // The types as QFileDialog name filters, "description (pattern pattern)",
    // in order; the description alone is what the dialog shows.
    QStringList nameFilters() const;
    // Index of a name filter as nameFilters() wrote it or as a dialog hiding
    // the patterns shows it (the description), -1 when unknown.
    int indexOfNameFilter(const QString &nameFilter) const;
    // The extension a name typed without one gets when this type is selected:
    // the first pattern's, when it names one ("*.mp3" gives "mp3", "*.*" none).
    QString suffixOf(int index) const;

private:
    QList<FileType> m_types;
};
