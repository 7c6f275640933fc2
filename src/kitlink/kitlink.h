#pragma once

#include "kitlink/awaitedanswers.h"
#include "kitlink/fixedwait.h"
#include "kitlink/kitcommands.h"
#include "kitlink/kitlog.h"
#include "kitlink/pollcycle.h"
#include "kitlink/portcheck.h"
#include "kitlink/receivehandler.h"

#include <QObject>

struct BenchRecord;
class KitPort;
class LinkView;

// The whole link to the kit, wired to the main window's timers and view. Its ticks,
// frames and waits run as activations on the window's wait stack.
class KitLink : public QObject
{
    Q_OBJECT
public:
    KitLink(BenchRecord &record, KitPort &port, LinkView &view, PortCheck::Timers timers,
            platform::WaitStack &waits, QObject *parent = nullptr);

    platform::WaitStack &waits;
    KitLog log;
    FixedWait wait;
    KitCommands commands;
    AwaitedAnswers answers;
    PollCycle poll;
    ReceiveHandler receiver;
    PortCheck portCheck;

signals:
    // Every frame from the kit, after the bench has handled it.
    void frameReceived(const QString &frame);
};
