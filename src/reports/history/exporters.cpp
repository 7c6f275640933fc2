#include "reports/history/exporters.h"

#include "reports/history/recorditems.h"
#include "reports/reportfile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>

namespace history {

namespace {

QByteArray csvField(const QString &text)
{
    QByteArray field = text.toUtf8();
    if (field.contains(',') || field.contains('"') || field.contains('\n') || field.contains('\r')) {
        field.replace("\"", "\"\"");
        field = '"' + field + '"';
    }
    return field;
}

QByteArray csvRow(const QStringList &fields)
{
    QByteArrayList parts;
    for (const QString &field : fields)
        parts << csvField(field);
    return parts.join(',') + "\r\n";
}

struct Column {
    QString name, unit;
};

QList<int> stylesOf(const Filter &filter)
{
    if (filter.styleCode != 0)
        return {filter.styleCode};
    QList<int> all;
    for (int code = 1; code <= 7; ++code)
        all << code;
    return all;
}

// The export's file, written a block at a time: QSaveFile would commit a file whose
// last buffered bytes never reached a full disk, so each block is written through
// and its count checked, and the first failure is kept to be told.
class CheckedFile
{
public:
    explicit CheckedFile(const QString &path)
        : m_file(path)
    {
    }

    bool open() { return m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered); }

    void write(const QByteArray &bytes)
    {
        m_block += bytes;
        if (m_block.size() >= BlockSize)
            writeBlock();
    }

    // Commits a file whose every byte was taken; false with why() otherwise, and
    // the file that was there is left as it was.
    bool commit()
    {
        writeBlock();
        if (!m_why.isEmpty()) {
            m_file.cancelWriting();
            return false;
        }
        if (!m_file.commit()) {
            m_why = m_file.errorString();
            return false;
        }
        return true;
    }

    void cancel() { m_file.cancelWriting(); }
    QString why() const { return m_why.isEmpty() ? m_file.errorString() : m_why; }

private:
    static constexpr qsizetype BlockSize = 256 * 1024;

    void writeBlock()
    {
        if (m_why.isEmpty() && !m_block.isEmpty() && m_file.write(m_block) != m_block.size()) {
            m_why = m_file.errorString();
            if (m_why.isEmpty())
                m_why = QStringLiteral("the disk did not take all the data");
        }
        m_block.clear();
    }

    QSaveFile m_file;
    QByteArray m_block;
    QString m_why;
};

} // namespace

ExportResult exportRelays(Store &store, const Filter &filter, const QString &path, const Job &job)
{
    ExportResult result;
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool csv = suffix == QLatin1String("csv");
    if (!csv && suffix != QLatin1String("json")) {
        result.error = QStringLiteral("%1: the file name must end in .csv or .json").arg(path);
        return result;
    }
    int total = 0;  // for telling the progress; the columns follow the filter alone
    if (!store.count(filter, &total)) {
        result.error = store.error();
        return result;
    }
    const auto cannotWrite = [&path](const QString &why) {
        return QStringLiteral("%1 cannot be written: %2").arg(QDir::toNativeSeparators(path), why);
    };
    CheckedFile file(path);
    if (!file.open()) {
        result.error = cannotWrite(file.why());
        return result;
    }

    // The items of the filter's style, or of every style, each once, in the order the
    // forms show them: the same columns whichever relays are found, or none.
    QList<Column> columns;
    for (const int code : stylesOf(filter)) {
        for (const ItemDefinition &definition : itemDefinitions(code)) {
            const bool known = std::any_of(columns.begin(), columns.end(),
                                           [&](const Column &c) { return c.name == definition.name; });
            if (!known && definition.name != QLatin1String("relay_id"))
                columns.append({definition.name, definition.unit});
        }
    }
    if (csv) {
        QStringList header{QStringLiteral("recorded_at"), QStringLiteral("host"), QStringLiteral("relay_id"),
                           QStringLiteral("style"), QStringLiteral("contact_variant"), QStringLiteral("report_file"),
                           QStringLiteral("record_index"), QStringLiteral("verdicts_failed")};
        for (const Column &c : std::as_const(columns))
            header << (c.unit.isEmpty() ? c.name : QStringLiteral("%1 (%2)").arg(c.name, c.unit));
        file.write(csvRow(header));
    } else {
        file.write("[");
    }

    const bool read = store.forEachWhile(filter, [&](const RelayEntry &e) {
        if (job.cancelled())
            return false;
        if (csv) {
            QStringList row{recordedText(e.recordedAt), e.host, e.relayId, reports::styleName(e.styleCode),
                            QString::number(e.contactVariant), e.reportFile, QString::number(e.recordIndex),
                            QString::number(e.verdictsFailed)};
            for (const Column &c : std::as_const(columns)) {
                const Item *item = e.item(c.name);
                row << (item ? pointDecimal(*item) : QString());
            }
            file.write(csvRow(row));
        } else {
            file.write(result.relays == 0 ? "\n" : ",\n");
            file.write(QJsonDocument(toJson(e)).toJson(QJsonDocument::Compact));
        }
        ++result.relays;
        job.progress(result.relays, total);
        return true;
    });
    if (!read || job.cancelled()) {
        file.cancel();
        result.cancelled = job.cancelled();
        result.error = result.cancelled ? QStringLiteral("The export to %1 was called off; the file was left as it was")
                                              .arg(QDir::toNativeSeparators(path))
                                        : store.error();
        return result;
    }
    if (!csv)
        file.write("\n]\n");
    if (!file.commit()) {
        result.error = cannotWrite(file.why());
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace history
