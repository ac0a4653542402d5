#pragma once

#include <QByteArray>
#include <QString>

// The path of an existing file in a form the sound channel's "open" command
// takes: absolute, or empty when there is no such file.
QString ShortPath(const QString &path);

// The folder part of a path up to and including its last "/"; empty when the
// path has none.
QString FolderOf(const QString &path);

// The bytes that name an existing file (or folder) for the file system. Qt
// reads a name in another encoding than UTF-8 (GBK, Latin-1) with U+FFFD in
// place of the bytes it cannot decode, and that text names nothing: each such
// part of the path is matched to the one entry of its folder that reads the
// same. Empty when no entry, or more than one, does.
QByteArray LocalName(const QString &path);

// A link named linkBase plus the target's extension (so that the coder still
// sees the type) that points to the absolute path target, for a name that
// an argument list, which carries text, cannot. Empty when it cannot be made.
QString LinkForCoder(const QByteArray &target, const QString &linkBase);
