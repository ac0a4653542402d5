#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

// The settings kept in setup.ini as positional lines, each a decimal number
// followed by CR LF: the two after-export choices, then the export's fades
// and level (lines 3 to 5; a file of two lines reads as no fades and no
// normalising). Later lines belong to other settings (line 6: the folder
// last saved to); a writer keeps the lines it does not own. Line 7 is the
// export's loudness target; a file without it reads as no target.
struct SetupValues {
    qint16 openFolderChoice = 0; // 0 opens the output folder, anything else does nothing
    qint16 ringSoundChoice = 0;  // 0 plays the chime, anything else does nothing
    qint32 fadeInMs = 0;         // line 3, 0 to 10000
    qint32 fadeOutMs = 0;        // line 4, 0 to 10000
    bool normalise = false;      // line 5, any number but 0 brings the peak to -1 dBFS
    qint16 loudnessLufs = 0;     // line 7, a loudness target from -70 to -5 LUFS; 0 (or none): off

    friend bool operator==(const SetupValues &, const SetupValues &) = default;
};

class SetupFile
{
public:
    // <config folder>/setup.ini; an installed program's own folder is not writable.
    static QString defaultPath();

    // Reads the first five fields (separated by a comma or a line end). A
    // field that is missing or holds no number stays 0; numbers go to the
    // nearest 16-bit integer, halves to even; fades are kept within 0..10000
    // ms. A missing or unreadable file, or anything but a regular file (a
    // FIFO, a device, a folder), gives zeros.
    static SetupValues read(const QString &path);
    // The same rules on text already in memory.
    static SetupValues parse(const QByteArray &text);

    // Writes the first five lines, keeping the lines after them, through a
    // temporary file and a rename, so an interrupted write never leaves a
    // damaged file. Only a regular file is replaced; a symbolic link is
    // written through to its target when that is a regular file in a folder
    // of this user's. False when it failed, with a sentence for the user in
    // problem; the old file is then untouched.
    static bool write(const QString &path, const SetupValues &values, QString *problem = nullptr);

    // The values as the first five lines, and the loudness target on its own
    // line when one is set.
    static QByteArray format(const SetupValues &values);

    // Line 6: the folder the user last saved a ringtone to; empty when there
    // is none.
    static constexpr int SaveFolderLine = 6;
    static constexpr int LoudnessLine = 7;
    static QString readSaveFolder(const QString &path);
    // Sets line 6 and keeps the others; lines missing before it are filled
    // with the values in memory. A folder that cannot be one line is not
    // kept (false, with nothing to tell). Otherwise as write().
    static bool writeSaveFolder(const QString &path, const QString &folder,
                                const SetupValues &values, QString *problem = nullptr);

    // The file's lines without their ends (CR LF, LF or CR).
    static QList<QByteArray> lines(const QByteArray &text);

    // The leading number of a field as a 16-bit integer (0 when there is none).
    static qint16 fieldValue(const QByteArray &field);
};
