#pragma once

#include "codercommand.h"

#include <QString>
#include <QtGlobal>

// Shared flags are 16-bit values with True = -1, as the settings file and the
// rest of the program expect.
class CCommonDialogs;

using Bool16 = qint16;
inline constexpr Bool16 True16 = -1;
inline constexpr Bool16 False16 = 0;

// The one record shared by the workflow, the editor and the settings. Every
// field starts at zero; the main window gives the real start values at load.
struct EditorState
{
    Bool16 Paused = False16;
    Bool16 FileOpened = False16;
    CCommonDialogs *Dialogs = nullptr;  // the common dialog object, owned by the main window
    qint16 OpenFolderChoice = 0;        // 0 opens the output folder after an export
    qint16 RingSoundChoice = 0;         // 0 plays the chime after an export
    Bool16 Dragging = False16;          // a marker image is pressed
    Bool16 PlayingSelection = False16;
    // The selection in milliseconds. Dragging at the whole song, the random
    // cut and the transport buttons still give whole seconds; typed times,
    // keys and zoomed drags give any millisecond.
    qint64 SelBeginMs = 0;
    float PlayRatio = 0.0f;             // last polled position / length
    qint64 SelEndMs = 0;                // 0 = no end chosen
    QString JobKind;                    // "open file" while decoding
    FadeLevel Fades;                    // the export's fades and level (setup.ini lines 3-5)
};
