#pragma once

// Kesmarin's pictures, cursors and icons, built from assets/src into the
// resource prefix /art. Names and sizes are listed here and in assets/README.md.

#include <QBitmap>
#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QString>

namespace Art {

// Picture names (sizes in pixels at 1x; every picture also has a 2x sibling).
namespace Name {
inline constexpr char MainSkin[] = "main";           // 765 x 565, keyed
inline constexpr char SettingsSkin[] = "settings";   // 420 x 252, keyed
inline constexpr char Splash[] = "splash";           // 450 x 250, keyed
inline constexpr char Strip[] = "strip";             // 746 x 363, picOpened (its card fills the top 360 rows)
inline constexpr char StripBlank[] = "strip-blank";  // the strip without its waveform
inline constexpr char MinLight[] = "min-light";      // 22 x 22, imgMinLight
inline constexpr char ExitLight[] = "exit-light";    // 22 x 22, imgExitLight
inline constexpr char OpenLight[] = "open-light";    // 31 x 36, imgGettingStartedLight
inline constexpr char PointerTop[] = "pointer-top";  // 13 x 8, imgTopPoint
inline constexpr char PointerLine[] = "pointer-line"; // 1 x 284, imgLine
inline constexpr char PointerBottom[] = "pointer-bottom"; // 13 x 8, imgBottomPoint
inline constexpr char BeginTop[] = "begin-top";      // imgSelectTop1
inline constexpr char BeginLine[] = "begin-line";    // imgSelectLine1
inline constexpr char BeginBottom[] = "begin-bottom"; // imgSelectBottom1
inline constexpr char EndTop[] = "end-top";          // imgSelectTop2
inline constexpr char EndLine[] = "end-line";        // imgSelectLine2
inline constexpr char EndBottom[] = "end-bottom";    // imgSelectBottom2
inline constexpr char DecodePanel[] = "decode-panel"; // 462 x 37, picPBBack
inline constexpr char DecodeBar[] = "decode-bar";    // 361 x 13, imgPB (stretched)
inline constexpr char ExportPanel[] = "export-panel"; // 281 x 15, picPro
inline constexpr char ExportBar[] = "export-bar";    // 281 x 15, imgPro (stretched)
inline constexpr char IconOk[] = "icon-ok";          // 32 x 32, cmdOK's icon
inline constexpr char IconBack[] = "icon-back";      // 32 x 32, cmbBack's icon
inline constexpr char CursorHand[] = "cursor-hand";  // 32 x 32, hot spot (6, 0)
inline constexpr char CursorMarker[] = "cursor-marker"; // 32 x 32, hot spot (6, 0)
} // namespace Name

// Indexed families: imgButtonData(i) for i in 0-2, 4-7; imgMenuData(i) for
// 0-3; imgCtrlButtonLight(i) and imgCtrlButtonPress(i) for 0-6.
QString buttonLight(int index);
QString menuLight(int index);
QString ctrlLight(int index);
QString ctrlPress(int index);

// The language of the painted words: empty for the drawings' own (Chinese
// with their English mix), "en" for English. Pictures without words are the
// same in every language. Set it before the first window is made.
void setLanguage(const QString &language);
QString language();

// The picture at the screen's scale: the 2x sibling (device pixel ratio 2)
// when the application runs on a high-density screen. Null for an unknown name.
QPixmap pixmap(const QString &name);

// The picture at 1x, for pixel work (shapes, tests).
QImage image(const QString &name);

// Where a highlight or pressed picture sits on its window, in pixels at the
// layout's design scale; an empty rectangle for names without a spot.
QRect spot(const QString &name);

// The window shape of a keyed skin: set where the skin is not RGB(255, 0, 255).
QBitmap shape(const QString &name);

// A 32 x 32 cursor with its hot spot at (6, 0).
QCursor cursor(const QString &name);

// The application icon in all its sizes.
QIcon appIcon();

} // namespace Art
