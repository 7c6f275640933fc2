#include "platform/numbertext.h"

#include <QLocale>

namespace platform {

QChar decimalSeparator()
{
    // The default locale is the system's unless something has set another.
    const QString point = QLocale().decimalPoint();
    if (point.size() == 1 && point.at(0).unicode() < 0x100)
        return point.at(0);
    return QLatin1Char('.');
}

QString fixedDecimals(double value, int decimals)
{
    // QString::number never groups and always writes '.', so only the point needs
    // swapping; its rounding is the one every mask has always had.
    QString text = QString::number(value, 'f', decimals);
    const QChar point = decimalSeparator();
    if (point != QLatin1Char('.'))
        text.replace(QLatin1Char('.'), point);
    return text;
}

} // namespace platform
