#pragma once

#include <QString>

#include <memory>

class QLockFile;
class QTemporaryDir;

// This instance's private folder for the working file open.wav: a fresh,
// randomly named folder readable by its owner only (mode 0700), so that two
// running copies never share a working file and no one else can plant a link
// in its place. A lock file inside marks the folder as in use for as long as
// this instance lives, so that a later start can tell the folders of killed or
// crashed instances, with their full-length working files, from the folders
// of running ones.
class WorkingFolder
{
public:
    // Sweeps base (the user's cache folder when empty), then creates the
    // folder below it.
    explicit WorkingFolder(const QString &base = {});
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder &) = delete;
    WorkingFolder &operator=(const WorkingFolder &) = delete;

    bool isValid() const;
    // Where and why the folder could not be made ("/home/u/.cache/kesmarin:
    // Permission denied"); empty when it was made.
    QString errorString() const { return m_error; }
    QString path() const;
    // <folder>/open.wav; empty when the folder could not be made.
    QString workingFile() const;

    // Deletes the working file, then the folder with whatever a job left in it.
    void remove();

    // Removes every working folder below parent whose instance is gone: its
    // lock is stale (the process died) or missing (a folder no lock ever
    // guarded). A folder whose lock a living process holds is left alone.
    // Returns how many folders went.
    static int sweep(const QString &parent);

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QLockFile> m_lock;
    QString m_error;
};
