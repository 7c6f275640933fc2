#pragma once

#include "reports/history/location.h"

#include <QObject>

#include <memory>

class FrmMain;
namespace platform {
class ShutdownSignals;
}

// The bench as the program runs it: once the main window has started up, every relay
// recorded goes to the results history too, stop signals close the window in order,
// and the window is shown (with the Bench Monitor, when the operator left it open).
// When the main window has closed, the program ends, whatever else is still open.
class BenchSession : public QObject
{
    Q_OBJECT
public:
    BenchSession(FrmMain &window, const history::Location &history, QObject *parent = nullptr);
    ~BenchSession() override;

    // Starts the window's start-up; the rest follows on its own.
    void start();

private:
    void onLoaded();

    FrmMain &m_window;
    history::Location m_history;
    std::unique_ptr<platform::ShutdownSignals> m_stopSignals;
};
