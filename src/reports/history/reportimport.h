#pragma once

#include "reports/history/job.h"
#include "reports/history/relayentry.h"

#include <QDateTime>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace history {

class Store;

// The records of a report file of one style, read a record at a time: the file is
// never held in memory whole, whatever its size, nor one of its lines.
class ReportReader
{
public:
    // The longest line a record may have: a report form writes a few dozen
    // characters a line, and nothing longer is read into memory.
    static constexpr qsizetype LineBytes = 4096;

    ReportReader(const QString &path, int styleCode);

    // Reads the file once through: it must be an ordinary file (not a named pipe, a
    // device or a folder) holding whole records of the style, no line longer than
    // LineBytes. False with error() when it cannot be read or does not, or when job
    // was called off.
    bool check(const Job &job = Job());
    int records() const { return m_records; }
    QString error() const { return m_error; }

    // From the first record again.
    bool rewind();
    // The next record's lines, without their line ends, as Latin-1 text; false at
    // the end of the file, or with error() when it cannot be read.
    bool nextLines(QStringList *lines);
    // The next relay as the history keeps it: written on this bench at the file's
    // last change, its place in the file counted from 0.
    bool next(RelayEntry *entry);
    // How many records have been read since the first: the number of the last one.
    int index() const { return m_index; }

private:
    const QString m_path;
    const int m_styleCode;
    const int m_recordLines;
    std::unique_ptr<QFile> m_file;
    int m_records = 0;
    int m_index = 0;
    QString m_error;
    QString m_key, m_host;
    QDateTime m_changed;
};

// The records of a report file of styleCode, each as its lines; error says why
// not when the file cannot be read or does not hold whole records of the style.
struct ReportRecords {
    QList<QStringList> records;
    QString error;
};
ReportRecords readReportFile(const QString &path, int styleCode);

struct ImportResult {
    bool ok = false;
    bool cancelled = false;
    int records = 0;  // in the file
    int added = 0;    // new to the history
    QString error;
};

// The longest text the bench can use in a line that holds a relay ID, a verdict,
// an interlocking code or a light unit status.
constexpr int TextFieldChars = 64;

// Brings a report file's records into the history, a thousand at a time; a record
// it holds already is left alone, so importing a file twice adds nothing, and an
// import called off or cut short is finished by importing the file again. A file
// with a record of another style, or with a text field longer than TextFieldChars,
// is refused whole, naming the record and the field.
ImportResult importReportFile(Store &store, const QString &path, int styleCode, const Job &job = Job());

} // namespace history
