#pragma once

#include <QFile>
#include <QString>

#include <memory>

namespace platform {

// A file the bench reads because the operator named it (a report file to import or
// copy, a template, a settings file), opened only when it is an ordinary file. A
// named pipe would hold the reader until someone writes into it, a device such as
// /dev/zero never ends, a folder holds no lines: each is refused at once, saying
// what it is, and nothing waits on it. The name is looked at before it is opened,
// and what was opened is looked at again (opened so that it cannot block), so a
// file swapped for a pipe in between is refused too.
struct OrdinaryFile {
    std::unique_ptr<QFile> file;  // open for reading; null when refused
    bool missing = false;         // nothing has that name (error says so too)
    QString error;                // why not, in a few words: "it is a named pipe (FIFO), not a file"

    explicit operator bool() const { return file != nullptr; }
};
[[nodiscard]] OrdinaryFile openOrdinaryFile(const QString &path);

} // namespace platform
