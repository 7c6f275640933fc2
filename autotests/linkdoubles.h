#pragma once

// A line to the kit that the test scripts: it records what the bench writes and
// delivers what the test says the kit sent, through the same events as a port.

#include "kitlink/kitlink.h"
#include "kitlink/kitport.h"
#include "kitlink/linkview.h"

#include <QHash>
#include <QStringList>
#include <QTimer>

class ScriptedPort final : public KitPort
{
public:
    bool open(const QString &device) override
    {
        openedDevice = device;
        m_open = openError.isEmpty();
        return m_open;
    }
    bool isOpen() const override { return m_open; }
    QString errorString() const override { return openError.isEmpty() ? writeError : openError; }

    bool write(const QByteArray &bytes) override
    {
        if (!writeError.isEmpty())
            return false;
        written += QString::fromLatin1(bytes);
        if (const auto answer = answers.value(QString::fromLatin1(bytes)); !answer.isEmpty())
            QTimer::singleShot(answerDelayMs, this, [this, answer] { kitSends(answer); });
        return true;
    }
    QByteArray readAll() override { return std::exchange(m_pending, {}); }
    void setReceiveEvents(bool on) override { m_events = on; }

    // Bytes arriving from the kit.
    void kitSends(const QByteArray &bytes)
    {
        m_pending += bytes;
        if (m_events)
            announceArrival();
    }

    // Commands as written, one per carriage return.
    QStringList commands() const
    {
        QStringList list = written.split(QLatin1Char('\r'));
        list.removeLast();
        return list;
    }

    QString openedDevice;
    QString openError;
    QString writeError;
    QString written;
    QHash<QString, QByteArray> answers;  // command with CR -> what the kit answers
    int answerDelayMs = 5;

private:
    QByteArray m_pending;
    bool m_open = false;
    bool m_events = false;
};

class RecordingView final : public LinkView
{
public:
    void showCommStatus(const QString &text) override { statuses << text; }
    void showLiveReadings(const QString &v, const QString &i, bool b) override
    {
        volts = v;
        milliamps = i;
        busy = b;
        ++liveUpdates;
    }
    QWidget *dialogParent() override { return nullptr; }

    QStringList statuses;
    QString volts;
    QString milliamps;
    bool busy = false;
    int liveUpdates = 0;
};

// The kit link on its own: the main window's fields and timers, a scripted line and
// a recording view. The fixed wait runs for waitMs.
struct LinkRig {
    MainWindowFields fields;
    ScriptedPort port;
    RecordingView view;
    QTimer tmrPortOpen, tmrComm, tmrTout;
    KitLink link{fields, port, view, {tmrPortOpen, tmrComm, tmrTout}};

    explicit LinkRig(int waitMs = 10)
    {
        tmrTout.setSingleShot(true);
        tmrTout.setTimerType(Qt::PreciseTimer);
        tmrTout.setInterval(waitMs);
    }
};
