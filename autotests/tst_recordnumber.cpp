// The number lines of a report file: the spreadsheet templates read them as the
// bench's old BASIC wrote them, so every character counts.

#include "reports/recordnumber.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QTest>

#include <bit>
#include <cmath>
#include <limits>

#include "recordnumber_reference.h"

class TestRecordNumber : public QObject
{
    Q_OBJECT

private slots:
    // The rows' texts are the ones of a PC with a decimal point, whatever this one has.
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); }

    // One row per rule, and the ties, which random floats seldom land on; the
    // comparison below covers the rest of the floats. plain: the same number in a
    // report form field.
    void shouldWriteTheBenchNumberText_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<bool>("comma");  // on a PC whose decimal separator is ","
        const auto row = [](const char *name, float value, const char *text, const char *plain, bool comma = false) {
            QTest::newRow(name) << value << QString::fromLatin1(text) << QString::fromLatin1(plain) << comma;
        };
        row("zero", 0.0f, " 0 ", "0");
        row("negative zero", -0.0f, " 0 ", "0");
        row("half, no leading zero", 0.5f, " .5 ", "0.5");
        row("negative quarter", -0.25f, "-.25 ", "-0.25");
        row("24.05 is stored as 24.0499992", 24.05f, " 24.05 ", "24.05");
        row("difference of two singles", 77.881f - 12.345f, " 65.536 ", "65.536");
        row("tie goes away from zero, not to even", 1234568.5f, " 1234569 ", "1234569");
        row("negative tie in the fraction", -12345.125f, "-12345.13 ", "-12345.13");
        row("rounding carries through every digit", 1.9999999f, " 2 ", "2");
        row("9999999.5 is stored as 1E7", 9999999.5f, " 1E+07 ", "1E+07");
        row("eight integer digits", 12345678.0f, " 1.234568E+07 ", "1.234568E+07");
        row("seven places after the point stay plain", 1e-7f, " .0000001 ", "0.0000001");
        row("eight places after the point", 1.5e-7f, " 1.5E-07 ", "1.5E-07");
        row("infinite", std::numeric_limits<float>::infinity(), " INF ", "INF");
        row("negative infinite", -std::numeric_limits<float>::infinity(), "-INF ", "-INF");
        row("not a number", std::numeric_limits<float>::quiet_NaN(), " NAN ", "NAN");
        row("comma", 12.5f, " 12,5 ", "12,5", true);
        row("comma, no thousands separator", -1234.5f, "-1234,5 ", "-1234,5", true);
        row("comma below one", 0.25f, " ,25 ", "0,25", true);
        row("comma in the mantissa", 12345678.0f, " 1,234568E+07 ", "1,234568E+07", true);
    }

    void shouldWriteTheBenchNumberText()
    {
        QFETCH(float, value);
        QFETCH(bool, comma);
        if (comma)
            QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QTEST(reports::recordNumber(value), "text");
        QTEST(reports::plainNumber(value), "plain");
    }

    void shouldAgreeWithPencilAndPaperForAnyFloat_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("point") << QLocale(QLocale::English, QLocale::UnitedKingdom);
        QTest::newRow("comma") << QLocale(QLocale::French, QLocale::France);
    }

    void shouldAgreeWithPencilAndPaperForAnyFloat()
    {
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        for (int i = 0; i < 200000; ++i) {
            float value = std::bit_cast<float>(random.generate());
            if (i % 2)  // readings as the kit gives them: a few decimals in the bench's ranges
                value = float(random.bounded(-200000, 2000000)) / float(std::pow(10, random.bounded(0, 5)));
            if (!std::isfinite(value))
                continue;
            const QString got = reports::recordNumber(value), expected = reference(value, locale.decimalPoint()[0]);
            if (got != expected)
                QFAIL(qPrintable(QStringLiteral("%1 (bits %2, seed %3): got \"%4\", expected \"%5\"")
                                     .arg(double(value), 0, 'g', 17)
                                     .arg(QString::number(std::bit_cast<quint32>(value), 16))
                                     .arg(seed)
                                     .arg(got, expected)));
        }
    }
};

QTEST_GUILESS_MAIN(TestRecordNumber)
#include "tst_recordnumber.moc"
