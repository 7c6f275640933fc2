#include "kitsim/lineoutput.h"

#include <QRandomGenerator>
#include <QString>

#include <utility>

namespace {

// Far enough apart that the far end reads the pieces of a split frame separately.
constexpr int PieceGapMs = 15;

} // namespace

namespace {

// "CMD:REST" of "late=CMD:REST"; the command never holds a colon, what follows may.
bool answerChange(QStringView value, AnswerChange &change, QStringView &rest)
{
    const qsizetype colon = value.indexOf(u':');
    change.command = (colon < 0 ? value : value.left(colon)).toString();
    rest = colon < 0 ? QStringView() : value.mid(colon + 1);
    return !change.command.isEmpty();
}

bool milliseconds(QStringView text, int &ms)
{
    bool ok = false;
    ms = text.toInt(&ok);
    return ok && ms >= 0;
}

} // namespace

bool addFault(QStringView name, KitFaults &faults)
{
    AnswerChange change;
    QStringView rest;
    if (name.startsWith(u"late=")) {
        if (!answerChange(name.mid(5), change, rest) || !milliseconds(rest, change.lateMs))
            return false;
        faults.answerChanges.append(change);
        return true;
    }
    if (name.startsWith(u"twice=")) {
        if (!answerChange(name.mid(6), change, rest))
            return false;
        change.againAfterMs = 50;
        if (!rest.isEmpty() && !milliseconds(rest, change.againAfterMs))
            return false;
        faults.answerChanges.append(change);
        return true;
    }
    if (name.startsWith(u"answer=")) {
        if (!answerChange(name.mid(7), change, rest) || rest.isEmpty())
            return false;
        change.replacement = rest.toLatin1();
        faults.answerChanges.append(change);
        return true;
    }
    if (name == u"healthy")
        faults = KitFaults{};
    else if (name == u"silent")
        faults.silent = true;
    else if (name == u"ok-linefeed")
        faults.presenceLineFeed = true;
    else if (name == u"split")
        faults.splitFrames = true;
    else if (name == u"merge")
        faults.mergeFrames = true;
    else if (name == u"drop-result")
        ++faults.dropResultFrames;
    else if (name == u"garbage")
        faults.garbageBytes = 32;
    else if (name.startsWith(u"garbage=")) {
        bool ok = false;
        const int bytes = name.mid(8).toInt(&ok);
        if (!ok || bytes <= 0)
            return false;
        faults.garbageBytes = bytes;
    } else {
        return false;
    }
    return true;
}

LineOutput::LineOutput(QObject *parent)
    : QObject(parent)
{
    m_pieceTimer.setInterval(PieceGapMs);
    connect(&m_pieceTimer, &QTimer::timeout, this, &LineOutput::sendNextPiece);
}

void LineOutput::setFaults(const KitFaults &faults)
{
    m_faults = faults;
    if (!m_faults.mergeFrames && !m_heldFrame.isEmpty())
        write(std::exchange(m_heldFrame, {}));
}

void LineOutput::send(const QByteArray &frame, bool isResult)
{
    if (m_faults.silent)
        return;
    if (isResult && m_faults.dropResultFrames > 0) {
        --m_faults.dropResultFrames;
        return;
    }
    if (m_faults.garbageBytes > 0) {
        QByteArray noise(std::exchange(m_faults.garbageBytes, 0), Qt::Uninitialized);
        // Printable noise without a carriage return, so it runs into the next frame.
        for (char &c : noise)
            c = static_cast<char>(QRandomGenerator::global()->bounded(0x21, 0x7f));
        write(noise);
    }
    if (m_faults.mergeFrames) {
        if (m_heldFrame.isEmpty()) {
            m_heldFrame = frame;
            return;
        }
        write(std::exchange(m_heldFrame, {}) + frame);
        return;
    }
    write(frame);
}

void LineOutput::sendApart(const QByteArray &frame)
{
    if (m_faults.silent)
        return;
    constexpr int PausePieces = 3;  // empty pieces, a piece gap each
    for (int i = 0; i < PausePieces; ++i)
        m_pieces.enqueue(QByteArray());
    m_pieces.enqueue(frame);
    for (int i = 0; i < PausePieces; ++i)
        m_pieces.enqueue(QByteArray());
    if (!m_pieceTimer.isActive())
        sendNextPiece();
}

void LineOutput::write(const QByteArray &bytes)
{
    if (m_faults.splitFrames && bytes.size() > 1) {
        const qsizetype half = bytes.size() / 2;
        m_pieces.enqueue(bytes.left(half));
        m_pieces.enqueue(bytes.mid(half));
    } else {
        m_pieces.enqueue(bytes);
    }
    // Whatever follows a split write waits behind its pieces, so the order holds.
    if (!m_pieceTimer.isActive())
        sendNextPiece();
}

void LineOutput::sendNextPiece()
{
    if (m_pieces.isEmpty()) {
        m_pieceTimer.stop();
        return;
    }
    const QByteArray piece = m_pieces.dequeue();
    // Set the timer before the write: the far end may answer from inside it.
    if (m_pieces.isEmpty())
        m_pieceTimer.stop();
    else if (!m_pieceTimer.isActive())
        m_pieceTimer.start();
    if (!piece.isEmpty())
        emit transmit(piece);
}
