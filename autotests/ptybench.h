#pragma once

// The whole bench as an operator has it: the real window and serial port against
// quillmark-kitsim on a pseudo-terminal, with the real settings files in a scratch
// folder. The kit may be told to misbehave from the start or while it runs.

#include "controls.h"

#include "console/record/configfiles.h"
#include "console/window/frmmain.h"
#include "kitlink/kitlink.h"
#include "platform/prompts.h"
#include "tests/frmdropaway.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class PtyBench
{
public:
    static constexpr int Port = 9;

    // Splash none, port check after 20 ms, poll every 50 ms (and a lost kit looked
    // for as often), fixed waits of 200 ms. A
    // contact run files each reading under the channel it measures when the reading
    // comes, two fixed waits after its command at most; on a loaded machine the kit's
    // process or the bench's thread can be held up for a tenth of a second, so the
    // waits keep room for that, as the bench's whole seconds do for the real kit.
    static Timings fastTimings(int pollMs = 50, int waitMs = 200)
    {
        using std::chrono::milliseconds;
        return {milliseconds(0), milliseconds(20), milliseconds(pollMs), milliseconds(waitMs), milliseconds(pollMs)};
    }

    // boxes: the message boxes the window shows; by default they are only recorded.
    explicit PtyBench(int relay, const QStringList &faults = {}, const Timings &timings = fastTimings(),
                      platform::Prompts *boxes = nullptr)
    {
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
        window = std::make_unique<FrmMain>(record, boxes ? *boxes : prompts, platform::StartupFolder(folder.path()),
                                           timings);
        window->formLoad();
        control<QComboBox>(*window, "cmbType").setCurrentIndex(relay);
    }
    ~PtyBench()
    {
        window.reset();
        kit.terminate();
        kit.waitForFinished(3000);
    }
    PtyBench(const PtyBench &) = delete;
    PtyBench &operator=(const PtyBench &) = delete;

    bool kitSays(const QString &text, int timeoutMs = 5000)
    {
        return QTest::qWaitFor(
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

    // The kit's cable pulled ("unplug": its line and link gone) or plugged back in
    // ("plug": a new line at the same link); each once a rig.
    bool cable(const QString &action)
    {
        kit.write((action + QLatin1Char('\n')).toLocal8Bit());
        return kitSays(action == QLatin1String("plug") ? QStringLiteral("plugged in on") : QStringLiteral("unplugged"));
    }

    // A kit killed leaves its link behind, leading to a pseudo-terminal number the
    // next program to ask for one may get: gone with it, so that the bench looking for
    // its kit again never finds another test's.
    void killKit()
    {
        kit.kill();
        QFile::remove(folder.filePath(QStringLiteral("COM%1").arg(Port)));
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

    // Commands heard from now on only.
    void forgetHeard()
    {
        (void)heard();
        m_heard.clear();
    }

    // The kit check passed, its coil-off commands are out and the kit reported free.
    bool waitUntilKitFree()
    {
        return window && QTest::qWaitFor(
                             [this] {
                                 return control<QLabel>(*window, "lblCommStatus").text() == "Comm Port Active"
                                        && heard().contains(QStringLiteral("@V0000"))
                                        && window->link().receiver.kitFree() && window->link().waits.idle();
                             },
                             5000);
    }

    // Nothing runs any more: panel unlocked, nothing waiting, no dialog.
    bool waitUntilIdle(int timeoutMs = 20000)
    {
        return QTest::qWaitFor(
            [this] {
                return control<QGroupBox>(*window, "FrameCPanel").isEnabled() && window->link().waits.idle()
                       && !QApplication::activeModalWidget();
            },
            timeoutMs);
    }

    // An operator at the Drop Away Test dialog: script(dialog) on every 20 ms tick
    // while one is open, until it returns true.
    void operateDropAwayDialog(std::function<bool(FrmDropAway &dialog)> script)
    {
        m_operator.setInterval(20);
        QObject::connect(&m_operator, &QTimer::timeout, &m_operator, [this, script = std::move(script)] {
            auto *dialog = window->findChild<FrmDropAway *>();
            if (dialog && dialog->isVisible() && script(*dialog))
                m_operator.stop();
        });
        m_operator.start();
    }

    // An operator who looks at every Drop Away Test dialog for a few poll periods,
    // then presses Complete.
    void completeEveryDropAwayDialog(int afterMs = 300)
    {
        auto looking = std::make_shared<QElapsedTimer>();
        operateDropAwayDialog([looking, afterMs](FrmDropAway &dialog) {
            if (!looking->isValid())
                looking->start();
            if (looking->elapsed() < afterMs)
                return false;
            looking->invalidate();
            control<QPushButton>(dialog, "cmdComplete").click();
            return false;  // and every dialog after it
        });
    }

    QTemporaryDir folder;
    QProcess kit;
    platform::RecordedPrompts prompts;
    BenchRecord record;
    std::unique_ptr<FrmMain> window;

private:
    QString m_said;
    QString m_heard;
    QTimer m_operator;
};
