#include "kitsim/simulatedkit.h"

#include "console/record/relaycatalogue.h"
#include "kitlink/wireformat.h"
#include "kitsim/kitframes.h"
#include "kitsim/relaymodel.h"

#include <QTimer>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

using kitsim::relayModel;
namespace frames = kitsim::frames;

namespace {

// Longer than any command: without a carriage return by then it is line noise.
constexpr qsizetype LongestCommand = 32;
// What an open contact or an open coil reads: the meter's full scale.
constexpr int OpenCircuit = 99999;

int rounded(double value)
{
    return static_cast<int>(std::lround(value));
}

// The digits behind a command's letters: 1..maxDigits decimal digits and nothing else.
std::optional<int> number(QStringView digits, int maxDigits)
{
    if (digits.isEmpty() || digits.size() > maxDigits)
        return std::nullopt;
    if (!std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;
    return digits.toInt();
}

} // namespace

SimulatedKit::SimulatedKit(QObject *parent)
    : QObject(parent)
{
    connect(&m_line, &LineOutput::transmit, this, &SimulatedKit::transmit);
    connect(&m_outputs, &CoilOutputs::rampEnded, this, &SimulatedKit::endRamp);
}

void SimulatedKit::setRelay(int listIndex)
{
    if (listIndex < 0 || listIndex >= catalogue::EntryCount)
        return;
    // Wiring another relay ends whatever ran on the old one.
    m_outputs.stopRamp();
    m_relay = listIndex;
    m_results = {};
    m_armatureUp = false;
    settle();
}

void SimulatedKit::setTimeScale(double factor)
{
    if (factor > 0)
        m_timeScale = factor;
}

void SimulatedKit::setFaults(const KitFaults &faults)
{
    m_answerChanges = faults.answerChanges;
    KitFaults onTheLine = faults;
    onTheLine.answerChanges.clear();
    m_line.setFaults(onTheLine);
}

KitFaults SimulatedKit::faults() const
{
    KitFaults faults = m_line.faults();
    faults.answerChanges = m_answerChanges;
    return faults;
}

void SimulatedKit::sendStray(const QByteArray &text)
{
    m_line.sendApart(text + char(wire::CR));
}

void SimulatedKit::receive(const QByteArray &bytes)
{
    for (const char c : bytes) {
        if (c == wire::CR) {
            if (!m_pending.isEmpty())
                execute(QString::fromLatin1(std::exchange(m_pending, {})));
        } else if (c != '\n') {  // a terminal's CR LF ends a command like CR alone
            m_pending.append(c);
            if (m_pending.size() > LongestCommand)
                m_pending.clear();
        }
    }
}

void SimulatedKit::execute(const QString &command)
{
    m_log.append({QDateTime::currentDateTime(), command});
    emit commandReceived(command);
    m_answering = command;

    namespace cmd = wire::cmd;
    const kitsim::RelayModel &relay = relayModel(m_relay);
    if (command == QLatin1String(cmd::Presence))
        answer(frames::presence(faults().presenceLineFeed), false);
    else if (switchOutputs(command))
        settle();
    else if (command == QLatin1String(cmd::LiveReadings) || command == QLatin1String(cmd::LiveReadingsCurrentRamp))
        answerLive();
    else if (command == QLatin1String(cmd::MeasureCoil1))
        answer(frames::coilResistance('R', rounded(relay.coilOhms * 10)));
    else if (command == QLatin1String(cmd::MeasureCoil2))
        answer(frames::coilResistance('Q', relay.coil2Ohms > 0 ? rounded(relay.coil2Ohms * 10) : OpenCircuit));
    else if (command == QLatin1String(cmd::PickUpRamp))
        startRamp(PickUp);
    else if (command == QLatin1String(cmd::Coil2PickUpRamp))
        startRamp(Coil2PickUp);
    else if (command == QLatin1String(cmd::DropAwayRamp))
        startRamp(DropAway);
    else if (command == QLatin1String(cmd::PickUpCurrentRamp))
        startRamp(PickUpCurrent);
    else if (command == QLatin1String(cmd::DropAwayCurrentRamp))
        startRamp(DropAwayCurrent);
    else if (command == QLatin1String(cmd::PickUpResult))
        answerRamp(PickUp);
    else if (command == QLatin1String(cmd::Coil2PickUpResult))
        answerRamp(Coil2PickUp);
    else if (command == QLatin1String(cmd::DropAwayResult))
        answerRamp(DropAway);
    else if (command == QLatin1String(cmd::PickUpCurrentResult))
        answerRamp(PickUpCurrent);
    else if (command == QLatin1String(cmd::DropAwayCurrentResult))
        answerRamp(DropAwayCurrent);
    else if (command.startsWith(u"@G"))
        answerContact(command.mid(2), false);
    else if (command.startsWith(u"@H"))
        answerContact(command.mid(2), true);
    else if (command == QLatin1String(cmd::ContactSequence))
        answer(frames::sequence(kitsim::contactSequence(m_relay, true), kitsim::contactSequence(m_relay, false)));
    // Anything else the kit does not know; it stays quiet, as for its switching commands.
}

bool SimulatedKit::switchOutputs(const QString &command)
{
    namespace cmd = wire::cmd;
    if (command.startsWith(u"@V")) {
        const std::optional<int> centivolts = number(QStringView(command).mid(2), 5);
        if (centivolts)
            m_outputs.setVolts = *centivolts / 100.0;
        return centivolts.has_value();
    }
    if (command.startsWith(u"^Q")) {
        // The current source's set-point is in whole milliamperes: "^Q0500" is 500 mA.
        const std::optional<int> milliamps = number(QStringView(command).mid(2), 4);
        if (milliamps)
            m_outputs.setMilliamps = *milliamps;
        return milliamps.has_value();
    }
    const auto is = [&command](const char *text) { return command == QLatin1String(text); };
    if (is(cmd::CoilOn) || is(cmd::CoilOff))
        m_outputs.coil1On = is(cmd::CoilOn);
    else if (is(cmd::Coil2On) || is(cmd::Coil2Off))
        m_outputs.coil2On = is(cmd::Coil2On);
    else if (is(cmd::CurrentOn) || is(cmd::CurrentOff))
        m_outputs.sourceOn = is(cmd::CurrentOn);
    else
        return false;
    return true;
}

void SimulatedKit::answer(const QByteArray &frame, bool isResult)
{
    const auto change = std::find_if(m_answerChanges.begin(), m_answerChanges.end(),
                                     [this](const AnswerChange &c) { return c.command == m_answering; });
    if (change == m_answerChanges.end()) {
        m_line.send(frame, isResult);
        return;
    }
    const AnswerChange changed = *change;
    m_answerChanges.erase(change);
    const QByteArray sent = changed.replacement.isEmpty() ? frame : changed.replacement + char(wire::CR);
    QString what = QStringLiteral("answer to %1").arg(m_answering);
    if (!changed.replacement.isEmpty())
        what += QStringLiteral(" replaced by ") + QString::fromLatin1(changed.replacement);
    if (changed.lateMs > 0)
        what += QStringLiteral(" late by %1 ms").arg(changed.lateMs);
    if (changed.againAfterMs >= 0)
        what += QStringLiteral(" sent again after %1 ms").arg(changed.againAfterMs);
    emit answerChanged(what);
    if (changed.lateMs > 0)
        QTimer::singleShot(changed.lateMs, this, [this, sent] { m_line.sendApart(sent); });
    else
        m_line.send(sent, isResult);
    if (changed.againAfterMs >= 0)
        QTimer::singleShot(changed.lateMs + changed.againAfterMs, this, [this, sent] { m_line.sendApart(sent); });
}

void SimulatedKit::answerLive()
{
    const kitsim::RelayModel &relay = relayModel(m_relay);
    // The coil voltage the kit reads back: the supply's, or what the source drives
    // through coil 1.
    const double volts = std::max({m_outputs.coil1Volts(), m_outputs.coil2Volts(),
                                   m_outputs.sourceMilliamps() * relay.coilOhms / 1000.0});
    answer(frames::live(rounded(volts * 100), rounded(liveMilliamps() * 10), busy()), false);
}

double SimulatedKit::liveMilliamps() const
{
    const kitsim::RelayModel &relay = relayModel(m_relay);
    double milliamps = m_outputs.coil1Volts() / relay.coilOhms * 1000.0 + m_outputs.sourceMilliamps();
    if (relay.coil2Ohms > 0)  // without a second coil its terminals are open
        milliamps += m_outputs.coil2Volts() / relay.coil2Ohms * 1000.0;
    return milliamps;
}

void SimulatedKit::answerContact(const QString &digits, bool delay)
{
    const std::optional<int> channel = number(digits, 2);
    if (!channel || *channel < 1 || *channel > catalogue::ChannelCount)
        return;
    if (delay) {
        const int micros = kitsim::transferMicros(m_relay, *channel);
        answer(frames::delay(micros > 0 ? std::optional<int>(micros) : std::nullopt));
        return;
    }
    settle();
    const bool made = m_armatureUp ? kitsim::isFront(m_relay, *channel) : kitsim::isBack(m_relay, *channel);
    answer(frames::contactResistance(made ? kitsim::madeContactTenthMilliohms(m_relay, *channel) : OpenCircuit));
}

void SimulatedKit::settle()
{
    const kitsim::RelayModel &relay = relayModel(m_relay);
    // The coils' pull as a share of what picks the relay up; both coils add.
    const double coil1Milliamps = m_outputs.coil1Volts() / relay.coilOhms * 1000.0 + m_outputs.sourceMilliamps();
    double drive = coil1Milliamps / kitsim::pickUpMilliamps(relay);
    if (relay.coil2Ohms > 0 && relay.coil2PickUpVolts > 0)
        drive += m_outputs.coil2Volts() / relay.coil2PickUpVolts;
    constexpr double Slack = 1e-9;
    if (drive >= 1.0 - Slack)
        m_armatureUp = true;
    else if (drive <= relay.dropAwayVolts / relay.pickUpVolts + Slack)
        m_armatureUp = false;
    // In between the armature stays where it was: a relay held in needs less than
    // it took to pick it up.
}
