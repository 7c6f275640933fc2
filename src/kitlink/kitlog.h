#pragma once

#include "platform/atomicfile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringView>

#include <vector>

// What went over the line to the kit and back, newest last, for the bench engineer
// chasing a kit that stopped answering. Bounded: the oldest entries make way once it
// is full, so a bench left polling all day keeps a fixed footprint. Appending is a
// timestamp, a short escape and a slot overwrite; it runs on every poll tick and on
// every frame, so it never formats or copies the rest of the log.
class KitLog : public QObject
{
    Q_OBJECT
public:
    enum class Direction { Sent, Received, Note };

    struct Entry {
        QDateTime time;       // local time of the append
        Direction direction = Direction::Note;
        QString text;         // control bytes made visible: "?D<CR>", "<0x0A>"
        bool liveReading = false;  // the poll's "?D"/"&D" or its 15-character answer
    };

    // An automatic test of the slowest style (QNA1K, about 65 s) leaves some 200
    // entries; every second the Drop Away Test dialog stays open adds eight more,
    // as does every second of polling before and after. 10,000 entries hold the
    // test with five minutes at the dialog and a quarter of an hour of polling.
    static constexpr int DefaultCapacity = 10000;

    // capacity below 1 is taken as 1.
    explicit KitLog(int capacity = DefaultCapacity, QObject *parent = nullptr);

    int capacity() const { return m_capacity; }
    int size() const { return static_cast<int>(m_slots.size()); }
    bool isEmpty() const { return m_slots.empty(); }

    // Bytes as they went on or came off the line.
    void append(Direction direction, QByteArrayView bytes);
    // The bench's own remarks ("port opened", "kit not found").
    void note(const QString &text);

    // Oldest first.
    QList<Entry> entries() const;
    // The entry appended last; only valid when the log is not empty.
    const Entry &latest() const;

    // One line per entry, each ending in a line feed.
    QString formatted() const;
    // "23:41:07.250  >  ?D<CR>": time, then ">" sent, "<" received or "!" note.
    static QString formatLine(const Entry &entry);
    // What the direction marks stand for, for a legend.
    static QString legend();
    // CR as "<CR>", other control bytes and bytes above 0x7E as "<0xNN>".
    static QString visible(QByteArrayView bytes);
    static QString visible(QStringView text);

    // Writes formatted() as UTF-8 with CR LF line ends, the way the bench's other
    // text files are written, replacing the file whole or leaving it as it was.
    [[nodiscard]] platform::WriteResult saveTo(const QString &path) const;

signals:
    void appended();

private:
    void push(Direction direction, QString text, bool liveReading);

    int m_capacity;
    std::vector<Entry> m_slots;  // a ring once full; m_next is the oldest slot then
    int m_next = 0;
};
