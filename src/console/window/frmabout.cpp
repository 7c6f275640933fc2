#include "console/window/frmabout.h"

#include "console/record/benchrecord.h"
#include "platform/formlayout.h"

#include <QLabel>
#include <QPainter>
#include <QTimer>

#include <array>

using namespace formlayout;

namespace {

constexpr Font Title{Face::ArialRounded, 27.75};
constexpr Font Small{Face::SansSerif, 8.25};

constexpr std::array AboutControls = std::to_array<Control>({
    {"Label3", Kind::Label, nullptr, "Quillmark", 120, 120, 6855, 735, Title, 0x00C0C0, NoColour, Centred},
    {"lblCredits(0)", Kind::Label, nullptr, "Relay routine-test bench software", 840, 1320, 5415, 255, Small,
     0x000000, NoColour, Centred},
    {"lblCredits(1)", Kind::Label, nullptr, "Developed by the Quillmark bench team", 840, 1560, 5415, 255, Small,
     0x000000, NoColour, Centred},
    {"Image1", Kind::Label, nullptr, "", 0, 2040, 4785, 1770, Small},
    {"lblContact", Kind::Label, nullptr, "Support: bench engineering desk", 240, 3840, 4095, 255, Small, 0x000000,
     NoColour, Centred},
    {"lblVer", Kind::Label, nullptr, "", 240, 1780, 6675, 255, Small, 0x000000, NoColour, Centred},
    {"lblVerDate", Kind::Label, nullptr, "update: 16/04/2022", 5520, 3840, 1695, 255, Small, 0x000000, NoColour,
     Centred},
});

// A relay on its base: coil, armature and a row of contacts, drawn at the picture's
// own 583 x 238 and scaled into its box.
QPixmap relayPicture()
{
    QPixmap pixmap(583, 238);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 3));
    p.setBrush(QColor(0xC0, 0x70, 0x30));
    p.drawRoundedRect(40, 60, 150, 120, 12, 12);  // coil
    p.setBrush(QColor(0x90, 0x90, 0x90));
    p.drawRect(200, 100, 300, 20);                // armature
    for (int i = 0; i < 8; ++i) {
        p.setBrush(QColor(0xD0, 0xA0, 0x20));
        p.drawEllipse(QPointF(220 + i * 38, 160), 10, 10);  // contacts
    }
    p.setBrush(QColor(0x20, 0x30, 0x70));
    p.drawRect(20, 200, 540, 24);                 // base
    return pixmap;
}

} // namespace

FrmAbout::FrmAbout(const BenchRecord &record, std::chrono::milliseconds shownFor, QWidget *parent)
    : QDialog(parent, Qt::SplashScreen)
{
    setObjectName(QStringLiteral("frmAbout"));
    setFixedSize(px(7155), px(4110));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    build(this, AboutControls);

    auto *image = findChild<QLabel *>(QStringLiteral("Image1"));
    image->setPixmap(relayPicture());
    image->setScaledContents(true);

    findChild<QLabel *>(QStringLiteral("lblVer"))
        ->setText(QStringLiteral("Ver.") + record.AppVersion
                  + QStringLiteral("       Morvayne Tellicor Technologies Pvt. Ltd."));
    findChild<QLabel *>(QStringLiteral("lblVerDate"))->setText(QStringLiteral("update: ") + record.AppUpdateDate);

    auto *timer1 = new QTimer(this);
    timer1->setObjectName(QStringLiteral("Timer1"));
    timer1->setSingleShot(true);
    timer1->setInterval(shownFor);
    connect(timer1, &QTimer::timeout, this, &QDialog::accept);
    timer1->start();
}
