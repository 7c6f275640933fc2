#pragma once

#include <QDialog>

struct BenchRecord;
class KitCommands;
class QLabel;
class QPushButton;
class QTimer;

// The manual drop-away check: the kit has left the coil at the voltage where the
// relay let go; the operator lowers it step by step while watching the relay, and
// confirms the voltage at which it really dropped away.
class FrmDropAway : public QDialog
{
    Q_OBJECT
public:
    FrmDropAway(KitCommands &kit, BenchRecord &record, QWidget *parent = nullptr);

    // The coil voltage last asked of the kit, in volts.
    float setpoint() const { return m_setpoint; }

private:
    void cmdDecrease_Click();
    void cmdComplete_Click();

    KitCommands &m_kit;
    BenchRecord &m_record;
    QLabel *lblVoltage = nullptr;
    QPushButton *cmdDecrease = nullptr;
    QPushButton *cmdComplete = nullptr;
    QPushButton *cmdCancel = nullptr;
    QTimer *tmrScan = nullptr;
    float m_setpoint = 0;
};
