#include "console/window/benchsession.h"

#include "console/monitor/benchmonitor.h"
#include "console/window/frmmain.h"
#include "platform/exitdeadline.h"
#include "platform/shutdownsignals.h"
#include "reports/history/journal.h"

#include <QCoreApplication>

BenchSession::BenchSession(FrmMain &window, const history::Location &history, QObject *parent,
                           std::chrono::milliseconds exitBound)
    : QObject(parent)
    , m_window(window)
    , m_history(history)
{
    connect(&m_window, &FrmMain::loaded, this, &BenchSession::onLoaded);
    // A window of the bench left open (the Bench Monitor, the history, a message box)
    // must not keep a program alive whose main window has gone: it would hold the
    // serial port and answer no stop signal. Nor may a thread stuck in a file or a
    // history that stopped answering: what it had not finished stays unfinished, as
    // the history window and the journal's notice told while it ran.
    connect(&m_window, &FrmMain::closed, this, [exitBound] {
        platform::endProcessWithin(
            exitBound, 0,
            QByteArrayLiteral("quillmark: ended without waiting any longer for work on a file or the results "
                              "history that did not answer; what it had not finished is not saved\n"));
    });
    connect(&m_window, &FrmMain::closed, QCoreApplication::instance(), &QCoreApplication::quit,
            Qt::QueuedConnection);
}

BenchSession::~BenchSession() = default;

void BenchSession::start()
{
    m_window.formLoad();
}

void BenchSession::onLoaded()
{
    // Every relay recorded from now on goes to the results history too; what an
    // earlier run left waiting goes first.
    auto *journal = new history::Journal(
        m_history, m_window.startupFolder().file(QStringLiteral("history.pending")), &m_window);
    journal->catchUp();
    m_window.setJournal(*journal);
    // Stop signals are taken over only once start-up is over: until the settings are
    // read there is nothing in memory to save, and closing would write half-loaded
    // values over the files.
    m_stopSignals = std::make_unique<platform::ShutdownSignals>();
    connect(m_stopSignals.get(), &platform::ShutdownSignals::stopRequested, &m_window, &FrmMain::closeOnSignal);
    m_window.show();
    if (BenchMonitor::wasOpen())  // as the operator left it
        m_window.showBenchMonitor();
}
