// The number lines of a report file: the spreadsheet templates read them as the
// bench's old BASIC wrote them, so every character counts.

#include "reports/recordnumber.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "recordnumber_reference.h"

class TestRecordNumber : public QObject
{
    Q_OBJECT

private slots:
    void shouldWriteTheBenchNumberText_data();
    void shouldWriteTheBenchNumberText();
    void shouldAgreeWithPencilAndPaperForAnyFloat();
};

void TestRecordNumber::shouldWriteTheBenchNumberText_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("text");

    const auto row = [](const char *name, float value, const char *text) {
        QTest::newRow(name) << value << QString::fromLatin1(text);
    };
    row("zero", 0.0f, " 0 ");
    row("negative zero", -0.0f, " 0 ");
    row("whole", 1030.0f, " 1030 ");
    row("negative whole", -3.0f, "-3 ");
    row("one decimal", 12.5f, " 12.5 ");
    row("half, no leading zero", 0.5f, " .5 ");
    row("negative quarter", -0.25f, "-.25 ");
    row("0.1 is not 0.100000001", 0.1f, " .1 ");
    row("24.05 is stored as 24.0499992", 24.05f, " 24.05 ");
    row("seven digits after the point", 0.1234567f, " .1234567 ");
    row("tie at the seventh digit", 1234567.5f, " 1234568 ");
    row("tie goes away from zero, not to even", 1234568.5f, " 1234569 ");
    row("tie in the fraction", 12345.125f, " 12345.13 ");
    row("negative tie", -12345.125f, "-12345.13 ");
    row("rounding carries through every digit", 1.9999999f, " 2 ");
    row("just below one", 0.99999997f, " .9999999 ");
    row("largest plain whole number", 9999999.0f, " 9999999 ");
    row("9999999.5 is stored as 1E7", 9999999.5f, " 1E+07 ");
    row("eight integer digits", 12345678.0f, " 1.234568E+07 ");
    row("negative eight integer digits", -12345678.0f, "-1.234568E+07 ");
    row("largest float", FLT_MAX, " 3.402823E+38 ");
    row("seven places after the point stay plain", 1e-7f, " .0000001 ");
    row("eight places after the point", 1.5e-7f, " 1.5E-07 ");
    row("1E-08", 1e-8f, " 1E-08 ");
    row("negative tiny", -1e-8f, "-1E-08 ");
    row("plain form would lose a digit", 0.01234567f, " 1.234567E-02 ");
    row("short small value stays plain", 0.0123f, " .0123 ");
    row("smallest normal", FLT_MIN, " 1.175494E-38 ");
    row("smallest subnormal", std::numeric_limits<float>::denorm_min(), " 1.401298E-45 ");
    row("infinite", std::numeric_limits<float>::infinity(), " INF ");
    row("negative infinite", -std::numeric_limits<float>::infinity(), "-INF ");
    row("not a number", std::numeric_limits<float>::quiet_NaN(), " NAN ");
}

void TestRecordNumber::shouldWriteTheBenchNumberText()
{
    QFETCH(float, value);
    QFETCH(QString, text);
    QCOMPARE(reports::recordNumber(value), text);
}

void TestRecordNumber::shouldAgreeWithPencilAndPaperForAnyFloat()
{
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    for (int i = 0; i < 200000; ++i) {
        float value = 0;
        if (i % 2) {
            const quint32 bits = random.generate();
            std::memcpy(&value, &bits, sizeof value);
            if (!std::isfinite(value))
                continue;
        } else {
            // Readings as the kit gives them: a few decimals in the bench's ranges.
            value = float(random.bounded(-200000, 2000000)) / float(std::pow(10, random.bounded(0, 5)));
        }
        const QString expected = reference(value);
        if (reports::recordNumber(value) != expected)
            QFAIL(qPrintable(QStringLiteral("%1 (bits %2, seed %3): got \"%4\", expected \"%5\"")
                                 .arg(double(value), 0, 'g', 17)
                                 .arg(QString::number(std::bit_cast<quint32>(value), 16))
                                 .arg(seed)
                                 .arg(reports::recordNumber(value), expected)));
    }
}

QTEST_GUILESS_MAIN(TestRecordNumber)
#include "tst_recordnumber.moc"
