#pragma once

#include <QString>
#include <QtGlobal>

// The settings kept in setup.ini as positional lines, each a decimal number
// followed by CR LF: the two after-export choices, then the export's fades
// and level. A file of two lines reads as no fades and no normalising; lines
// after the fifth belong to others and are kept as they are.
struct SetupValues {
    qint16 openFolderChoice = 0; // 0 opens the output folder, anything else does nothing
    qint16 ringSoundChoice = 0;  // 0 plays the chime, anything else does nothing
    qint32 fadeInMs = 0;         // line 3, 0 to 10000
    qint32 fadeOutMs = 0;        // line 4, 0 to 10000
    bool normalise = false;      // line 5, 1 brings the peak to -1 dBFS

    friend bool operator==(const SetupValues &, const SetupValues &) = default;
};

class SetupFile
{
public:
    // <config folder>/setup.ini; an installed program's own folder is not writable.
    static QString defaultPath();

    // Reads the first five fields (separated by a comma or a line end). A field
    // that is missing or holds no number stays 0; numbers go to the nearest
    // 16-bit integer, halves to even; fades are kept within 0..10000 ms and
    // any number but 0 normalises. A missing or unreadable file gives zeros.
    static SetupValues read(const QString &path);
    // The same rules on text already in memory.
    static SetupValues parse(const QByteArray &text);

    // Writes the five lines, then whatever lines the file held after its
    // fifth, through a temporary file and a rename, so an interrupted write
    // never leaves a damaged file. False when it failed; the old file is then
    // untouched.
    static bool write(const QString &path, const SetupValues &values);

    static QByteArray format(const SetupValues &values);
    // The lines a file holds after its fifth, line ends and all.
    static QByteArray linesAfterFifth(const QByteArray &text);
    // The leading number of a field as a 16-bit integer (0 when there is none).
    static qint16 fieldValue(const QByteArray &field);
};
