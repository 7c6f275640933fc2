#pragma once

// The whole bench in one process: the real main window, its kit link and
// procedures, against the simulated kit with the chosen relay wired to it. Timers
// run scaled so a test of a one-second-per-step procedure takes milliseconds.

#include "controls.h"
#include "kitheard.h"

#include "console/window/frmmain.h"
#include "kitlink/kitlink.h"
#include "kitsim/simulatedkitport.h"
#include "platform/prompts.h"
#include "tests/procedures.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

class BenchRig
{
public:
    static Timings fastTimings()
    {
        using std::chrono::milliseconds;
        return {milliseconds(0), milliseconds(5), milliseconds(10), milliseconds(30)};
    }

    explicit BenchRig(int relayIndex = 0, const Timings &timings = fastTimings(), double kitTimeScale = 0.02)
    {
        auto port = std::make_unique<SimulatedKitPort>();
        kitPort = port.get();
        kitPort->kit().setTimeScale(kitTimeScale);
        window = std::make_unique<FrmMain>(record, prompts, platform::StartupFolder(folder.path()), timings,
                                           std::move(port));
        window->formLoad();
        control<QComboBox>(*window, "cmbType").setCurrentIndex(relayIndex);
        kitPort->kit().setRelay(relayIndex);
    }

    ~BenchRig()
    {
        window.reset();
    }

    BenchRig(const BenchRig &) = delete;
    BenchRig &operator=(const BenchRig &) = delete;

    // Port check passed, its coil-off commands are out and the kit has reported itself free.
    [[nodiscard]] bool waitUntilKitFree(int timeoutMs = 5000)
    {
        return QTest::qWaitFor(
            [this] {
                return heard().contains("@V0000") && window->link().receiver.kitFree() && window->link().waits.idle();
            },
            timeoutMs);
    }

    // Nothing runs: no busy label, the panel unlocked, no dialog open, nothing waiting.
    [[nodiscard]] bool waitUntilIdle(int timeoutMs = 10000)
    {
        return QTest::qWaitFor(
            [this] {
                for (const QLabel *busy : controlArray<QLabel>(*window, "lblBusy", 6)) {
                    if (busy->isVisibleTo(window.get()))
                        return false;
                }
                return control<QGroupBox>(*window, "FrameCPanel").isEnabled() && window->link().waits.idle()
                       && !QApplication::activeModalWidget();
            },
            timeoutMs);
    }

    SimulatedKit &kit() { return kitPort->kit(); }
    FrmMain &w() { return *window; }

    // Commands the kit heard since forgetHeard(), without the live polls.
    QStringList heard() const
    {
        QStringList commands;
        for (const SimulatedKit::ReceivedCommand &c : kitPort->kit().commandLog())
            commands << c.text;
        return withoutPolls(commands);
    }
    void forgetHeard() { kitPort->kit().clearCommandLog(); }

    QTemporaryDir folder;
    platform::RecordedPrompts prompts;
    BenchRecord record;
    SimulatedKitPort *kitPort = nullptr;
    std::unique_ptr<FrmMain> window;
};
