#pragma once

// The quillmark program as a process of its own, as a bench PC or a script starts it.

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <csignal>

// The program has taken SIGTERM, SIGHUP and SIGINT over (its start-up is through, or,
// refused, it shows why): /proc tells the signals it has handlers for, a bit each.
inline bool takesStopSignals(const QProcess &program)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(program.processId()));
    const QString text = QString::fromLatin1(status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray());
    const qulonglong caught = QRegularExpression("SigCgt:\\s*(\\w+)").match(text).captured(1).toULongLong(nullptr, 16);
    return ((caught >> (SIGTERM - 1)) & (caught >> (SIGHUP - 1)) & (caught >> (SIGINT - 1)) & 1) != 0;
}

inline bool startedAndTakesStopSignals(QProcess &program)
{
    return program.waitForStarted() && QTest::qWaitFor([&] { return takesStopSignals(program); }, 20000);
}

// The environment of a PC without a display; with a home folder, a user of its own
// there, without the test's settings folder.
inline QProcessEnvironment noDisplay(const QString &home = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    if (!home.isEmpty()) {
        environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
    }
    return environment;
}
