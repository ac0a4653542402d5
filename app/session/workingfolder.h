#pragma once

#include <QString>

#include <memory>

class QTemporaryDir;

// This instance's private folder for the working file open.wav: a fresh,
// randomly named folder readable by its owner only (mode 0700), so that two
// running copies never share a working file and no one else can plant a link
// in its place.
class WorkingFolder
{
public:
    // Creates the folder below base (the user's cache folder when empty).
    explicit WorkingFolder(const QString &base = {});
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder &) = delete;
    WorkingFolder &operator=(const WorkingFolder &) = delete;

    bool isValid() const;
    QString path() const;
    // <folder>/open.wav; empty when the folder could not be made.
    QString workingFile() const;

    // Deletes the working file, then the folder with whatever a job left in it.
    void remove();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};
