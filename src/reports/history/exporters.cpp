#include "reports/history/exporters.h"

#include "platform/atomicfile.h"
#include "reports/history/recorditems.h"
#include "reports/reportfile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>

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

    bool read = true;
    const platform::WriteResult written = platform::replaceFileStreamed(path, [&](platform::SaveStream &file) {
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
        bool taken = true;
        read = store.forEachWhile(filter, [&](const RelayEntry &e) {
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
                taken = file.write(csvRow(row));
            } else {
                taken = file.write(result.relays == 0 ? "\n" : ",\n")
                        && file.write(QJsonDocument(toJson(e)).toJson(QJsonDocument::Compact));
            }
            ++result.relays;
            job.progress(result.relays, total);
            return taken;  // a full disk ends the reading too
        });
        return taken && read && !job.cancelled() && (csv || file.write("\n]\n"));
    });
    if (written.ok) {
        result.ok = true;
        return result;
    }
    result.cancelled = written.error.isEmpty() && job.cancelled();
    result.error = !written.error.isEmpty() ? cannotWrite(written.error)
                   : result.cancelled ? QStringLiteral("The export to %1 was called off; the file was left as it was")
                                            .arg(QDir::toNativeSeparators(path))
                                      : store.error();
    return result;
}

} // namespace history
