#pragma once

// The whole bench in one process: the real main window, its kit link and
// procedures, against the simulated kit with the chosen relay wired to it. Timers
// run scaled so a test of a one-second-per-step procedure takes milliseconds.

#include "console/frmmain.h"
#include "kitlink/kitlink.h"
#include "kitsim/simulatedkitport.h"
#include "platform/prompts.h"
#include "tests/procedures.h"

#include <QComboBox>
#include <QDir>
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
        : m_previousFolder(QDir::currentPath())
    {
        bench() = BenchRecord{};
        QDir::setCurrent(folder.path());
        auto port = std::make_unique<SimulatedKitPort>();
        kitPort = port.get();
        kitPort->kit().setTimeScale(kitTimeScale);
        window = std::make_unique<FrmMain>(timings, std::move(port));
        window->formLoad();
        selectRelay(relayIndex);
    }

    ~BenchRig()
    {
        window.reset();
        QDir::setCurrent(m_previousFolder);
    }

    BenchRig(const BenchRig &) = delete;
    BenchRig &operator=(const BenchRig &) = delete;

    // Chooses the relay on the bench and wires the same one to the kit.
    void selectRelay(int relayIndex)
    {
        window->cmbType->setCurrentIndex(relayIndex);
        kitPort->kit().setRelay(relayIndex);
    }

    // Port check passed, its coil-off commands are out and the kit has reported itself free.
    [[nodiscard]] bool waitUntilKitFree(int timeoutMs = 5000)
    {
        return QTest::qWaitFor(
            [this] {
                const auto &log = kitPort->kit().commandLog();
                const bool checked = std::any_of(log.cbegin(), log.cend(), [](const auto &c) {
                    return c.text == QLatin1String("@V0000");
                });
                return checked && window->fields.KitState == QLatin1String("F");
            },
            timeoutMs);
    }

    SimulatedKit &kit() { return kitPort->kit(); }
    FrmMain &w() { return *window; }
    Procedures &run() { return window->procedures(); }

    // Commands the kit heard since forgetHeard(), live-reading queries left out.
    QStringList heard() const
    {
        QStringList commands;
        for (const SimulatedKit::ReceivedCommand &c : kitPort->kit().commandLog()) {
            if (c.text != QLatin1String("?D") && c.text != QLatin1String("&D"))
                commands << c.text;
        }
        return commands;
    }
    void forgetHeard() { kitPort->kit().clearCommandLog(); }

    QTemporaryDir folder;
    platform::RecordedPrompts prompts;
    SimulatedKitPort *kitPort = nullptr;
    std::unique_ptr<FrmMain> window;

private:
    QString m_previousFolder;
};
