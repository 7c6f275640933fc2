#pragma once

// What crash_writer writes, and so what tst_crashsafety expects to find. Two
// generations of every file alternate, differing in every field, so a file made
// of parts of both is recognised.

#include "console/record/configfiles.h"

#include <QString>

namespace crashround {

// QL1: 30-line records, and a template named after it.
inline constexpr int StyleCode = 4;
inline constexpr int RecordLines = 30;

inline const QString ReportFile = QStringLiteral("Crash Report.csv");
inline const QString LargeCopy = QStringLiteral("large copy.bin");

// Item 1..30 of record number `record`, padded so that every record is as long as
// the others and one now and then spans a disk page boundary.
inline QString reportItem(int record, int item)
{
    return QStringLiteral("record %1 item %2 ").arg(record).arg(item).leftJustified(80, QLatin1Char('.'));
}

inline config::PortAndNumbering settings(int generation)
{
    config::PortAndNumbering values;
    values.portNumber = qint16(generation);
    for (auto &row : values.relayNumbering)
        row = {QString(), QStringLiteral("000%1").arg(generation), QStringLiteral("G%1A").arg(generation),
               QStringLiteral("G%1B").arg(generation)};
    return values;
}

inline config::Folders folders(int generation)
{
    return {QStringLiteral("C:\\gen%1\\EXCEL.EXE").arg(generation), QStringLiteral("C:\\gen%1\\").arg(generation),
            QStringLiteral("D:\\gen%1\\").arg(generation)};
}

} // namespace crashround
