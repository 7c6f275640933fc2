#pragma once

#include "console/benchrecord.h"
#include "kitlink/linkview.h"

class KitLog;
class KitPort;

// Joins what the kit sends into frames, shows the live readings and hands every
// result frame to the procedure that waits for it.
class ReceiveHandler
{
public:
    ReceiveHandler(MainWindowFields &fields, KitPort &port, KitLog &log, LinkView &view);

    ResultHandlers results;

    // The port's data-received event.
    void onDataReceived();
    // One complete text ending in a carriage return.
    void dispatch(const QString &frame);

private:
    void liveReadings(const QString &frame);

    MainWindowFields &f;
    KitPort &m_port;
    KitLog &m_log;
    LinkView &m_view;
};
