#pragma once

// What the kit heard, as the tests compare it: the commands in order, without the
// live-readings queries every poll tick sends, and the sequence that leaves it safe.

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QTime>

// Coil supply, second coil and current source off, the set-points at zero: what a
// Stop, a fault or the end of the program sends, in this order.
inline const QStringList SafeSequence{"@A00", "&A00", "^R0", "@V0000", "^Q0000"};

// The commands without the live-readings queries, and a result query asked on
// several ticks running counted once.
inline QStringList withoutPolls(const QStringList &heard)
{
    QStringList commands;
    for (const QString &command : heard) {
        const bool live = command == QLatin1String("?D") || command == QLatin1String("&D");
        const bool repeated = !commands.isEmpty() && commands.constLast() == command
                              && QStringList{"?P", "?A", "*P", "*A", "?p"}.contains(command);
        if (!live && !repeated)
            commands << command;
    }
    return commands;
}

// quillmark-kitsim's command log: "HH:mm:ss.zzz command", a line each.
struct Heard {
    QTime time;
    QString command;
};
inline QList<Heard> readKitLog(const QByteArray &log)
{
    QList<Heard> heard;
    for (const QByteArray &line : log.split('\n')) {
        const QString text = QString::fromLatin1(line).trimmed();
        if (!text.isEmpty())
            heard.append({QTime::fromString(text.section(u' ', 0, 0), QStringLiteral("HH:mm:ss.zzz")), text.section(u' ', 1)});
    }
    return heard;
}
