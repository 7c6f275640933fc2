#pragma once

// The whole bench as an operator has it: the real window and serial port against
// quillmark-kitsim on a pseudo-terminal, with the real settings files in a scratch
// folder. The kit may be told to misbehave from the start or while it runs.

#include "controls.h"
#include "kitheard.h"
#include "kitprocess.h"

#include "console/window/frmmain.h"
#include "kitlink/kitlink.h"
#include "platform/prompts.h"
#include "tests/frmdropaway.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QHash>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class PtyBench : public KitProcess
{
public:
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
        : KitProcess(relay, faults)
    {
        if (!linked())
            return;
        window = std::make_unique<FrmMain>(record, boxes ? *boxes : prompts, platform::StartupFolder(folder.path()),
                                           timings);
        window->formLoad();
        control<QComboBox>(*window, "cmbType").setCurrentIndex(relay);
    }
    ~PtyBench() { window.reset(); }

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

    platform::RecordedPrompts prompts;
    BenchRecord record;
    std::unique_ptr<FrmMain> window;
};

// Drop Away Test dialogs as an operator meets them: each counted, and completed
// after a look of 300 ms.
class DialogCount : public QObject
{
public:
    explicit DialogCount(FrmMain &window)
    {
        m_look.callOnTimeout(this, [this, w = &window] {
            int open = 0;
            for (FrmDropAway *dialog : w->findChildren<FrmDropAway *>()) {
                if (!dialog->isVisible())
                    continue;
                ++open;
                if ((m_lookedAt[dialog] += 20) >= 300)
                    control<QPushButton>(*dialog, "cmdComplete").click();
            }
            mostAtOnce = std::max(mostAtOnce, open);
        });
        m_look.start(20);
    }
    int seen() const { return int(m_lookedAt.size()); }
    int mostAtOnce = 0;

private:
    QTimer m_look;
    QHash<FrmDropAway *, int> m_lookedAt;
};
