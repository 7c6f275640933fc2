#include "tests/frmdropaway.h"

#include "console/record/benchrecord.h"
#include "platform/formlayout.h"
#include "kitlink/kitcommands.h"
#include "kitlink/wireformat.h"
#include "platform/numbertext.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <array>

using namespace formlayout;

namespace {

constexpr Font Armb12{Face::ArialRounded, 12};
constexpr Font ArmbLarge{Face::ArialRounded, 20.25};

constexpr std::array DropAwayControls = std::to_array<Control>({
    {"Frame1", Kind::Frame, nullptr, "VOLTAGE", 240, 120, 3255, 1215, Armb12, 0x000000},
    {"lblVoltage", Kind::Label, "Frame1", "0.00", 240, 360, 2775, 615, ArmbLarge, 0x80FF80, 0x000080, Centred},
    {"cmdDecrease", Kind::Button, nullptr, "Decrease", 240, 1500, 3255, 495, Armb12},
    {"cmdComplete", Kind::Button, nullptr, "Complete", 240, 2160, 1560, 495, Armb12},
    {"cmdCancel", Kind::Button, nullptr, "Cancel", 1935, 2160, 1560, 495, Armb12},
});

// One press of "Decrease" lowers the coil by a tenth of a volt.
constexpr double Step = 0.1;

} // namespace

FrmDropAway::FrmDropAway(KitCommands &kit, BenchRecord &record, QWidget *parent)
    : QDialog(parent)
    , m_kit(kit)
    , m_record(record)
{
    setObjectName(QStringLiteral("frmDropAway"));
    setWindowTitle(QStringLiteral("Drop Away Test"));
    setFixedSize(px(3735), px(2955));
    build(this, DropAwayControls);

    lblVoltage = findChild<QLabel *>(QStringLiteral("lblVoltage"));
    cmdDecrease = findChild<QPushButton *>(QStringLiteral("cmdDecrease"));
    cmdComplete = findChild<QPushButton *>(QStringLiteral("cmdComplete"));
    cmdCancel = findChild<QPushButton *>(QStringLiteral("cmdCancel"));

    m_setpoint = m_record.LiveVoltage;

    // The live readings keep coming while this dialog is open; show them as the
    // operator lowers the coil.
    tmrScan = new QTimer(this);
    tmrScan->setObjectName(QStringLiteral("tmrScan"));
    tmrScan->setInterval(100);
    connect(tmrScan, &QTimer::timeout, this,
            [this] { lblVoltage->setText(platform::fixedDecimals(double(m_record.LiveVoltage), 2)); });
    tmrScan->start();

    connect(cmdDecrease, &QPushButton::clicked, this, &FrmDropAway::cmdDecrease_Click);
    connect(cmdComplete, &QPushButton::clicked, this, &FrmDropAway::cmdComplete_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FrmDropAway::cmdDecrease_Click()
{
    // The set-point is kept at the bench's single precision, as the recorded drop-away
    // voltage is. The coil supply has no negative range, so the set-point stops at
    // 0 V; a press there asks the kit for 0 V again.
    m_setpoint = std::max(0.0f, static_cast<float>(double(m_setpoint) - Step));
    m_kit.send(wire::setVoltage(double(m_setpoint)));
}

void FrmDropAway::cmdComplete_Click()
{
    m_record.ManualDropAwayVoltage = m_setpoint;
    accept();
}
