#pragma once

#include "reports/history/location.h"

#include <QObject>

#include <chrono>
#include <memory>

class FrmMain;
namespace platform {
class ShutdownSignals;
}

// The bench as the program runs it: once the main window has started up, every relay
// recorded goes to the results history too, stop signals close the window in order,
// and the window is shown (with the Bench Monitor, when the operator left it open).
// When the main window has closed, the program ends, whatever else is still open,
// and within exitBound, whatever a thread of its own is still stuck in.
class BenchSession : public QObject
{
    Q_OBJECT
public:
    // Long enough for the results history's last write (its grace, then the cut).
    static constexpr std::chrono::milliseconds ExitBound{5000};

    BenchSession(FrmMain &window, const history::Location &history, QObject *parent = nullptr,
                 std::chrono::milliseconds exitBound = ExitBound);
    ~BenchSession() override;

    // Starts the window's start-up; the rest follows on its own.
    void start();

private:
    void onLoaded();

    FrmMain &m_window;
    history::Location m_history;
    std::unique_ptr<platform::ShutdownSignals> m_stopSignals;
};
