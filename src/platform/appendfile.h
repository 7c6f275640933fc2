#pragma once

#include "platform/atomicfile.h"

#include <QByteArray>
#include <QString>

namespace platform {

// What appendWhole and finishCutOffAppend did. notice is empty unless a note of an
// earlier append was found that did not fit the file (see finishCutOffAppend); it
// then tells the operator, in a few words, what was found. The call itself still
// succeeds in that case.
struct AppendWriteResult : WriteResult {
    QString notice;
};

// Adds bytes to the end of the file at path (creating it when it does not exist)
// as one whole: either all of them are on disk when this returns ok, or the file
// is cut back to the length it had before, so a full disk or a failing drive never
// leaves part of the bytes behind. A file that this call created and could not
// fill is removed again. The data is synced before the call returns.
//
// Outside Windows this holds when the program is killed or the power fails half way
// too: before the first byte goes out, a note of the file's length and of the bytes
// is put on disk beside it (path + ".appending"), and it is removed once they are
// all in. An append that a crash cut off is taken out again by the next call, or
// by finishCutOffAppend.
[[nodiscard]] AppendWriteResult appendWhole(const QString &path, const QByteArray &bytes);

// Takes out again the bytes of an appendWhole to the file at path that a crash cut
// off, so that the file holds exactly what it held before that append; an append
// whose bytes had all reached the disk is kept. Succeeds, doing nothing, when no
// append was cut off. Whoever reads the file before appending to it (to check what
// it holds) calls this first.
//
// The file is cut back only when what follows the noted length is the start of the
// noted bytes and nothing else, which is all a crash can leave. A note that does
// not fit the file that way (the file was replaced, shortened, removed or added to
// by something else since) says nothing about the bytes there now: the file is left
// exactly as it is, the note is removed, and notice tells what was found.
[[nodiscard]] AppendWriteResult finishCutOffAppend(const QString &path);

} // namespace platform
