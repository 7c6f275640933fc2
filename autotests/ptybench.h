#pragma once

// The whole bench as an operator has it: the real window and serial port against
// quillmark-kitsim on a pseudo-terminal, with the real settings files in a scratch
// folder. The kit may be told to misbehave from the start or while it runs.

#include "console/configfiles.h"
#include "console/frmmain.h"
#include "platform/eventservice.h"
#include "platform/prompts.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

namespace pty {

// Sleeps in the event loop until done() holds or timeoutMs have passed. Every event
// the bench handles (a tick, a frame, a line from the kit) wakes it to look again.
inline bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QTimer wake;
    wake.setTimerType(Qt::PreciseTimer);  // never early, so the deadline has passed when it fires
    wake.setSingleShot(true);
    wake.start(timeoutMs);
    platform::serviceEventsUntil([&] { return done() || deadline.hasExpired(); });
    return done();
}

// Lets the bench run undisturbed for a while, to see what it does on its own.
inline void idle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Splash none, port check after 20 ms, poll every 50 ms, fixed waits of 100 ms.
inline Timings fastTimings()
{
    using std::chrono::milliseconds;
    return {milliseconds(0), milliseconds(20), milliseconds(50), milliseconds(100)};
}

class Bench
{
public:
    static constexpr int Port = 9;

    explicit Bench(int relay, const QStringList &faults = {}, const Timings &timings = fastTimings())
    {
        QDir::setCurrent(folder.path());
        config::PortAndNumbering stored = config::defaultPortAndNumbering();
        stored.portNumber = Port;
        (void)config::saveArt(folder.path(), stored);
        (void)config::saveArtc(folder.path(), config::defaultFolders(folder.path()));

        QStringList arguments{"--folder", folder.path(), "--port", QString::number(Port), "--relay",
                              QString::number(relay), "--time-scale", "0.05", "--fault-input"};
        for (const QString &fault : faults)
            arguments << "--fault" << fault;
        kit.start(QStringLiteral(KITSIM_PROGRAM), arguments);
        if (!kitSays(QStringLiteral("linked as")))
            return;
        window = std::make_unique<FrmMain>(timings);
        window->formLoad();
        window->cmbType->setCurrentIndex(relay);
    }
    ~Bench()
    {
        window.reset();
        kit.terminate();
        kit.waitForFinished(3000);
        QDir::setCurrent(m_previousFolder);
    }
    Bench(const Bench &) = delete;
    Bench &operator=(const Bench &) = delete;

    bool kitSays(const QString &text, int timeoutMs = 5000)
    {
        return waitUntil(
            [&] {
                m_said += QString::fromLocal8Bit(kit.readAllStandardError());
                return m_said.contains(text);
            },
            timeoutMs);
    }

    // Puts a fault in force from the kit's next frame on.
    bool turnKit(const QString &fault)
    {
        kit.write((fault + QLatin1Char('\n')).toLocal8Bit());
        return kitSays(QStringLiteral("fault %1 in force").arg(fault));
    }

    // Commands the kit heard, in order.
    QStringList heard()
    {
        m_heard += QString::fromLatin1(kit.readAllStandardOutput());
        QStringList commands;
        for (const QString &line : m_heard.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            commands << line.section(QLatin1Char(' '), 1);
        return commands;
    }

    // The port check passed, its coil-off commands are out and the kit reported free.
    bool waitUntilKitFree()
    {
        return window && waitUntil(
                             [this] {
                                 return window->lblCommStatus->text() == QLatin1String("Comm Port Active")
                                        && heard().contains(QStringLiteral("@V0000"))
                                        && window->fields.KitState == QLatin1String("F");
                             },
                             5000);
    }

    // An operator at the Drop Away Test dialog: once it is open, script(dialog) is
    // called on every 20 ms tick until it returns true (the operator is done).
    void operateDropAwayDialog(std::function<bool(QWidget &dialog)> script)
    {
        m_operator.setInterval(20);
        QObject::connect(&m_operator, &QTimer::timeout, &m_operator, [this, script = std::move(script)] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal && modal->objectName() == QLatin1String("frmDropAway") && script(*modal))
                m_operator.stop();
        });
        m_operator.start();
    }

    // An operator who looks at every Drop Away Test dialog for a moment (a few poll
    // periods), then presses Complete.
    void completeEveryDropAwayDialog(int afterMs = 300)
    {
        m_operator.setInterval(20);
        QObject::connect(&m_operator, &QTimer::timeout, &m_operator, [this, afterMs] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || modal->objectName() != QLatin1String("frmDropAway")) {
                m_lookingSince.invalidate();
                return;
            }
            if (!m_lookingSince.isValid())
                m_lookingSince.start();
            else if (m_lookingSince.elapsed() >= afterMs)
                modal->findChild<QPushButton *>(QStringLiteral("cmdComplete"))->click();
        });
        m_operator.start();
    }

    QTemporaryDir folder;
    QProcess kit;
    platform::RecordedPrompts prompts;
    std::unique_ptr<FrmMain> window;

private:
    QString m_previousFolder = QDir::currentPath();
    QString m_said;
    QString m_heard;
    QTimer m_operator;
    QElapsedTimer m_lookingSince;
};

} // namespace pty
