#pragma once

// The quillmark executable run to its end from a benchmark, with the kernel's account
// of it: its exit code, its peak resident memory and its time. Started by posix_spawn,
// which shares the benchmark's memory until the exec instead of copying it, so the
// peak is the program's own and not the benchmark's.

#include "clock.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

struct ProgramRun {
    int exitCode = -1;
    double peakMb = 0;
    double seconds = 0;
};

inline ProgramRun runProgram(const char *program, const QStringList &arguments)
{
    ProgramRun run;
    QList<QByteArray> encoded{QByteArray(program)};
    for (const QString &a : arguments)
        encoded << a.toLocal8Bit();
    std::vector<char *> argv;
    for (QByteArray &a : encoded)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const qint64 from = benchclock::monotonicNs();
    pid_t pid = 0;
    if (posix_spawn(&pid, program, nullptr, nullptr, argv.data(), environ) != 0)
        return run;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return run;
    run.seconds = double(benchclock::monotonicNs() - from) / 1e9;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakMb = double(usage.ru_maxrss) * 1024 / 1e6;
    return run;
}
