#pragma once

// Reading and writing whole files in tests, where a failure must show in the
// comparison rather than abort the test.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<cannot open " + QFile::encodeName(path) + '>';
    return file.readAll();
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}
