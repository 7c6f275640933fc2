#include "kitlink/kitlog.h"

#include "kitlink/wireformat.h"

#include <algorithm>
#include <iterator>

namespace {

bool isPrintable(char16_t c)
{
    return c >= 0x20 && c != 0x7F;
}

void appendVisible(QString &out, char16_t c)
{
    if (c == u'\r')
        out += QLatin1String("<CR>");
    else
        out += QLatin1String("<0x") + QString::number(c, 16).toUpper().rightJustified(2, QLatin1Char('0'))
               + QLatin1Char('>');
}

QChar directionMark(KitLog::Direction direction)
{
    switch (direction) {
    case KitLog::Direction::Sent: return QLatin1Char('>');
    case KitLog::Direction::Received: return QLatin1Char('<');
    case KitLog::Direction::Note: break;
    }
    return QLatin1Char('!');
}

// The poll's own traffic, four queries and four answers a second, which hides the
// commands of a test among them.
bool isLiveReading(KitLog::Direction direction, QByteArrayView bytes)
{
    if (direction == KitLog::Direction::Sent)
        return bytes == wire::onTheLine(QString::fromLatin1(wire::cmd::LiveReadings))
               || bytes == wire::onTheLine(QString::fromLatin1(wire::cmd::LiveReadingsCurrentRamp));
    return direction == KitLog::Direction::Received
           && wire::classify(QString::fromLatin1(bytes.data(), bytes.size())) == wire::FrameKind::LiveReadings;
}

} // namespace

KitLog::KitLog(int capacity, QObject *parent)
    : QObject(parent)
    , m_capacity(std::max(capacity, 1))
{
}

void KitLog::append(Direction direction, QByteArrayView bytes)
{
    push(direction, visible(bytes), isLiveReading(direction, bytes));
}

void KitLog::note(const QString &text)
{
    push(Direction::Note, visible(QStringView(text)), false);
}

void KitLog::push(Direction direction, QString text, bool liveReading)
{
    Entry entry{QDateTime::currentDateTime(), direction, std::move(text), liveReading};
    if (size() < m_capacity) {
        m_slots.push_back(std::move(entry));
    } else {
        m_slots[static_cast<size_t>(m_next)] = std::move(entry);
        m_next = (m_next + 1) % m_capacity;
    }
    emit appended();
}

QList<KitLog::Entry> KitLog::entries() const
{
    QList<Entry> list;
    list.reserve(size());
    const auto oldest = m_slots.begin() + m_next;  // the slots after m_next are the older half
    std::copy(oldest, m_slots.end(), std::back_inserter(list));
    std::copy(m_slots.begin(), oldest, std::back_inserter(list));
    return list;
}

const KitLog::Entry &KitLog::latest() const
{
    Q_ASSERT(!m_slots.empty());
    const int newest = (m_next + size() - 1) % size();
    return m_slots[static_cast<size_t>(newest)];
}

QString KitLog::formatted() const
{
    QString text;
    for (const Entry &entry : entries())
        text += formatLine(entry) + QLatin1Char('\n');
    return text;
}

QString KitLog::formatLine(const Entry &entry)
{
    return entry.time.toString(QStringLiteral("HH:mm:ss.zzz")) + QLatin1String("  ") + directionMark(entry.direction)
           + QLatin1String("  ") + entry.text;
}

QString KitLog::legend()
{
    return tr("%1 sent to the kit    %2 received from the kit    %3 noted by the bench")
        .arg(directionMark(Direction::Sent), directionMark(Direction::Received), directionMark(Direction::Note));
}

QString KitLog::visible(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size() + 4);
    for (const char b : bytes) {
        const auto c = static_cast<unsigned char>(b);
        if (isPrintable(c) && c < 0x80)
            out += QLatin1Char(static_cast<char>(c));
        else
            appendVisible(out, c);  // line noise shows as its code, not a guessed glyph
    }
    return out;
}

QString KitLog::visible(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (isPrintable(c.unicode()))
            out += c;
        else
            appendVisible(out, c.unicode());
    }
    return out;
}

platform::WriteResult KitLog::saveTo(const QString &path) const
{
    QString text = formatted();
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return platform::replaceFileAtomically(path, text.toUtf8());
}
