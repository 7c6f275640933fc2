#include "reports/history/reportimport.h"

#include "platform/ordinaryfile.h"
#include "reports/history/historystore.h"
#include "reports/history/recorditems.h"
#include "reports/reportfile.h"

#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

#include <cstring>

namespace history {

namespace {

// "line 1 (Relay ID No.)": a line of a record by its number in the record and the
// caption of the field it holds, where the form has one.
QString fieldAt(int styleCode, int line)
{
    for (const ItemDefinition &definition : itemDefinitions(styleCode)) {
        if (definition.line == line) {
            QString caption = definition.caption.trimmed();
            if (caption.endsWith(QLatin1Char(':')))
                caption.chop(1);
            return QStringLiteral("line %1 (%2)").arg(line).arg(caption);
        }
    }
    return QStringLiteral("line %1").arg(line);
}

} // namespace

ReportReader::ReportReader(const QString &path, int styleCode)
    : m_path(path)
    , m_styleCode(styleCode)
    , m_recordLines(reports::recordLineCount(styleCode))
{
}

bool ReportReader::check(const Job &job)
{
    m_records = 0;
    if (m_recordLines == 0) {
        m_error = QStringLiteral("There is no relay style with the code %1").arg(m_styleCode);
        return false;
    }
    const QString shown = QDir::toNativeSeparators(m_path);
    if (!m_file) {
        platform::OrdinaryFile opened = platform::openOrdinaryFile(m_path);
        if (!opened) {
            m_error = QStringLiteral("The report file %1 cannot be read: %2").arg(shown, opened.error);
            return false;
        }
        m_file = std::move(opened.file);
    }
    m_file->seek(0);
    const qint64 size = m_file->size();
    qint64 lines = 0;
    qint64 lineBytes = 0;  // of the line not yet ended; a line end may take one more (CR)
    char last = '\n';
    QByteArray chunk(256 * 1024, Qt::Uninitialized);
    for (qint64 n; (n = m_file->read(chunk.data(), chunk.size())) != 0;) {
        if (n < 0) {
            m_error = QStringLiteral("The report file %1 cannot be read: %2").arg(shown, m_file->errorString());
            return false;
        }
        if (job.cancelled()) {
            m_error = QStringLiteral("The import of %1 was called off").arg(shown);
            return false;
        }
        for (const char *at = chunk.constData(), *end = at + n; at < end;) {
            const auto *lineEnd = static_cast<const char *>(std::memchr(at, '\n', size_t(end - at)));
            lineBytes += (lineEnd ? lineEnd : end) - at;
            if (lineBytes > LineBytes + 1) {
                // The rest of such a line is never read.
                m_error = QStringLiteral("The report file %1 holds a line no report form writes: in record %2, %3 "
                                         "runs past %4 characters")
                              .arg(shown)
                              .arg(lines / m_recordLines + 1)
                              .arg(fieldAt(m_styleCode, int(lines % m_recordLines) + 1))
                              .arg(LineBytes);
                return false;
            }
            if (!lineEnd)
                break;
            ++lines;
            lineBytes = 0;
            at = lineEnd + 1;
        }
        last = chunk.at(n - 1);
        job.progress(m_file->pos(), size);
    }
    const bool unfinished = last != '\n';
    if (unfinished || lines % m_recordLines != 0) {
        m_error = QStringLiteral("The report file %1 does not hold whole %2 records of %3 lines each (it has %4 "
                                 "lines%5); nothing was imported. Is it a file of another relay style?")
                      .arg(shown, reports::styleName(m_styleCode))
                      .arg(m_recordLines)
                      .arg(lines + (unfinished ? 1 : 0))
                      .arg(unfinished ? QStringLiteral(", the last one cut off") : QString());
        return false;
    }
    m_records = int(lines / m_recordLines);
    const QFileInfo info(m_path);
    m_key = reportFileKey(m_path);
    m_changed = info.lastModified().toUTC();
    m_host = QSysInfo::machineHostName();
    return rewind();
}

bool ReportReader::rewind()
{
    m_index = 0;
    if (!m_file || !m_file->seek(0)) {
        m_error = QStringLiteral("The report file %1 cannot be read: %2")
                      .arg(QDir::toNativeSeparators(m_path), m_file ? m_file->errorString() : QStringLiteral("not opened"));
        return false;
    }
    return true;
}

bool ReportReader::nextLines(QStringList *lines)
{
    lines->clear();
    if (m_index >= m_records)
        return false;
    for (int i = 0; i < m_recordLines; ++i) {
        QByteArray line = m_file->readLine(LineBytes + 3);
        if (!line.endsWith('\n')) {
            // The file was cut short, or a line grew, since it was checked.
            m_error = QStringLiteral("The report file %1 cannot be read: it changed while it was read")
                          .arg(QDir::toNativeSeparators(m_path));
            return false;
        }
        line.chop(line.endsWith("\r\n") ? 2 : 1);
        lines->append(QString::fromLatin1(line));
    }
    ++m_index;
    return true;
}

bool ReportReader::next(RelayEntry *entry)
{
    QStringList lines;
    const int index = m_index;
    if (!nextLines(&lines))
        return false;
    *entry = entryFromLines(m_styleCode, lines);
    entry->recordedAt = m_changed;
    entry->host = m_host;
    entry->reportFile = m_key;
    entry->recordIndex = index;
    entry->source = QStringLiteral("import");
    return true;
}

ReportRecords readReportFile(const QString &path, int styleCode)
{
    ReportRecords out;
    ReportReader reader(path, styleCode);
    if (!reader.check()) {
        out.error = reader.error();
        return out;
    }
    for (QStringList lines; reader.nextLines(&lines);)
        out.records.append(lines);
    out.error = reader.error();
    return out;
}

namespace {

// Records of another style with as many lines read without a fault, every item a
// line off its meaning. The interlocking code tells them apart: each style that
// has one carries it on a line of its own. Empty when the record fits styleCode.
QString misfit(const QStringList &record, int styleCode)
{
    const InterlockingCodes own = interlockingCodes(styleCode);
    for (int other = 1; other <= 7; ++other) {
        const InterlockingCodes theirs = interlockingCodes(other);
        if (other == styleCode || theirs.codes.isEmpty()
            || reports::recordLineCount(other) != reports::recordLineCount(styleCode))
            continue;
        const QString found = record.value(theirs.line - 1);
        if (theirs.codes.contains(found) && !(own.line == theirs.line && own.codes.contains(found)))
            return QStringLiteral("line %1 holds the interlocking code %2 of %3 relays")
                .arg(theirs.line)
                .arg(found, reports::styleName(other));
    }
    if (!own.codes.isEmpty() && !own.codes.contains(record.value(own.line - 1)))
        return QStringLiteral("line %1 holds \"%2\" where a %3 record has its interlocking code %4")
            .arg(own.line)
            .arg(record.value(own.line - 1), reports::styleName(styleCode), own.codes.join(QStringLiteral(" or ")));
    return {};
}

// The first text field of a record longer than the bench can use ("line 1 (Relay
// ID No.) holds 80 characters"); empty when there is none. A number line may be
// longer (the operator types what the kit does not measure), up to the reader's
// line length.
QString overlong(const QStringList &record, int styleCode)
{
    for (const ItemDefinition &definition : itemDefinitions(styleCode)) {
        const qsizetype length = record.value(definition.line - 1).size();
        if (definition.kind != ItemKind::Measured && length > TextFieldChars)
            return QStringLiteral("%1 holds %2 characters, more than the %3 a relay ID, a verdict or a code can have")
                .arg(fieldAt(styleCode, definition.line))
                .arg(length)
                .arg(TextFieldChars);
    }
    return {};
}

} // namespace

ImportResult importReportFile(Store &store, const QString &path, int styleCode, const Job &job)
{
    ImportResult result;
    ReportReader reader(path, styleCode);
    if (!reader.check(job)) {
        result.cancelled = job.cancelled();
        result.error = reader.error();
        return result;
    }
    // Records of another style as long as this one's are refused whole, before any
    // goes in: a first reading looks at each record's interlocking code.
    for (QStringList lines; reader.nextLines(&lines);) {
        if (const QString why = misfit(lines, styleCode); !why.isEmpty()) {
            result.error = QStringLiteral("The report file %1 does not hold %2 records: in record %3, %4. Nothing "
                                          "was imported; choose the style of the file.")
                               .arg(QDir::toNativeSeparators(path), reports::styleName(styleCode))
                               .arg(reader.index())
                               .arg(why);
            return result;
        }
        if (const QString why = overlong(lines, styleCode); !why.isEmpty()) {
            result.error = QStringLiteral("The report file %1 cannot be imported: in record %2, %3. Nothing was "
                                          "imported.")
                               .arg(QDir::toNativeSeparators(path))
                               .arg(reader.index())
                               .arg(why);
            return result;
        }
    }
    if (!reader.error().isEmpty() || !reader.rewind()) {
        result.error = reader.error();
        return result;
    }
    result.records = reader.records();
    // A thousand relays at a time: memory stays the same whatever the file's size.
    constexpr int Batch = 1000;
    QList<RelayEntry> batch;
    batch.reserve(Batch);
    for (int done = 0; done < result.records;) {
        if (job.cancelled()) {
            result.cancelled = true;
            result.error = QStringLiteral("The import of %1 was called off after %2 of %3 record(s); importing it "
                                          "again brings in the rest")
                               .arg(QDir::toNativeSeparators(path))
                               .arg(done)
                               .arg(result.records);
            return result;
        }
        batch.clear();
        RelayEntry entry;
        while (batch.size() < Batch && reader.next(&entry))
            batch.append(entry);
        if (batch.isEmpty()) {
            result.error = reader.error();
            return result;
        }
        int added = 0;
        if (!store.add(batch, &added)) {
            result.error = store.error();
            return result;
        }
        result.added += added;
        done += int(batch.size());
        job.progress(done, result.records);
    }
    result.ok = true;
    return result;
}

} // namespace history
