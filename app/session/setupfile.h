#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

// The two after-export choices kept in setup.ini as two positional lines,
// each a decimal number followed by CR LF. Later lines belong to other
// settings (line 6: the folder last saved to); a writer keeps the lines it
// does not own.
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

    // Writes "a\r\nb\r\n" as the first two lines, keeping the lines after
    // them, through a temporary file and a rename, so an interrupted write
    // never leaves a damaged file. False when it failed; the old file is then
    // untouched.
    static bool write(const QString &path, const SetupValues &values);

    // The two choices as the first two lines.
    static QByteArray format(const SetupValues &values);

    // Line 6: the folder the user last saved a ringtone to; empty when there
    // is none.
    static constexpr int SaveFolderLine = 6;
    static QString readSaveFolder(const QString &path);
    // Sets line 6 and keeps the others; lines missing before it are filled
    // with the values in memory (lines 1 and 2) or "0". A folder that cannot
    // be one line is not kept (false).
    static bool writeSaveFolder(const QString &path, const QString &folder,
                                const SetupValues &values);

    // The file's lines without their ends (CR LF, LF or CR).
    static QList<QByteArray> lines(const QByteArray &text);

    // The leading number of a field as a 16-bit integer (0 when there is none).
    static qint16 fieldValue(const QByteArray &field);
};
