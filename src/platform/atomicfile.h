#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

struct WriteResult {
    bool ok = false;
    QString error;  // what went wrong, for the operator; empty when ok
};

// Replaces the file at path with bytes so that a crash, a power cut or a full disk
// at any moment leaves either the old file or the new one, never a cut-off file.
// The bytes go to a temporary file beside the target, every write is checked for
// its full count, the data is synced, the temporary file is renamed over the
// target and the folder is synced. On any failure the temporary file is removed
// and the target is left as it was. A save cut off by a crash cannot remove its
// temporary file; outside Windows the next save of the same file does.
[[nodiscard]] WriteResult replaceFileAtomically(const QString &path, const QByteArray &bytes);

// Copies the file at from over the file at to in the same one-step way: the copy
// is streamed into a temporary file beside to, synced and renamed over it, so to
// holds either its old content or the whole copy. The error names the file that
// could not be read or written. Copying a file onto itself is left to the caller.
[[nodiscard]] WriteResult copyFileAtomically(const QString &from, const QString &to);

} // namespace platform
