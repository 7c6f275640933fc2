#pragma once

#include "kitsim/coiloutputs.h"
#include "kitsim/lineoutput.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include <array>

// A test kit with one relay of the catalogue wired to it. It hears commands ended by
// a carriage return, switches its coil outputs, runs its pick-up and drop-away ramps
// and answers with the frames a real kit sends.
class SimulatedKit : public QObject
{
    Q_OBJECT
public:
    struct ReceivedCommand {
        QDateTime when;
        QString text;  // without its carriage return
    };

    explicit SimulatedKit(QObject *parent = nullptr);

    // Which relay is wired to the kit: its catalogue list index 0..8.
    void setRelay(int listIndex);
    int relay() const { return m_relay; }

    // Stretches (above 1) or shortens the ramps; 1 is a real kit's pace.
    void setTimeScale(double factor);
    double timeScale() const { return m_timeScale; }

    void setFaults(const KitFaults &faults);
    // The faults still in force: one-off ones are used up as they happen.
    KitFaults faults() const;

    // Text the kit sends now, unasked, with its carriage return: a noisy line or a
    // confused kit.
    void sendStray(const QByteArray &text);

    bool busy() const { return m_outputs.ramping(); }
    // What the kit drives now: set-points and switches, as a bench would read them off its front panel.
    const CoilOutputs &outputs() const { return m_outputs; }

    const QList<ReceivedCommand> &commandLog() const { return m_log; }
    void clearCommandLog() { m_log.clear(); }

public slots:
    // Bytes from the line, in whatever pieces they come.
    void receive(const QByteArray &bytes);

signals:
    void transmit(const QByteArray &bytes);
    void commandReceived(const QString &command);
    // An answer went wrong as it was told to: "answer to @R late by 400 ms".
    void answerChanged(const QString &what);

private:
    enum Ramp { PickUp, Coil2PickUp, DropAway, PickUpCurrent, DropAwayCurrent, RampCount };
    struct Reading {
        double volts = 0;
        double milliamps = 0;
    };

    void execute(const QString &command);
    bool switchOutputs(const QString &command);
    void answer(const QByteArray &frame, bool isResult = true);
    void startRamp(Ramp ramp);
    void endRamp();
    void answerRamp(Ramp ramp);
    void answerLive();
    void answerContact(const QString &digits, bool delay);
    double liveMilliamps() const;
    void settle();

    int m_relay = 0;
    double m_timeScale = 1.0;
    QString m_answering;                  // the command being answered
    QList<AnswerChange> m_answerChanges;
    QByteArray m_pending;  // a command still waiting for its carriage return
    QList<ReceivedCommand> m_log;
    CoilOutputs m_outputs;
    LineOutput m_line;
    bool m_armatureUp = false;
    Ramp m_running = PickUp;
    std::array<Reading, RampCount> m_results{};
};
