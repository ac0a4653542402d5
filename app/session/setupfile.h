#pragma once

#include <QString>
#include <QtGlobal>

// The two after-export choices kept in setup.ini as two positional lines,
// each a decimal number followed by CR LF.
struct SetupValues {
    qint16 openFolderChoice = 0; // 0 opens the output folder, anything else does nothing
    qint16 ringSoundChoice = 0;  // 0 plays the chime, anything else does nothing

    friend bool operator==(const SetupValues &, const SetupValues &) = default;
};

class SetupFile
{
public:
    // <config folder>/setup.ini; an installed program's own folder is not writable.
    static QString defaultPath();

    // Reads the first two fields (separated by a comma or a line end). A field
    // that is missing or holds no number stays 0; numbers go to the nearest
    // 16-bit integer, halves to even. A missing or unreadable file gives 0, 0.
    static SetupValues read(const QString &path);
    // The same rules on text already in memory.
    static SetupValues parse(const QByteArray &text);

    // Writes "a\r\nb\r\n" through a temporary file and a rename, so an
    // interrupted write never leaves a damaged file. False when it failed;
    // the old file is then untouched.
    static bool write(const QString &path, const SetupValues &values);

    static QByteArray format(const SetupValues &values);
    // The leading number of a field as a 16-bit integer (0 when there is none).
    static qint16 fieldValue(const QByteArray &field);
};
