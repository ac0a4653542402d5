#pragma once

#include <QString>

// The path of an existing file in a form the sound channel's "open" command
// takes: absolute, or empty when there is no such file.
QString ShortPath(const QString &path);

// The folder part of a path up to and including its last "/"; empty when the
// path has none.
QString FolderOf(const QString &path);
