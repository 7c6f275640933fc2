#pragma once

#include "platform/startupfolder.h"

#include <QLockFile>
#include <QString>

namespace platform {

// One bench program at a time in a start-up folder. Two there would number their
// relays from the same art.cfg (two 0001/26LAB in one report file and the history),
// write the same crval.csv and fight over one adapter. The folder is held by the lock
// file quillmark.lock for as long as the program runs. One left behind by a program
// that no longer runs on this PC (killed, or gone with a power cut) is taken over;
// one written on another PC (a folder on a share) holds until that program ends or
// the file is deleted. A folder that cannot take the file (a read-only share) is run without it,
// as the bench always ran.
class FolderLock
{
public:
    explicit FolderLock(const StartupFolder &folder);

    // Takes the folder. Empty when this program holds it now, or when the folder
    // cannot hold a lock file (a line on standard error says so); otherwise, in one
    // sentence for the operator, which program holds it.
    QString take();

private:
    QString heldBy() const;

    QString m_folder;
    QString m_path;
    QLockFile m_lock;
};

} // namespace platform
