#include "reports/reportvalues.h"

#include "platform/numbertext.h"
#include "reports/recordnumber.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cmath>

namespace reports {

namespace {

// The largest of values[first..last]: the first, replaced by each later one that
// is strictly greater.
float largest(const std::array<float, ResultSlots> &values, int first, int last)
{
    float result = values[std::size_t(first)];
    for (int i = first + 1; i <= last; ++i) {
        if (values[std::size_t(i)] > result)
            result = values[std::size_t(i)];
    }
    return result;
}

double valueOf(Source source, const BenchRecord &r)
{
    switch (source) {
    case Source::CoilResistance1: return r.CoilResistance1;
    case Source::CoilResistance2: return r.CoilResistance2;
    case Source::PickUpVoltage: return r.PickUpVoltage;
    case Source::DropAwayVoltage: return r.DropAwayVoltage;
    case Source::ManualDropAwayVoltage: return r.ManualDropAwayVoltage;
    case Source::PickUpCurrent: return r.PickUpCurrent;
    case Source::DropAwayCurrent: return r.DropAwayCurrent;
    case Source::FullOperateCurrent: return r.PickUpCurrent * 1.25;
    case Source::ReleasePercent:
        // A pick-up current under 20 mA is too small to take a percentage of: the
        // drop-away current is shown itself.
        if (r.PickUpCurrent >= 20)
            return double(r.DropAwayCurrent) * 100 / r.PickUpCurrent;
        return r.DropAwayCurrent;
    case Source::LargestFrontResistance: return largest(r.ContactRes, 1, 8);
    case Source::LargestBackResistance: return largest(r.ContactRes, 9, 16);
    case Source::LatestDelay: return r.ContactDelay[0];
    case Source::ReleaseTransferDelay: return r.ContactDelay[15];
    case Source::FrontBounce: return r.ContactDelay[1] * 5.0;
    case Source::BackBounce: return r.ContactDelay[9] * 5.0;
    case Source::DropAwayTime: return largest(r.ContactDelay, 9, 16);
    case Source::DelayDifference: {
        const float front = largest(r.ContactDelay, 1, 8);
        const float back = largest(r.ContactDelay, 9, 16);
        const float difference = back - front;
        return difference >= 0 ? difference : front - back;
    }
    }
    return 0;
}

QString formatted(double value, Format format)
{
    switch (format) {
    case Format::OneDecimal: return platform::fixedDecimals(value, 1);
    case Format::TwoDecimals: return platform::fixedDecimals(value, 2);
    case Format::Whole: return platform::fixedDecimals(value, 0);
    case Format::Plain: return plainNumber(float(value));
    }
    return {};
}

} // namespace

QString resultText(Source source, Format format, const BenchRecord &record)
{
    return formatted(valueOf(source, record), format);
}

QString reportDate(const QDate &date)
{
    QChar separator = QLatin1Char('/');
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    const auto found = std::find_if(format.begin(), format.end(), [](QChar c) {
        return c == QLatin1Char('/') || c == QLatin1Char('.') || c == QLatin1Char('-');
    });
    if (found != format.end())
        separator = *found;
    return date.toString(QStringLiteral("dd%1MM%1yyyy").arg(separator));
}

QString nextSerial(const QString &serial)
{
    static const QRegularExpression blanks(QStringLiteral("\\s"));
    static const QRegularExpression leadingNumber(QStringLiteral("^[+-]?\\d*\\.?\\d+"));
    const QRegularExpressionMatch number = leadingNumber.match(QString(serial).remove(blanks));
    const double next = std::round((number.hasMatch() ? number.captured().toDouble() : 0.0) + 1);
    const QString digits = QString::number(std::abs(next), 'f', 0).rightJustified(4, QLatin1Char('0'));
    return next < 0 ? QLatin1Char('-') + digits : digits;
}

} // namespace reports
