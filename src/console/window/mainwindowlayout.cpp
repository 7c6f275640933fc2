#include "console/window/mainwindowlayout.h"

#include <array>

using namespace formlayout;

namespace {

constexpr Font Armb12{Face::ArialRounded, 12};
constexpr Font Armb975{Face::ArialRounded, 9.75};
constexpr Font Armb1425{Face::ArialRounded, 14.25};
constexpr Font ArmbLarge{Face::ArialRounded, 26.25};
constexpr Font Sans825{Face::SansSerif, 8.25};
constexpr Font Sans12{Face::SansSerif, 12};
constexpr Font Sans975Bold{Face::SansSerif, 9.75, true};

constexpr unsigned White = 0xFFFFFF;
constexpr unsigned Black = 0x000000;
constexpr unsigned Navy = 0x000080;
constexpr unsigned Red = 0xFF0000;
constexpr unsigned Yellow = 0xFFFF00;
constexpr unsigned Cyan = 0x00FFFF;
constexpr unsigned Green = 0x00FF00;
constexpr unsigned LightGreen = 0x80FF80;
constexpr unsigned LightCyan = 0x80FFFF;
constexpr unsigned Peach = 0xFFE0C0;
constexpr unsigned PaleYellow = 0xFFFF80;
constexpr unsigned LightOrange = 0xFFC080;
constexpr unsigned Brown = 0x804040;

constexpr std::array Controls = std::to_array<Control>({
    // Control panel: the test buttons, their channel selectors and busy marks
    {"FrameCPanel", Kind::Frame, nullptr, "Control Panel", 240, 240, 3375, 6495, Armb12, White},
    {"cmdCoilResistance", Kind::Button, "FrameCPanel", "Coil Resistance", 240, 360, 2055, 615, Armb12},
    {"cmdPickUp", Kind::Button, "FrameCPanel", "Pick-Up Test", 240, 1080, 2055, 615, Armb12},
    {"cmdDropAway", Kind::Button, "FrameCPanel", "Drop-Away Test", 240, 1800, 2055, 615, Armb12},
    {"cmdContactResistance", Kind::Button, "FrameCPanel", "Contact Resistance", 240, 2520, 2055, 855, Armb12},
    {"cmbCRChannel", Kind::Combo, "FrameCPanel", "Combo3", 2400, 2520, 855, 315, Sans825},
    {"cmdContactDelay", Kind::Button, "FrameCPanel", "Contact Delay Test", 240, 3480, 2055, 855, Armb12},
    {"cmbCDChannel", Kind::Combo, "FrameCPanel", "Combo3", 2400, 3480, 855, 315, Sans825},
    {"cmdContactSequence", Kind::Button, "FrameCPanel", "Contact Sequence Test", 240, 4440, 2055, 855, Armb12,
     NoColour, NoColour, Hidden},
    {"cmdAuto", Kind::Button, "FrameCPanel", "Auto Test", 240, 5640, 2055, 615, Armb12, NoColour, 0xFF8080},
    {"lblBusy(0)", Kind::Label, "FrameCPanel", "BUSY", 2400, 480, 855, 300, Armb1425, Red, Yellow, Centred},
    {"lblBusy(1)", Kind::Label, "FrameCPanel", "BUSY", 2400, 1200, 855, 300, Armb1425, Red, Yellow, Centred},
    {"lblBusy(2)", Kind::Label, "FrameCPanel", "BUSY", 2400, 1920, 855, 300, Armb1425, Red, Yellow, Centred},
    {"lblBusy(3)", Kind::Label, "FrameCPanel", "BUSY", 2400, 3000, 855, 300, Armb1425, Red, Yellow, Centred},
    {"lblBusy(4)", Kind::Label, "FrameCPanel", "BUSY", 2400, 3960, 855, 300, Armb1425, Red, Yellow, Centred},
    {"lblBusy(5)", Kind::Label, "FrameCPanel", "BUSY", 2400, 4680, 855, 300, Armb1425, Red, Yellow, Centred},

    // Live readings
    {"Frame3", Kind::Frame, nullptr, "", 3840, 240, 8535, 2415, Sans825, Black},
    {"Frame4", Kind::Frame, "Frame3", "VOLTAGE (V)", 240, 360, 2055, 1095, Armb12, Black},
    {"lblVoltage", Kind::Label, "Frame4", "00.00", 120, 360, 1815, 615, ArmbLarge, LightGreen, Navy, Centred},
    {"Frame5", Kind::Frame, "Frame3", "CURRENT (mA)", 2520, 360, 2175, 1095, Armb12, Black},
    {"lblCurrent", Kind::Label, "Frame5", "000.0", 120, 360, 1935, 615, ArmbLarge, Red, Navy, Centred},
    {"FrameRes", Kind::Frame, "Frame3", "RESISTANCE (Ohms)", 4920, 360, 3375, 1935, Armb12, Black},
    {"lblOhms", Kind::Label, "FrameRes", "000.0", 240, 360, 1935, 615, ArmbLarge, Yellow, Navy, Centred},
    {"Label4(0)", Kind::Label, "FrameRes", "R1 - R2", 2280, 480, 975, 375, Armb12, Yellow, NoColour, Centred},
    {"lblOhms2", Kind::Label, "FrameRes", "-", 240, 1080, 1935, 615, ArmbLarge, LightCyan, Navy, Centred},
    {"Label4(1)", Kind::Label, "FrameRes", "R3 - R4", 2280, 1200, 975, 375, Armb12, Cyan, NoColour, Centred},
    {"shpStatus", Kind::Lamp, "Frame3", "", 360, 1800, 495, 135, Sans825},

    // Results
    {"Frame7", Kind::Frame, nullptr, "Test Results", 3840, 2760, 8535, 2655, Armb975, Green},
    {"Label1(0)", Kind::Label, "Frame7", "Pick-Up Voltage:", 240, 360, 1935, 375, Sans12, LightGreen},
    {"lblPUV", Kind::Label, "Frame7", "18.0", 2040, 360, 1575, 375, Armb12, LightCyan, NoColour, Centred},
    {"Label1(1)", Kind::Label, "Frame7", "Drop-Away Voltage:", 4440, 360, 2295, 375, Sans12, LightGreen},
    {"lblDAV", Kind::Label, "Frame7", "18.0", 6600, 360, 1815, 375, Armb12, LightCyan, NoColour, Centred},
    {"Label1(2)", Kind::Label, "Frame7", "Contact Resistance (mOhms):", 240, 840, 3375, 375, Sans12, LightGreen},
    {"Label1(3)", Kind::Label, "Frame7", "Contact Delay (ms):", 4440, 840, 2415, 375, Sans12, LightGreen},
    {"cmbCR", Kind::Combo, "Frame7", "No Results", 240, 1200, 3375, 315, Sans825},
    {"cmbCD", Kind::Combo, "Frame7", "No Results", 4440, 1200, 3375, 315, Sans825},
    {"lblContactResistance", Kind::Label, "Frame7", "", 240, 1680, 3375, 255, Sans825, Peach},
    {"lblContactDelay", Kind::Label, "Frame7", "", 4440, 1680, 3375, 255, Sans825, Peach},
    {"lblContactSeq", Kind::Label, "Frame7", "", 240, 2160, 7575, 255, Sans825, PaleYellow},

    // Link and relay selection
    {"Frame2", Kind::Frame, nullptr, "Communication Settings", 3840, 5520, 3375, 1215, Armb975, Black},
    {"Label2", Kind::Label, "Frame2", "Port ID:", 240, 360, 1815, 255, Armb12, LightCyan},
    {"cmbPortNo", Kind::Combo, "Frame2", "Combo1", 1800, 360, 1470, 345, Armb975},
    {"lblCommStatus", Kind::Label, "Frame2", "", 240, 840, 3015, 255, Armb12, LightOrange},
    {"Frame6", Kind::Frame, nullptr, "RELAY Selection", 7320, 5520, 5055, 1215, Armb975, Black},
    {"Label5", Kind::Label, "Frame6", "Relay Type:", 240, 360, 1815, 255, Armb12, LightCyan},
    {"cmbType", Kind::Combo, "Frame6", "Combo1", 240, 720, 4575, 345, Armb975},

    // Bottom row
    {"cmdReport", Kind::Button, nullptr, "Generate Report", 480, 6960, 2055, 735, Armb12, NoColour, LightGreen},
    {"cmdSIG", Kind::Button, nullptr, "SIG Endurance", 2880, 6960, 2055, 735, Armb12},
    {"cmdOptions", Kind::Button, nullptr, "Options", 8760, 6960, 1575, 495, Sans825},
    {"lblVer(0)", Kind::Label, nullptr, "Ver.3.11", 10800, 7080, 1455, 255, Sans975Bold, Brown, NoColour, Centred},
    {"lblVer(1)", Kind::Label, nullptr, "16/04/2022", 10800, 7320, 1455, 255, Sans975Bold, Brown, NoColour, Centred},
});

} // namespace

std::span<const Control> mainWindowControls()
{
    return Controls;
}
