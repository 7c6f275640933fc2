#include "reports/reportfile.h"

#include "platform/appendfile.h"
#include "platform/ordinaryfile.h"
#include "platform/paths.h"
#include "reports/recordnumber.h"

#include <QFile>
#include <QObject>

namespace reports {

namespace {

constexpr int LongRecordLines = 54;
constexpr int ShortRecordLines = 30;
constexpr int LongRecordItems = 15;
constexpr int ChannelCount = 16;

void addText(QByteArray &out, QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    out += text.toLatin1();
    out += "\r\n";
}

void addNumber(QByteArray &out, float value)
{
    out += recordNumber(value).toLatin1();
    out += "\r\n";
}

struct LineCount {
    qint64 lines = 0;
    bool unfinishedLastLine = false;
    QString error;  // the file exists but cannot be read
};

// Counts the lines of an existing report file without holding it in memory: a
// batch of a few thousand relays is still a small file, but nothing here needs it.
// A name that is not an ordinary file (a named pipe would hold the bench's thread
// until someone wrote into it) is refused as it is.
LineCount countLines(const QString &path)
{
    LineCount count;
    const platform::OrdinaryFile opened = platform::openOrdinaryFile(path);
    if (opened.missing)
        return count;
    if (!opened) {
        count.error = opened.error;
        return count;
    }
    QFile &file = *opened.file;
    char last = '\n';
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 n = file.read(chunk.data(), chunk.size());
        if (n < 0) {
            count.error = file.errorString();
            return count;
        }
        if (n == 0)
            break;
        count.lines += QByteArrayView(chunk.constData(), n).count('\n');
        last = chunk.at(n - 1);
    }
    count.unfinishedLastLine = last != '\n';
    return count;
}

} // namespace

QString styleName(int styleCode)
{
    static const char *const names[] = {"QNA1", "QN1", "QNA1K", "QL1", "QECX61", "QTA2", "QSPA1"};
    if (styleCode < 1 || styleCode > 7)
        return {};
    return QString::fromLatin1(names[styleCode - 1]);
}

int recordLineCount(int styleCode)
{
    if (styleCode == 1 || styleCode == 2)
        return LongRecordLines;
    if (styleCode >= 3 && styleCode <= 7)
        return ShortRecordLines;
    return 0;
}

QByteArray formatRecord(const BenchRecord &record)
{
    QByteArray out;
    switch (recordLineCount(record.StyleCode)) {
    case LongRecordLines:
        addText(out, record.RelayID);
        addNumber(out, record.CoilResistance1);
        addNumber(out, record.PickUpVoltage);
        addNumber(out, record.DropAwayVoltage);
        addNumber(out, record.ManualDropAwayVoltage);
        for (int channel = 1; channel <= ChannelCount; ++channel)
            addNumber(out, record.ContactRes[channel]);
        for (int channel = 1; channel <= ChannelCount; ++channel)
            addNumber(out, record.ContactDelay[channel]);
        addText(out, record.NOSequence);
        addText(out, record.NCSequence);
        for (int item = 1; item <= LongRecordItems; ++item)
            addText(out, record.ReportItems[item]);
        break;
    case ShortRecordLines:
        for (int item = 1; item <= ShortRecordLines; ++item)
            addText(out, record.ReportItems[item]);
        break;
    default:
        break;
    }
    return out;
}

AppendResult appendReportRecord(const BenchRecord &record, const QString &fileName)
{
    const int recordLines = recordLineCount(record.StyleCode);
    if (recordLines == 0)
        return {true, {}, {}};
    const QString path = platform::concatenated(record.SaveFolder, fileName);

    // A record that a crash cut off would make the file look damaged for good.
    const platform::AppendWriteResult finished = platform::finishCutOffAppend(path);
    if (!finished.ok)
        return {false,
                QObject::tr("The last record added to the report file %1 was cut off and cannot be "
                            "taken out: %2")
                    .arg(path, finished.error),
                {}};
    // A stale note is removed as it is found, so this is the one time it is told.
    const auto noticeOf = [&path](const QString &found) {
        if (found.isEmpty())
            return QString();
        return QObject::tr("A note left beside the report file %1 by an earlier save that was interrupted "
                           "did not match the file: %2. The file was left as it is and the note removed; "
                           "check the file's last records.")
            .arg(path, found);
    };
    const QString notice = noticeOf(finished.notice);

    const LineCount existing = countLines(path);
    if (!existing.error.isEmpty())
        return {false, QObject::tr("The report file %1 cannot be read: %2").arg(path, existing.error), notice};
    if (existing.unfinishedLastLine || existing.lines % recordLines != 0) {
        return {false,
                QObject::tr("The report file %1 does not hold whole %2 records of %3 lines each; "
                            "it was written for another relay style or is damaged. "
                            "Nothing was added to it. Choose another file name.")
                    .arg(path, styleName(record.StyleCode))
                    .arg(recordLines),
                notice};
    }

    const platform::AppendWriteResult written = platform::appendWhole(path, formatRecord(record));
    const QString told = notice.isEmpty() ? noticeOf(written.notice) : notice;
    if (!written.ok)
        return {false, QObject::tr("The record could not be added to the report file %1: %2").arg(path, written.error),
                told};
    // The lines counted above are the records before this one: the history learns
    // its place without reading the file again.
    return {true, {}, told, int(existing.lines / recordLines)};
}

} // namespace reports
