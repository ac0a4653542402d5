#pragma once

#include <QString>
#include <QtGlobal>

// What a decode has written so far of the working file while it grows. The
// file's header does not give its final size until the decode ends, and runs
// may be written anywhere in it, so a reader of that file takes its length
// and what it may read from here, never from the file.
class WrittenFrames
{
public:
    virtual ~WrittenFrames() = default;
    // Whether path is a file still being written; any other file is read as
    // its header says.
    virtual bool isGrowing(const QString &path) const = 0;
    // The frames the file holds once written (the whole decode's length).
    virtual qint64 expectedFrames() const = 0;
    // The end of the written run holding frame; frame itself when that frame
    // is not written yet.
    virtual qint64 readyUntil(qint64 frame) const = 0;
};
