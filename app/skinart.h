#pragma once

#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

struct StripArt;

// The window pictures by name, from the art resources. A picture that is
// missing is replaced by a plain stand-in of the right size, so a window
// never loses a button to a missing file.
namespace SkinArt {
enum class Kind { Skin, Highlight, Pressed, Plain };
QPixmap picture(const QString &name, const QSize &size, Kind kind);
// The 1x picture for the window's shape (the stand-in when missing).
QImage shapeImage(const QString &name, const QSize &size);
QCursor handCursor();
// The strip and its nine marker pictures with the marker cursor.
StripArt stripArt();
} // namespace SkinArt
