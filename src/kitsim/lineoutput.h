#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QQueue>
#include <QStringView>
#include <QTimer>

// One answer of the kit told to go wrong: the next answer to command comes late,
// comes twice, or is other text altogether. Used once.
struct AnswerChange {
    QString command;                 // as the kit hears it, without its CR: "@R", "?P"
    int lateMs = 0;                  // sent so long after it would have been
    int againAfterMs = -1;           // sent a second time so long after the first; -1: once
    QByteArray replacement;          // sent instead, when not empty (its CR is added)
};

// Misbehaviour a kit may be asked to show, for trying the bench's link against a
// kit that is not healthy.
struct KitFaults {
    bool silent = false;            // hears commands but answers nothing
    bool presenceLineFeed = false;  // answers the presence check "OK" CR LF
    bool splitFrames = false;       // each write goes out in two pieces, a little apart
    bool mergeFrames = false;       // frames go out in pairs, two frames to one write
    int dropResultFrames = 0;       // so many of the next measurement answers are lost
    int garbageBytes = 0;           // a burst of so much line noise before the next frame
    QList<AnswerChange> answerChanges;  // answers to go wrong, each once, first named first
};

// Adds one fault by its command-line name: "silent", "ok-linefeed", "split", "merge",
// "drop-result", "garbage" (32 bytes) or "garbage=N"; an answer gone wrong:
// "late=CMD:MS" (the next answer to CMD MS milliseconds late), "twice=CMD[:MS]" (sent
// again MS milliseconds after, 50 when not given), "answer=CMD:TEXT" (TEXT instead);
// "healthy" takes every fault away again. False for an unknown name.
bool addFault(QStringView name, KitFaults &faults);

// The kit's transmitter: every frame the kit answers with passes through here on its
// way to the line, and here the line faults happen to it.
class LineOutput : public QObject
{
    Q_OBJECT
public:
    explicit LineOutput(QObject *parent = nullptr);

    void setFaults(const KitFaults &faults);
    const KitFaults &faults() const { return m_faults; }

    // isResult: a measurement answer, the kind a dropped-result fault loses.
    void send(const QByteArray &frame, bool isResult);
    // A frame the kit sends out of turn (unasked, late, a second time), with a pause
    // on either side, so that it never reaches the bench in one piece with another
    // frame: the bench would drop both, and the anomaly would be a lost frame instead.
    void sendApart(const QByteArray &frame);

signals:
    void transmit(const QByteArray &bytes);

private:
    void write(const QByteArray &bytes);
    void sendNextPiece();

    KitFaults m_faults;
    QByteArray m_heldFrame;        // the first of a merged pair
    QQueue<QByteArray> m_pieces;   // split writes waiting for their turn
    QTimer m_pieceTimer;
};
