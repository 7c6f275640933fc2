#pragma once

// What the bench programs share on their command line: --help answered without a
// display, and --smoke, the short run of every part that CTest makes so that a
// benchmark that no longer runs fails the suite. A smoke run prints its table like a
// whole run but judges no figure (the machine running the suite is busy with other
// things); it fails only when a part did not run or gave no figure.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QStringList>

namespace benchline {

inline QCommandLineOption smokeOption(const QString &howShort)
{
    return QCommandLineOption(QStringLiteral("smoke"),
                              QStringLiteral("A short run of every part, for the test suite: %1. No figure is "
                                             "judged; the exit status says whether every part ran.")
                                  .arg(howShort));
}

// Reads the line before any application object is made, so that --help, and a
// mistake on the line, are answered in plain text with or without a display (and
// the program exits there, 0 or 1). parser: with its options added.
inline void read(QCommandLineParser &parser, int argc, char *argv[])
{
    parser.addHelpOption();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (parser.parse(arguments) && !parser.isSet(QStringLiteral("help")))
        return;
    QCoreApplication textOnly(argc, argv);
    parser.process(textOnly);  // prints the help or the mistake and exits
}

// A figure of a table that was measured: not "n/a", not infinite.
inline bool measured(const QString &figure)
{
    return !figure.startsWith(QLatin1String("n/a")) && !figure.contains(QLatin1String("inf"))
           && !figure.contains(QLatin1String("nan"));
}

// The machine's load average (1, 5 and 15 minutes) as the kernel gives it: the
// figures of a run are read beside it.
inline QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2);
}

} // namespace benchline
