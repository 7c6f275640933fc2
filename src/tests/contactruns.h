#pragma once

#include "platform/waitstack.h"
#include "tests/benchview.h"
#include "tests/testrun.h"

#include <QStringList>
#include <QtGlobal>

#include <optional>

struct Bench;

// A results list as data: the lines of the latest all-channel run (crval.csv is
// written from them), shown in the view's list as they come.
class ResultLines
{
public:
    ResultLines(BenchView &view, BenchView::List list) : m_view(view), m_list(list) {}

    void clear(const QString &text)
    {
        m_lines.clear();
        m_view.clearList(m_list, text);
    }
    void add(const QString &line)
    {
        m_lines.append(line);
        m_view.addToList(m_list, line);
    }
    void setText(const QString &text) { m_view.setListText(m_list, text); }
    const QStringList &lines() const { return m_lines; }

private:
    BenchView &m_view;
    const BenchView::List m_list;
    QStringList m_lines;
};

// What the contact procedures share: which run is in progress, whether it covers all
// sixteen channels, and the channel it measures now; a reading is filed under the
// channel named here when it arrives. The runs end with a reading, not with their
// last command, so each run's begun test is kept here for the reading that ends it.
struct ContactRuns {
    bool ContactResTest = false;   // contact resistance, or the SIG endurance sweep
    bool ContactDelayTest = false;
    bool ContactSeqTest = false;
    bool AllChannels = false;
    qint16 ChannelNo = 0;          // 1..16; 17 once an all-channel loop has run to its end

    std::optional<TestRun> resistanceRun;
    std::optional<TestRun> delayRun;
    std::optional<TestRun> sequenceRun;

    // A Stop: no run is in progress any more.
    void stopped()
    {
        ContactResTest = ContactDelayTest = ContactSeqTest = false;
        resistanceRun.reset();
        delayRun.reset();
        sequenceRun.reset();
    }
};

// The bench's end of a contact run, by a reading: its test ends (busy label hidden,
// polling free, panel unlocked), whether the run is still on or the reading came
// after it ended, when it ends as the run would have.
void endContactRun(const Bench &bench, bool &flag, std::optional<TestRun> &run, BenchView::Busy busy);

// A contact run asked for with no channel selected: "@G00" and "@H00" name no
// channel, the kit would never answer and the panel would stay locked. The operator
// is told (title: the test's caption; test: its name in a sentence) and nothing starts.
platform::Task refuseWithoutChannel(const Bench &bench, QString title, QString test);
