#include "reports/history/reportimport.h"

#include "reports/history/historystore.h"
#include "reports/history/recorditems.h"
#include "reports/reportfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

namespace history {

ReportRecords readReportFile(const QString &path, int styleCode)
{
    ReportRecords out;
    const int recordLines = reports::recordLineCount(styleCode);
    if (recordLines == 0) {
        out.error = QStringLiteral("There is no relay style with the code %1").arg(styleCode);
        return out;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        out.error = QStringLiteral("The report file %1 cannot be read: %2").arg(path, file.errorString());
        return out;
    }
    const QByteArray bytes = file.readAll();
    QList<QByteArray> lines = bytes.split('\n');
    const bool unfinished = !lines.constLast().isEmpty();
    lines.removeLast();
    if (unfinished || lines.size() % recordLines != 0) {
        out.error = QStringLiteral("The report file %1 does not hold whole %2 records of %3 lines each (it has %4 "
                                   "lines%5); nothing was imported. Is it a file of another relay style?")
                        .arg(QDir::toNativeSeparators(path), reports::styleName(styleCode))
                        .arg(recordLines)
                        .arg(lines.size() + (unfinished ? 1 : 0))
                        .arg(unfinished ? QStringLiteral(", the last one cut off") : QString());
        return out;
    }
    for (qsizetype first = 0; first < lines.size(); first += recordLines) {
        QStringList record;
        for (qsizetype i = first; i < first + recordLines; ++i) {
            QByteArray line = lines[i];
            if (line.endsWith('\r'))
                line.chop(1);
            record << QString::fromLatin1(line);
        }
        out.records.append(record);
    }
    return out;
}

ReportEntries entriesOfReportFile(const QString &path, int styleCode)
{
    const ReportRecords read = readReportFile(path, styleCode);
    ReportEntries out{{}, read.error};
    const QFileInfo info(path);
    const QString absolute = reportFileKey(path);
    const QDateTime changed = info.lastModified().toUTC();
    const QString host = QSysInfo::machineHostName();
    for (int index = 0; index < read.records.size(); ++index) {
        RelayEntry entry = entryFromLines(styleCode, read.records[index]);
        entry.recordedAt = changed;
        entry.host = host;
        entry.reportFile = absolute;
        entry.recordIndex = index;
        entry.source = QStringLiteral("import");
        out.entries.append(entry);
    }
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

} // namespace

ImportResult importReportFile(Store &store, const QString &path, int styleCode)
{
    ImportResult result;
    const ReportEntries read = entriesOfReportFile(path, styleCode);
    if (!read.error.isEmpty()) {
        result.error = read.error;
        return result;
    }
    for (int index = 0; index < read.entries.size(); ++index) {
        const QStringList lines = read.entries[index].raw.value(QStringLiteral("lines")).toVariant().toStringList();
        const QString why = misfit(lines, styleCode);
        if (!why.isEmpty()) {
            result.error = QStringLiteral("The report file %1 does not hold %2 records: in record %3, %4. Nothing "
                                          "was imported; choose the style of the file.")
                               .arg(QDir::toNativeSeparators(path), reports::styleName(styleCode))
                               .arg(index + 1)
                               .arg(why);
            return result;
        }
    }
    result.records = int(read.entries.size());
    constexpr int Batch = 1000;
    for (qsizetype first = 0; first < read.entries.size(); first += Batch) {
        int added = 0;
        if (!store.add(read.entries.mid(first, Batch), &added)) {
            result.error = store.error();
            return result;
        }
        result.added += added;
    }
    result.ok = true;
    return result;
}

} // namespace history
