#pragma once

// What crash_writer writes in each round, and so what tst_crashsafety expects to
// find after killing it. Two generations of every file alternate; each differs
// from the other in every field, so a file made of parts of both is recognised.

#include "console/configfiles.h"

#include <QDir>
#include <QString>

namespace crashround {

// QL1: 30-line records, and a template named after it.
inline constexpr int StyleCode = 4;
inline constexpr int RecordLines = 30;
// Report items are padded to this width so that a record spans a disk page boundary
// now and then and the append is more than a few bytes.
inline constexpr int ItemWidth = 80;

inline QString reportFileName() { return QStringLiteral("Crash Report.csv"); }
inline QString largeCopyName() { return QStringLiteral("large copy.bin"); }

// The sources the copies are made from, which the test prepares: SOURCES/templates1/
// and SOURCES/templates2/ each hold the style's template, SOURCES/large1.bin and
// SOURCES/large2.bin are the two versions of the large file.
inline QString templateFolder(const QString &sources, int generation)
{
    return QDir(sources).filePath(QStringLiteral("templates%1").arg(generation)) + QLatin1Char('/');
}

inline QString largeSource(const QString &sources, int generation)
{
    return QDir(sources).filePath(QStringLiteral("large%1.bin").arg(generation));
}

// Item 1..30 of record number `record` (counted from 1 in the report file).
inline QString reportItem(int record, int item)
{
    return QStringLiteral("record %1 item %2 ").arg(record).arg(item).leftJustified(ItemWidth, QLatin1Char('.'));
}

// art.cfg of a generation: the port and every serial field carry its number.
inline config::PortAndNumbering settings(int generation)
{
    config::PortAndNumbering values;
    values.portNumber = static_cast<Integer>(generation);
    for (int r = 1; r <= config::RelayRows; ++r) {
        values.relayNumbering[r][1] = QStringLiteral("000%1").arg(generation);
        values.relayNumbering[r][2] = QStringLiteral("G%1R%2A").arg(generation).arg(r);
        values.relayNumbering[r][3] = QStringLiteral("G%1R%2B").arg(generation).arg(r);
    }
    return values;
}

// artc.cfg of a generation.
inline config::Folders folders(int generation)
{
    return {QStringLiteral("C:\\gen%1\\EXCEL.EXE").arg(generation),
            QStringLiteral("C:\\gen%1\\templates\\").arg(generation),
            QStringLiteral("D:\\gen%1\\").arg(generation)};
}

} // namespace crashround
