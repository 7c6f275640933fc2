#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

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

// Where a streamed save puts its content. Each write is taken whole or the save
// fails: false once the disk took no more (or failed), and every later write is
// left out, so the writer can stop early.
class SaveStream
{
public:
    virtual ~SaveStream() = default;
    virtual bool write(const QByteArray &bytes) = 0;
};

// The same one-step replacement for content too large to hold in memory (a history
// export of any size): content writes into the stream a piece at a time and returns
// whether the save goes on; false calls it off. On a write that fails, error is the
// system's reason ("No space left on device", also when the disk took part of a
// write and then no more); when content called the save off, error is empty. Either
// way the file at path keeps its old bytes.
[[nodiscard]] WriteResult replaceFileStreamed(const QString &path, const std::function<bool(SaveStream &out)> &content);

// Copies the file at from over the file at to in the same one-step way: the copy
// is streamed into a temporary file beside to, synced and renamed over it, so to
// holds either its old content or the whole copy. The error names the file that
// could not be read or written; a source that is not an ordinary file (a named pipe,
// a device, a folder) is refused without waiting on it. Copying a file onto itself
// is left to the caller.
[[nodiscard]] WriteResult copyFileAtomically(const QString &from, const QString &to);

} // namespace platform
