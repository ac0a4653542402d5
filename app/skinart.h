#pragma once

#include <QCursor>
#include <QPixmap>
#include <QSize>
#include <QString>

// The window pictures by name. Until a picture exists in the art resources,
// a plain stand-in of the right size is drawn so every window still works.
namespace SkinArt {
enum class Kind { Skin, Highlight, Pressed, Plain };
QPixmap picture(const QString &name, const QSize &size, Kind kind);
QCursor handCursor();
} // namespace SkinArt
