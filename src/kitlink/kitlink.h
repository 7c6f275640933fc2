#pragma once

#include "console/benchrecord.h"
#include "kitlink/fixedwait.h"
#include "kitlink/kitcommands.h"
#include "kitlink/kitlog.h"
#include "kitlink/pollcycle.h"
#include "kitlink/portcheck.h"
#include "kitlink/receivehandler.h"

#include <QObject>

class KitPort;
class LinkView;

// The whole link to the kit, wired to the main window's fields, timers and view.
class KitLink : public QObject
{
    Q_OBJECT
public:
    KitLink(MainWindowFields &fields, KitPort &port, LinkView &view, PortCheck::Timers timers,
            QObject *parent = nullptr);

    KitLog log;
    FixedWait wait;
    KitCommands commands;
    PortCheck portCheck;
    PollCycle poll;
    ReceiveHandler receiver;
};
