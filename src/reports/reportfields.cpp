#include "reports/reportfields.h"

#include <array>
#include <string_view>
#include <vector>

using namespace formlayout;

namespace reports {

namespace {

constexpr Font Sans{Face::SansSerif, 8.25};
constexpr Font Large{Face::ArialRounded, 12};

constexpr unsigned LightYellow = 0xFFFFC0;  // a result the kit measured
constexpr unsigned Lavender = 0x8080FF;
constexpr unsigned White = 0xFFFFFF;
constexpr unsigned Black = 0x000000;

constexpr const char *F1 = "Frame1";

// Geometry in twips. Frame1 holds two columns of group frames; a row outside a
// group frame has its caption on the left and its input at the column's right.
constexpr int RowHeight = 315;
constexpr int FieldWidth = 1095;
constexpr int ListWidth = 1215;
constexpr int LeftColumn = 240;
constexpr int RightColumn = 5760;
constexpr int ColumnWidth = 5160;
constexpr int WideWidth = 10680;     // a group frame across both columns
constexpr int LeftInput = 4080;
constexpr int RightInput = 9600;     // also the input of a row across the frame
constexpr int CaptionWidth = 3720;
constexpr int WideCaptionWidth = 9240;
constexpr int TallCaption = 600;     // a caption that wraps onto two lines
// Inside a group frame.
constexpr int InCaption = 120;
constexpr int InCaptionWidth = 3600;
constexpr int InInput = 3840;
constexpr int InRightCaption = 5640; // second column of a frame across both columns
constexpr int InRightInput = 9360;

constexpr int row(int k) { return 300 + 390 * k; }
constexpr int rows(int n) { return 300 + 390 * n + 60; }

constexpr Control frame(const char *name, const char *caption, int left, int top, int width, int height,
                        unsigned flags = None)
{
    return {name, Kind::Frame, F1, caption, left, top, width, height, Sans, NoColour, NoColour, flags};
}

constexpr Control label(const char *name, const char *parent, const char *caption, int left, int top, int width,
                        int height = RowHeight, unsigned flags = None)
{
    return {name, Kind::Label, parent, caption, left, top + 45, width, height, Sans, NoColour, NoColour, flags};
}

// txtAutoPara: filled from the bench record, still editable.
constexpr Control result(const char *name, const char *parent, int left, int top, const char *design = "300",
                         unsigned flags = None)
{
    return {name, Kind::TextBox, parent, design, left, top, FieldWidth, RowHeight, Sans, Lavender, LightYellow,
            RightAligned | flags};
}

// The timing results of QNA1K stand out from the others in black on white.
constexpr Control timing(const char *name, const char *parent, int left, int top)
{
    return {name, Kind::TextBox, parent, "300", left, top, FieldWidth, RowHeight, Sans, Black, White, RightAligned};
}

// txtManualPara: typed by the operator over its design default.
constexpr Control typed(const char *name, const char *parent, int left, int top, const char *design = "50")
{
    return {name, Kind::TextBox, parent, design, left, top, FieldWidth, RowHeight, Sans, NoColour, NoColour,
            RightAligned};
}

// cmbOK and cmbPUDA: the entries are added when the form opens.
constexpr Control verdict(const char *name, const char *parent, int left, int top)
{
    return {name, Kind::List, parent, "", left, top, ListWidth, RowHeight, Sans};
}

// So narrow that only the button shows, not its caption.
constexpr Control option(const char *name, const char *parent, const char *caption, int left, int top,
                         unsigned flags = None)
{
    return {name, Kind::Option, parent, caption, left, top, 255, RowHeight, Sans, NoColour, NoColour, flags};
}

// ---------------------------------------------------------------- QNA1 and QN1

constexpr auto QNA1Fields = std::to_array<Control>({
    label("lblOK(0)", F1, "HV Test at 1 KV, AC, 50Hz for 1 minuteCl. 21.a(ii) of BRS-931", LeftColumn, 840,
          WideCaptionWidth),
    verdict("cmbOK(0)", F1, RightInput, 840),
    label("lblManualPara(0)", F1, "Insulation Resistance Cl. 4.2 of IRS-S34 (MOhms)", LeftColumn, 1230,
          WideCaptionWidth),
    typed("txtManualPara(0)", F1, RightInput, 1230),
    label("lblAutoPara(0)", F1, "Coil Resistance Cl. 11.4 of BRS-931 at 20°C (Ohms)", LeftColumn, 1620,
          WideCaptionWidth),
    result("txtAutoPara(0)", F1, RightInput, 1620),

    frame("Frame2", "Operating Characteristic (Cl. 18.2 of BRS 931)", LeftColumn, 2100, ColumnWidth, rows(3)),
    label("lblAutoPara(1)", "Frame2", "Full Operate Voltage (V)", InCaption, row(0), InCaptionWidth),
    result("txtAutoPara(1)", "Frame2", InInput, row(0)),
    label("lblAutoPara(2)", "Frame2", "Release Voltage (V)", InCaption, row(1), InCaptionWidth),
    result("txtAutoPara(2)", "Frame2", InInput, row(1)),
    label("lblAutoPara(3)", "Frame2", "Full Reverse Voltage (V)", InCaption, row(2), InCaptionWidth),
    result("txtAutoPara(3)", "Frame2", InInput, row(2)),

    frame("Frame3", "Contact Resistance (Cl. 16.1 of BRS 931A)", LeftColumn, 3750, ColumnWidth, rows(2)),
    label("lblAutoPara(4)", "Frame3", "Front (Ohms)", InCaption, row(0), InCaptionWidth),
    result("txtAutoPara(4)", "Frame3", InInput, row(0)),
    label("lblAutoPara(5)", "Frame3", "Back (Ohms)", InCaption, row(1), InCaptionWidth),
    result("txtAutoPara(5)", "Frame3", InInput, row(1)),

    frame("Frame4", "Contact Pressure (Cl. 15.1 of BRS 931A)", LeftColumn, 5010, ColumnWidth, rows(2)),
    label("lblManualPara(1)", "Frame4", "Front (gm)", InCaption, row(0), InCaptionWidth),
    typed("txtManualPara(1)", "Frame4", InInput, row(0)),
    label("lblManualPara(2)", "Frame4", "Back (gm)", InCaption, row(1), InCaptionWidth),
    typed("txtManualPara(2)", "Frame4", InInput, row(1)),

    // The operator sees which code the relay's contact variant chose but cannot change it.
    frame("Frame5", "Interlocking Code", RightColumn, 2100, ColumnWidth, rows(2), Disabled),
    label("lblCode(0)", "Frame5", "021 - 12F - 4B", InCaption, row(0), 2400),
    result("txtAutoPara(6)", "Frame5", 2640, row(0), "ABDFH"),
    option("opt(0)", "Frame5", "Option1", 3960, row(0), Checked),
    label("lblCode(1)", "Frame5", "022 - 8F - 8B", InCaption, row(1), 2400),
    result("txtAutoPara(7)", "Frame5", 2640, row(1), "ABDGH"),
    option("opt(1)", "Frame5", "Option1", 3960, row(1)),

    label("lblOK(4)", F1, "Ac Immunity Test 300 AC (when applied gradually && abruptly) Cl. 2.3 IRS S60",
          RightColumn, 3360, CaptionWidth, TallCaption),
    verdict("cmbOK(4)", F1, RightInput, 3360),

    frame("Frame6", "Plating thickness on magnetic components Cl. 4.4", RightColumn, 4080, ColumnWidth, rows(3)),
    label("lblManualPara(6)", "Frame6", "Armature (mm)", InCaption, row(0), InCaptionWidth),
    typed("txtManualPara(6)", "Frame6", InInput, row(0)),
    label("lblManualPara(7)", "Frame6", "Core (mm)", InCaption, row(1), InCaptionWidth),
    typed("txtManualPara(7)", "Frame6", InInput, row(1)),
    label("lblManualPara(8)", "Frame6", "Heel Piece (mm)", InCaption, row(2), InCaptionWidth),
    typed("txtManualPara(8)", "Frame6", InInput, row(2)),

    label("lblManualPara(3)", F1, "Cont. Clearance (Cl. 14.4) (inch)", LeftColumn, 6300, CaptionWidth),
    typed("txtManualPara(3)", F1, LeftInput, 6300),
    label("lblOK(1)", F1, "Annealing Test on cover (Cl. 4.3)", RightColumn, 6300, CaptionWidth),
    verdict("cmbOK(1)", F1, RightInput, 6300),
    label("lblOK(3)", F1, "Non-Bridging Test Cl. 21.1(iii)", LeftColumn, 6690, CaptionWidth),
    verdict("cmbOK(3)", F1, LeftInput, 6690),
    label("lblOK(2)", F1, "Visual Inspection Cl. 14.2.1 of IRS-S23", RightColumn, 6690, CaptionWidth),
    verdict("cmbOK(2)", F1, RightInput, 6690),
});

constexpr auto QN1Fields = std::to_array<Control>({
    label("lblOK(0)", F1, "HV Test at 1 KV, AC, 50Hz for 1 minuteCl. 21.a(ii) of BRS-930", LeftColumn, 840,
          WideCaptionWidth),
    verdict("cmbOK(0)", F1, RightInput, 840),
    label("lblManualPara(0)", F1, "Insulation Resistance Cl. 4.2 of IRS-S34 (MOhms)", LeftColumn, 1230,
          WideCaptionWidth),
    typed("txtManualPara(0)", F1, RightInput, 1230),
    label("lblAutoPara(0)", F1, "Coil Resistance Cl. 11.4 of BRS-930 at 20°C (Ohms)", LeftColumn, 1620,
          WideCaptionWidth),
    result("txtAutoPara(0)", F1, RightInput, 1620),

    frame("Frame2", "Operating Characteristic (Cl. 18.2 of BRS 930A)", LeftColumn, 2100, ColumnWidth, rows(3)),
    label("lblAutoPara(1)", "Frame2", "Full Operate Voltage (V)", InCaption, row(0), InCaptionWidth),
    result("txtAutoPara(1)", "Frame2", InInput, row(0)),
    label("lblAutoPara(2)", "Frame2", "Release Voltage (V)", InCaption, row(1), InCaptionWidth),
    result("txtAutoPara(2)", "Frame2", InInput, row(1)),
    label("lblAutoPara(3)", "Frame2", "Full Reverse Voltage (V)", InCaption, row(2), InCaptionWidth),
    result("txtAutoPara(3)", "Frame2", InInput, row(2)),

    frame("Frame3", "Contact Resistance (Cl. 16.1 of BRS 930A)", LeftColumn, 3750, ColumnWidth, rows(2)),
    label("lblAutoPara(4)", "Frame3", "Front (Ohms)", InCaption, row(0), InCaptionWidth),
    result("txtAutoPara(4)", "Frame3", InInput, row(0)),
    label("lblAutoPara(5)", "Frame3", "Back (Ohms)", InCaption, row(1), InCaptionWidth),
    result("txtAutoPara(5)", "Frame3", InInput, row(1)),

    frame("Frame4", "Contact Pressure (Cl. 15.1 of BRS 930)", LeftColumn, 5010, ColumnWidth, rows(2)),
    label("lblManualPara(1)", "Frame4", "Front (gm)", InCaption, row(0), InCaptionWidth),
    typed("txtManualPara(1)", "Frame4", InInput, row(0)),
    label("lblManualPara(2)", "Frame4", "Back (gm)", InCaption, row(1), InCaptionWidth),
    typed("txtManualPara(2)", "Frame4", InInput, row(1)),

    // Only the option button shows which code the relay's contact variant chose.
    frame("Frame5", "Interlocking Code", RightColumn, 2100, ColumnWidth, rows(2), Disabled),
    label("lblCode(0)", "Frame5", "021 - 12F - 4B", InCaption, row(0), 2400),
    result("txtAutoPara(6)", "Frame5", 2640, row(0), "ABCDE", Hidden),
    option("opt(0)", "Frame5", "Option1", 3960, row(0), Checked),
    label("lblCode(1)", "Frame5", "022 - 8F - 8B", InCaption, row(1), 2400),
    result("txtAutoPara(7)", "Frame5", 2640, row(1), "ABCDF", Hidden),
    option("opt(1)", "Frame5", "Option2", 3960, row(1)),

    frame("Frame6", "Plating thickness on magnetic components Cl. 4.4", RightColumn, 3360, ColumnWidth, rows(3)),
    label("lblManualPara(6)", "Frame6", "Armature (mm)", InCaption, row(0), InCaptionWidth),
    typed("txtManualPara(6)", "Frame6", InInput, row(0)),
    label("lblManualPara(7)", "Frame6", "Core (mm)", InCaption, row(1), InCaptionWidth),
    typed("txtManualPara(7)", "Frame6", InInput, row(1)),
    label("lblManualPara(8)", "Frame6", "Heel Piece (mm)", InCaption, row(2), InCaptionWidth),
    typed("txtManualPara(8)", "Frame6", InInput, row(2)),

    label("lblManualPara(3)", F1, "Cont. Clearance (Cl. 14.4) (inch)", LeftColumn, 6300, CaptionWidth),
    typed("txtManualPara(3)", F1, LeftInput, 6300),
    label("lblOK(1)", F1, "Annealing Test on cover (Cl. 4.3)", RightColumn, 6300, CaptionWidth),
    verdict("cmbOK(1)", F1, RightInput, 6300),
    label("lblOK(3)", F1, "Non-Bridging Test Cl. 21.1(iii)", LeftColumn, 6690, CaptionWidth),
    verdict("cmbOK(3)", F1, LeftInput, 6690),
    label("lblOK(2)", F1, "Visual Inspection Cl. 14.2.1 of IRS-S23", RightColumn, 6690, CaptionWidth),
    verdict("cmbOK(2)", F1, RightInput, 6690),
});

// On both the record carries the raw coil and voltage readings, not these fields.
constexpr auto QN1Fills = std::to_array<Fill>({
    {0, Source::CoilResistance1, Format::OneDecimal},
    {1, Source::PickUpVoltage, Format::TwoDecimals},
    {2, Source::DropAwayVoltage, Format::TwoDecimals},
    {3, Source::ManualDropAwayVoltage, Format::TwoDecimals},
    {4, Source::LargestFrontResistance, Format::OneDecimal},
    {5, Source::LargestBackResistance, Format::OneDecimal},
});

constexpr auto QNA1Items = std::to_array<const char *>({
    "cmbOK(0)", "txtManualPara(0)", "txtManualPara(1)", "txtManualPara(2)", "txtManualPara(3)", "cmbOK(3)",
    "cmbOK(4)", "txtManualPara(6)", "txtManualPara(7)", "txtManualPara(8)", "cmbOK(1)", "cmbOK(2)",
    "txtAutoPara(4)", "txtAutoPara(5)",
});

// QN1 has no AC immunity test: its item 8 stays empty.
constexpr auto QN1Items = std::to_array<const char *>({
    "cmbOK(0)", "txtManualPara(0)", "txtManualPara(1)", "txtManualPara(2)", "txtManualPara(3)", "cmbOK(3)",
    nullptr, "txtManualPara(6)", "txtManualPara(7)", "txtManualPara(8)", "cmbOK(1)", "cmbOK(2)",
    "txtAutoPara(4)", "txtAutoPara(5)",
});

// ---------------------------------------------------------------- QNA1K

constexpr auto QNA1KFields = std::to_array<Control>({
    label("lblOK(0)", F1, "HV Test at 1 KV, AC, 50Hz for 1 minuteCl. 21.a(ii) of BRS-931", LeftColumn, 840,
          WideCaptionWidth),
    verdict("cmbOK(0)", F1, RightInput, 840),
    label("lblManualPara(0)", F1, "Insulation Resistance Cl. 4.2 of IRS-S34 at 500V DC(MOhms)", LeftColumn, 1230,
          WideCaptionWidth),
    typed("txtManualPara(0)", F1, RightInput, 1230),
    label("lblAutoPara(0)", F1, "Coil Resistance Cl. 11.3 of BRS-931A at 20°C (Ohms)", LeftColumn, 1620,
          WideCaptionWidth),
    result("txtAutoPara(0)", F1, RightInput, 1620),

    frame("Frame2", "Operating Characteristic (Cl. 18.2 of BRS 931A)", LeftColumn, 2100, WideWidth, rows(3)),
    label("lblAutoPara(1)", "Frame2", "Full Operate Voltage (V)", InCaption, row(0), InCaptionWidth),
    result("txtAutoPara(1)", "Frame2", InInput, row(0)),
    label("lblAutoPara(2)", "Frame2", "Pickup Current (mA)", InCaption, row(1), InCaptionWidth),
    result("txtAutoPara(2)", "Frame2", InInput, row(1)),
    label("lblAutoPara(7)", "Frame2", "Contact Bounce Time Front (ms)", InCaption, row(2), InCaptionWidth),
    timing("txtAutoPara(7)", "Frame2", InInput, row(2)),
    label("lblAutoPara(3)", "Frame2", "Pickup Transfer Time (ms)", InRightCaption, row(0), InCaptionWidth),
    timing("txtAutoPara(3)", "Frame2", InRightInput, row(0)),
    label("lblAutoPara(6)", "Frame2", "Release Transfer Time (ms)", InRightCaption, row(1), InCaptionWidth),
    timing("txtAutoPara(6)", "Frame2", InRightInput, row(1)),
    label("lblAutoPara(8)", "Frame2", "Contact Bounce Time Back (ms)", InRightCaption, row(2), InCaptionWidth),
    timing("txtAutoPara(8)", "Frame2", InRightInput, row(2)),

    frame("Frame3", "Contact Resistance (Cl. 16.1 of BRS 931A)", LeftColumn, 3750, ColumnWidth, rows(2)),
    label("lblAutoPara(4)", "Frame3", "Front (Ohms)", InCaption, row(0), InCaptionWidth),
    result("txtAutoPara(4)", "Frame3", InInput, row(0)),
    label("lblAutoPara(5)", "Frame3", "Back (Ohms)", InCaption, row(1), InCaptionWidth),
    result("txtAutoPara(5)", "Frame3", InInput, row(1)),

    frame("Frame4", "Contact Pressure (Cl. 15.1 of BRS 931A)", LeftColumn, 5010, ColumnWidth, rows(2)),
    label("lblManualPara(1)", "Frame4", "Front (gm)", InCaption, row(0), InCaptionWidth),
    typed("txtManualPara(1)", "Frame4", InInput, row(0)),
    label("lblManualPara(2)", "Frame4", "Back (gm)", InCaption, row(1), InCaptionWidth),
    typed("txtManualPara(2)", "Frame4", InInput, row(1)),

    label("lblManualPara(5)", F1, "Ac Immunity Test 300 AC (when applied gradually) Cl. 2.3 IRS S60", RightColumn,
          3750, CaptionWidth, TallCaption),
    typed("txtManualPara(5)", F1, RightInput, 3750),
    label("lblManualPara(9)", F1, "Ac Immunity Test 300 AC (when applied abruptly) Cl. 2.3 IRS S60", RightColumn,
          4440, CaptionWidth, TallCaption),
    typed("txtManualPara(9)", F1, RightInput, 4440),

    // Not shown: the code of this style never changes, the record still carries it.
    frame("Frame5", "Interlocking Code", RightColumn, 5130, ColumnWidth, rows(1), Hidden),
    result("txtAutoPara(9)", "Frame5", InInput, row(0), "CDEKY"),

    label("lblManualPara(3)", F1, "Cont. Clearance (Cl. 14.4) (inch)", LeftColumn, 6300, CaptionWidth),
    typed("txtManualPara(3)", F1, LeftInput, 6300),
    label("lblOK(1)", F1, "Annealing Test on cover (Cl. 4.3)", RightColumn, 6300, CaptionWidth),
    verdict("cmbOK(1)", F1, RightInput, 6300),
    label("lblManualPara(4)", F1, "Non-Bridging Test Cl. 21.1(iii)", LeftColumn, 6690, CaptionWidth),
    typed("txtManualPara(4)", F1, LeftInput, 6690),
    label("lblOK(2)", F1, "Visual Inspection Cl. 14.2.1 of IRS-S23", RightColumn, 6690, CaptionWidth),
    verdict("cmbOK(2)", F1, RightInput, 6690),

    frame("Frame6", "Plating thickness on magnetic components Cl. 4.4", LeftColumn, 7140, WideWidth, rows(1)),
    label("lblManualPara(6)", "Frame6", "Armature (mm)", InCaption, row(0), 1800, RowHeight, Hidden),
    typed("txtManualPara(6)", "Frame6", 1920, row(0)),
    label("lblManualPara(7)", "Frame6", "Core (mm)", 3480, row(0), 1200),
    typed("txtManualPara(7)", "Frame6", 4680, row(0)),
    label("lblManualPara(8)", "Frame6", "Heel Piece (mm)", 6240, row(0), 1560),
    typed("txtManualPara(8)", "Frame6", 7800, row(0)),
});

constexpr auto QNA1KFills = std::to_array<Fill>({
    {0, Source::CoilResistance1, Format::OneDecimal},
    {1, Source::PickUpVoltage, Format::TwoDecimals},
    {2, Source::PickUpCurrent, Format::OneDecimal},
    {3, Source::LatestDelay, Format::Whole},
    {4, Source::LargestFrontResistance, Format::OneDecimal},
    {5, Source::LargestBackResistance, Format::OneDecimal},
    {6, Source::ReleaseTransferDelay, Format::OneDecimal},
    {7, Source::FrontBounce, Format::OneDecimal},
    {8, Source::BackBounce, Format::OneDecimal},
});

constexpr auto QNA1KItems = std::to_array<const char *>({
    "txtAutoPara(0)", "txtManualPara(0)", "cmbOK(0)", "txtAutoPara(1)", "txtAutoPara(2)", "txtAutoPara(3)",
    "txtAutoPara(6)", "txtAutoPara(7)", "txtAutoPara(8)", "txtAutoPara(4)", "txtAutoPara(5)", "txtManualPara(1)",
    "txtManualPara(2)", "txtManualPara(3)", "txtManualPara(4)", "txtManualPara(5)", "txtManualPara(9)",
    "txtManualPara(6)", "txtManualPara(7)", "txtManualPara(8)", "cmbOK(1)", "txtAutoPara(9)", "cmbOK(2)",
});

// ---------------------------------------------------------------- QL1

constexpr auto QL1Fields = std::to_array<Control>({
    label("lblOK(0)", F1, "HV Test at 1 KV, AC, 50Hz for 1 minuteCl. 21.a(iii) of BRS-935A", LeftColumn, 840,
          WideCaptionWidth),
    verdict("cmbOK(0)", F1, RightInput, 840),
    label("lblManualPara(0)", F1, "Insulation Resistance Cl. 4.2 of IRS-S34 (MOhms)", LeftColumn, 1230,
          WideCaptionWidth),
    typed("txtManualPara(0)", F1, RightInput, 1230),
    // Both coils in one row: operate coil R1-R2, release coil R3-R4.
    label("lblAutoPara(0)", F1, "Coil Resistance Cl. 11.4 of BRS-935A at 20°C Operate (Ohms) ", LeftColumn, 1620,
          5880),
    result("txtAutoPara(0)", F1, 6240, 1620),
    label("lblAutoPara(7)", F1, "Release (Ohms)", 7560, 1620, 1920),
    result("txtAutoPara(7)", F1, RightInput, 1620),

    frame("Frame2", "Operating Characteristic (Cl. 18.2 of BRS 931)", LeftColumn, 2100, ColumnWidth, rows(2)),
    label("lblAutoPara(1)", "Frame2", "Full Operate Voltage (V)", InCaption, row(0), InCaptionWidth),
    result("txtAutoPara(1)", "Frame2", InInput, row(0)),
    label("lblAutoPara(3)", "Frame2", "Full Release Voltage (V)", InCaption, row(1), InCaptionWidth),
    result("txtAutoPara(3)", "Frame2", InInput, row(1)),

    frame("Frame3", "Contact Resistance (Cl. 16.1 of BRS 935A)", LeftColumn, 3360, ColumnWidth, rows(2)),
    label("lblAutoPara(4)", "Frame3", "Front (Ohms)", InCaption, row(0), InCaptionWidth),
    result("txtAutoPara(4)", "Frame3", InInput, row(0)),
    label("lblAutoPara(5)", "Frame3", "Back (Ohms)", InCaption, row(1), InCaptionWidth),
    result("txtAutoPara(5)", "Frame3", InInput, row(1)),

    frame("Frame4", "Contact Pressure (Cl. 16.1 of BRS 935A)", LeftColumn, 4620, ColumnWidth, rows(2)),
    label("lblManualPara(1)", "Frame4", "Front (gm)", InCaption, row(0), InCaptionWidth),
    typed("txtManualPara(1)", "Frame4", InInput, row(0)),
    label("lblManualPara(2)", "Frame4", "Back (gm)", InCaption, row(1), InCaptionWidth),
    typed("txtManualPara(2)", "Frame4", InInput, row(1)),

    frame("Frame5", "Interlocking Code", RightColumn, 2100, ColumnWidth, rows(1)),
    label("lblCode(0)", "Frame5", "021 - 11F - 4B", InCaption, row(0), InCaptionWidth),
    result("txtAutoPara(6)", "Frame5", InInput, row(0), "ABDEG"),

    // Typed for the operator's own notes; the record has no line for it.
    label("lblManualPara(5)", F1, "Ac Immunity Test 300 AC (when applied gradually && abruptly) Cl. 2.3 IRS S60",
          RightColumn, 2970, CaptionWidth, TallCaption),
    typed("txtManualPara(5)", F1, RightInput, 2970),

    frame("Frame6", "Plating thickness on magnetic components Cl. 4.4", RightColumn, 3690, ColumnWidth, rows(3)),
    label("lblManualPara(6)", "Frame6", "Armature (mm)", InCaption, row(0), InCaptionWidth),
    typed("txtManualPara(6)", "Frame6", InInput, row(0)),
    label("lblManualPara(7)", "Frame6", "Core (mm)", InCaption, row(1), InCaptionWidth),
    typed("txtManualPara(7)", "Frame6", InInput, row(1)),
    label("lblManualPara(8)", "Frame6", "Heel Piece (mm)", InCaption, row(2), InCaptionWidth),
    typed("txtManualPara(8)", "Frame6", InInput, row(2)),

    label("lblOK(3)", F1,
          "Relay should not operate at 150V DC at Release coil (R3 R4) with oprate coil (R1 R2) de-energized. "
          "Cl. 21.1(ii) BRS-935A",
          LeftColumn, 5880, WideCaptionWidth, TallCaption),
    verdict("cmbOK(3)", F1, RightInput, 5880),

    label("lblManualPara(3)", F1, "Cont. Clearance (Cl. 14.4) (inch)", LeftColumn, 6600, CaptionWidth),
    typed("txtManualPara(3)", F1, LeftInput, 6600),
    label("lblOK(1)", F1, "Annealing Test on cover (Cl. 4.3)", RightColumn, 6600, CaptionWidth),
    verdict("cmbOK(1)", F1, RightInput, 6600),
    label("lblOK(4)", F1, "Non-Bridging Test Cl. 21.1(iv)", LeftColumn, 6990, CaptionWidth),
    verdict("cmbOK(4)", F1, LeftInput, 6990),
    label("lblOK(2)", F1, "Visual Inspection Cl. 14.2.1 of IRS-S23", RightColumn, 6990, CaptionWidth),
    verdict("cmbOK(2)", F1, RightInput, 6990),
});

// On QL1 the drop-away value holds the release coil's operate voltage.
constexpr auto QL1Fills = std::to_array<Fill>({
    {0, Source::CoilResistance1, Format::OneDecimal},
    {7, Source::CoilResistance2, Format::OneDecimal},
    {1, Source::PickUpVoltage, Format::TwoDecimals},
    {3, Source::DropAwayVoltage, Format::TwoDecimals},
    {4, Source::LargestFrontResistance, Format::OneDecimal},
    {5, Source::LargestBackResistance, Format::OneDecimal},
});

constexpr auto QL1Items = std::to_array<const char *>({
    "txtAutoPara(0)", "txtAutoPara(7)", "txtManualPara(0)", "cmbOK(0)", "txtAutoPara(1)", "txtAutoPara(3)",
    "cmbOK(3)", "txtAutoPara(4)", "txtAutoPara(5)", "txtManualPara(1)", "txtManualPara(2)", "txtManualPara(3)",
    "cmbOK(4)", "txtAutoPara(6)", "txtManualPara(6)", "txtManualPara(7)", "txtManualPara(8)", "cmbOK(1)",
    "cmbOK(2)",
});

// ---------------------------------------------------------------- QECX61

constexpr auto QECX61Fields = std::to_array<Control>({
    label("lblOK(0)", F1, "HV Test at 1 KV, AC, 50Hz for 1 minute Cl.21.1(ii) of BRS-941", LeftColumn, 840,
          WideCaptionWidth),
    verdict("cmbOK(0)", F1, RightInput, 840),
    label("lblManualPara(0)", F1, "Insulation Resistance Cl. 4.2 of IRS-S34 (MOhms)", LeftColumn, 1230,
          WideCaptionWidth),
    typed("txtManualPara(0)", F1, RightInput, 1230),
    label("lblAutoPara(0)", F1, "Coil Resistance Cl. 11.4 of BRS-941 at 20°C (Ohms)", LeftColumn, 1620,
          WideCaptionWidth),
    result("txtAutoPara(0)", F1, RightInput, 1620),

    frame("Frame2", "Operating Characteristic (Cl. 18.2 of BRS 931)", LeftColumn, 2100, ColumnWidth, rows(3)),
    label("lblAutoPara(1)", "Frame2", "Drop Away Current (mA)", InCaption, row(0), InCaptionWidth),
    result("txtAutoPara(1)", "Frame2", InInput, row(0)),
    label("lblAutoPara(2)", "Frame2", "Pickup Current (mA)", InCaption, row(1), InCaptionWidth),
    result("txtAutoPara(2)", "Frame2", InInput, row(1)),
    label("lblAutoPara(3)", "Frame2", "Voltage Drop across R1R2 (V)", InCaption, row(2), InCaptionWidth),
    result("txtAutoPara(3)", "Frame2", InInput, row(2)),

    frame("Frame3", "Contact Resistance (Cl. 16.1 of BRS 931A)", RightColumn, 2100, ColumnWidth, rows(2)),
    label("lblAutoPara(4)", "Frame3", "Front (Ohms)", InCaption, row(0), InCaptionWidth),
    result("txtAutoPara(4)", "Frame3", InInput, row(0)),
    label("lblAutoPara(5)", "Frame3", "Back (Ohms)", InCaption, row(1), InCaptionWidth),
    result("txtAutoPara(5)", "Frame3", InInput, row(1)),

    // The ECR and light unit checks, measured by hand on the bench.
    frame("Frame4", "", LeftColumn, 3750, WideWidth, rows(6)),
    label("lblManualPara(1)", "Frame4", "DA (mA)", InCaption, row(0), InCaptionWidth),
    typed("txtManualPara(1)", "Frame4", InInput, row(0), "60"),
    label("lblManualPara(2)", "Frame4", "PU (mA)", InCaption, row(1), InCaptionWidth),
    typed("txtManualPara(2)", "Frame4", InInput, row(1), "60"),
    label("lblManualPara(3)", "Frame4", "ECR-V drop at 125 (V)", InCaption, row(2), InCaptionWidth),
    typed("txtManualPara(3)", "Frame4", InInput, row(2), "10"),
    label("lblOK(1)", "Frame4", "ECR Status >= 112mA", InRightCaption, row(0), InCaptionWidth),
    verdict("cmbOK(1)", "Frame4", InRightInput, row(0)),
    label("lblOK(2)", "Frame4", "ECR Status >= 125mA", InRightCaption, row(1), InCaptionWidth),
    verdict("cmbOK(2)", "Frame4", InRightInput, row(1)),
    label("lblOK(3)", "Frame4", "ECR Status >= 154mA", InRightCaption, row(2), InCaptionWidth),
    verdict("cmbOK(3)", "Frame4", InRightInput, row(2)),
    label("lblPUDA(0)", "Frame4", "Light Unit Status >= 112mA", InRightCaption, row(3), InCaptionWidth),
    verdict("cmbPUDA(0)", "Frame4", InRightInput, row(3)),
    label("lblPUDA(1)", "Frame4", "Light Unit Status >= 125mA", InRightCaption, row(4), InCaptionWidth),
    verdict("cmbPUDA(1)", "Frame4", InRightInput, row(4)),
    label("lblPUDA(2)", "Frame4", "Light Unit Status >= 154mA", InRightCaption, row(5), InCaptionWidth),
    verdict("cmbPUDA(2)", "Frame4", InRightInput, row(5)),
});

// Each current stands beside the caption that names it, drop-away first as in
// the hand-measured DA and PU rows below it; items 5 and 6 follow the fields.
constexpr auto QECX61Fills = std::to_array<Fill>({
    {0, Source::CoilResistance1, Format::OneDecimal},
    {1, Source::DropAwayCurrent, Format::OneDecimal},
    {2, Source::PickUpCurrent, Format::OneDecimal},
    {3, Source::PickUpVoltage, Format::TwoDecimals},
    {4, Source::LargestFrontResistance, Format::OneDecimal},
    {5, Source::LargestBackResistance, Format::OneDecimal},
});

constexpr auto QECX61Items = std::to_array<const char *>({
    "cmbOK(0)", "txtManualPara(0)", "txtAutoPara(0)", "txtAutoPara(1)", "txtAutoPara(2)", "txtAutoPara(3)",
    "txtAutoPara(4)", "txtAutoPara(5)", "txtManualPara(1)", "txtManualPara(2)", "txtManualPara(3)", "cmbOK(1)",
    "cmbOK(2)", "cmbOK(3)", "cmbPUDA(0)", "cmbPUDA(1)", "cmbPUDA(2)",
});

// ---------------------------------------------------------------- QTA2

constexpr auto QTA2Fields = std::to_array<Control>({
    label("lblOK(0)", F1, "HV Test at 1 KV, AC, 50Hz for 1 minuteCl. 21.a(ii) of BRS-931", LeftColumn, 840,
          WideCaptionWidth),
    verdict("cmbOK(0)", F1, RightInput, 840),
    label("lblManualPara(0)", F1, "Insulation Resistance Cl. 4.2 of IRS-S34 (MOhms)", LeftColumn, 1230,
          WideCaptionWidth),
    typed("txtManualPara(0)", F1, RightInput, 1230),
    label("lblAutoPara(0)", F1, "Coil Resistance Cl. 11.4 of BRS-931 at 20°C (Ohms)", LeftColumn, 1620,
          WideCaptionWidth),
    result("txtAutoPara(0)", F1, RightInput, 1620),

    frame("Frame2", "Operating Characteristic (Cl. 18.2 of BRS 931)", LeftColumn, 2100, ColumnWidth, rows(3)),
    label("lblAutoPara(1)", "Frame2", "Operate Voltage (V)", InCaption, row(0), InCaptionWidth),
    result("txtAutoPara(1)", "Frame2", InInput, row(0)),
    label("lblAutoPara(2)", "Frame2", "Operate Current (mA)", InCaption, row(1), InCaptionWidth),
    result("txtAutoPara(2)", "Frame2", InInput, row(1)),
    label("lblAutoPara(3)", "Frame2", "Full Operate Current (mA)", InCaption, row(2), InCaptionWidth),
    result("txtAutoPara(3)", "Frame2", InInput, row(2)),

    label("lblAutoPara(8)", F1, "% Release", LeftColumn, 3750, CaptionWidth),
    result("txtAutoPara(8)", F1, LeftInput, 3750),

    frame("Frame3", "Contact Resistance (Cl. 16.1 of BRS 931A)", LeftColumn, 4260, ColumnWidth, rows(2)),
    label("lblAutoPara(4)", "Frame3", "Front (Ohms)", InCaption, row(0), InCaptionWidth),
    result("txtAutoPara(4)", "Frame3", InInput, row(0)),
    label("lblAutoPara(5)", "Frame3", "Back (Ohms)", InCaption, row(1), InCaptionWidth),
    result("txtAutoPara(5)", "Frame3", InInput, row(1)),

    frame("Frame5", "Interlocking Code", RightColumn, 2100, ColumnWidth, rows(1)),
    label("lblCode(0)", "Frame5", "021 - 2F - 1B", InCaption, row(0), InCaptionWidth),
    result("txtAutoPara(6)", "Frame5", InInput, row(0), "FGHKX"),

    label("lblOK(3)", F1, "Ac Immunity Test 300 AC (when applied gradually && abruptly) Cl. 2.3 IRS S60", RightColumn,
          2970, CaptionWidth, TallCaption),
    verdict("cmbOK(3)", F1, RightInput, 2970),

    // Contact pressure and plating are not checked on this style: both frames stay
    // hidden and the record carries their design values. Being hidden, they may
    // share the space of the visible rows.
    frame("Frame4", "Contact Pressure (Cl. 15.1 of BRS 931A)", LeftColumn, 5520, ColumnWidth, rows(2), Hidden),
    label("lblManualPara(1)", "Frame4", "Front (gm)", InCaption, row(0), InCaptionWidth),
    typed("txtManualPara(1)", "Frame4", InInput, row(0)),
    label("lblManualPara(2)", "Frame4", "Back (gm)", InCaption, row(1), InCaptionWidth),
    typed("txtManualPara(2)", "Frame4", InInput, row(1)),

    frame("Frame6", "Plating thickness on magnetic components Cl. 4.4", RightColumn, 3690, ColumnWidth, rows(3),
          Hidden),
    label("lblManualPara(6)", "Frame6", "Armature (mm)", InCaption, row(0), InCaptionWidth),
    typed("txtManualPara(6)", "Frame6", InInput, row(0)),
    label("lblManualPara(7)", "Frame6", "Core (mm)", InCaption, row(1), InCaptionWidth),
    typed("txtManualPara(7)", "Frame6", InInput, row(1)),
    label("lblManualPara(8)", "Frame6", "Heel Piece (mm)", InCaption, row(2), InCaptionWidth),
    typed("txtManualPara(8)", "Frame6", InInput, row(2)),

    label("lblManualPara(3)", F1, "Cont. Clearance (Cl. 14.4) (inch)", LeftColumn, 5520, CaptionWidth),
    typed("txtManualPara(3)", F1, LeftInput, 5520),
    label("lblOK(1)", F1, "Annealing Test on cover (Cl. 4.3)", RightColumn, 5520, CaptionWidth),
    verdict("cmbOK(1)", F1, RightInput, 5520),
    label("lblManualPara(4)", F1, "Non-Bridging Test Cl. 21.1(iii)", LeftColumn, 5910, CaptionWidth),
    typed("txtManualPara(4)", F1, LeftInput, 5910),
    label("lblOK(2)", F1, "Visual Inspection Cl. 14.2.1 of IRS-S23", RightColumn, 5910, CaptionWidth),
    verdict("cmbOK(2)", F1, RightInput, 5910),
});

constexpr auto QTA2Fills = std::to_array<Fill>({
    {0, Source::CoilResistance1, Format::OneDecimal},
    {1, Source::PickUpVoltage, Format::TwoDecimals},
    {2, Source::PickUpCurrent, Format::Whole},
    {3, Source::FullOperateCurrent, Format::Whole},
    {8, Source::ReleasePercent, Format::Whole},
    {4, Source::LargestFrontResistance, Format::OneDecimal},
    {5, Source::LargestBackResistance, Format::OneDecimal},
});

constexpr auto QTA2Items = std::to_array<const char *>({
    "cmbOK(0)", "txtManualPara(0)", "txtAutoPara(0)", "txtAutoPara(2)", "txtAutoPara(3)", "txtAutoPara(1)",
    "txtAutoPara(8)", "txtAutoPara(4)", "txtAutoPara(5)", "txtManualPara(1)", "txtManualPara(2)",
    "txtManualPara(3)", "txtManualPara(4)", "txtAutoPara(6)", "txtManualPara(6)", "txtManualPara(7)",
    "txtManualPara(8)", "cmbOK(1)", "cmbOK(3)", "cmbOK(2)",
});

// ---------------------------------------------------------------- QSPA1

constexpr auto QSPA1Fields = std::to_array<Control>({
    label("lblOK(0)", F1, "HV Test at 1 KV, AC, 50Hz for 1 minuteCl. 21.a(ii) of BRS-931", LeftColumn, 840,
          WideCaptionWidth),
    verdict("cmbOK(0)", F1, RightInput, 840),
    label("lblManualPara(0)", F1, "Insulation Resistance Cl. 4.2 of IRS-S34 (MOhms)", LeftColumn, 1230,
          WideCaptionWidth),
    typed("txtManualPara(0)", F1, RightInput, 1230),
    label("lblAutoPara(0)", F1, "Coil Resistance Cl. 11.4 of BRS-931 at 20°C (Ohms)", LeftColumn, 1620,
          WideCaptionWidth),
    result("txtAutoPara(0)", F1, RightInput, 1620),

    frame("Frame2", "Operating Characteristic (Cl. 18.2 of BRS 931)", LeftColumn, 2100, ColumnWidth, rows(3)),
    label("lblAutoPara(1)", "Frame2", "Full Operate Voltage (V)", InCaption, row(0), InCaptionWidth),
    result("txtAutoPara(1)", "Frame2", InInput, row(0)),
    label("lblAutoPara(2)", "Frame2", "Release Voltage (V)", InCaption, row(1), InCaptionWidth),
    result("txtAutoPara(2)", "Frame2", InInput, row(1)),
    label("lblAutoPara(3)", "Frame2", "Full Release Voltage (V)", InCaption, row(2), InCaptionWidth),
    result("txtAutoPara(3)", "Frame2", InInput, row(2)),

    frame("Frame3", "Contact Resistance (Cl. 16.1 of BRS 931A)", LeftColumn, 3750, ColumnWidth, rows(2)),
    label("lblAutoPara(4)", "Frame3", "Front (Ohms)", InCaption, row(0), InCaptionWidth),
    result("txtAutoPara(4)", "Frame3", InInput, row(0)),
    label("lblAutoPara(5)", "Frame3", "Back (Ohms)", InCaption, row(1), InCaptionWidth),
    result("txtAutoPara(5)", "Frame3", InInput, row(1)),

    frame("Frame4", "Contact Pressure (Cl. 15.1 of BRS 931A)", LeftColumn, 5010, ColumnWidth, rows(2)),
    label("lblManualPara(1)", "Frame4", "Front (gm)", InCaption, row(0), InCaptionWidth),
    typed("txtManualPara(1)", "Frame4", InInput, row(0)),
    label("lblManualPara(2)", "Frame4", "Back (gm)", InCaption, row(1), InCaptionWidth),
    typed("txtManualPara(2)", "Frame4", InInput, row(1)),

    label("lblAutoPara(8)", F1, "Drop Away Time", RightColumn, 2100, CaptionWidth),
    result("txtAutoPara(8)", F1, RightInput, 2100),
    label("lblAutoPara(9)", F1, "Difference in pickup && drop away time", RightColumn, 2490, CaptionWidth),
    result("txtAutoPara(9)", F1, RightInput, 2490),

    frame("Frame5", "Interlocking Code", RightColumn, 2940, ColumnWidth, rows(1)),
    label("lblCode(0)", "Frame5", "021 - 8F - 4B", InCaption, row(0), InCaptionWidth),
    result("txtAutoPara(6)", "Frame5", InInput, row(0), "ABDEJ"),

    label("lblOK(3)", F1, "Ac Immunity Test 300 AC (when applied gradually && abruptly) Cl. 2.3 IRS S60", RightColumn,
          3810, CaptionWidth, TallCaption),
    verdict("cmbOK(3)", F1, RightInput, 3810),

    frame("Frame6", "Plating thickness on magnetic components Cl. 4.4", RightColumn, 4530, ColumnWidth, rows(3)),
    label("lblManualPara(6)", "Frame6", "Armature (mm)", InCaption, row(0), InCaptionWidth),
    typed("txtManualPara(6)", "Frame6", InInput, row(0)),
    label("lblManualPara(7)", "Frame6", "Core (mm)", InCaption, row(1), InCaptionWidth),
    typed("txtManualPara(7)", "Frame6", InInput, row(1)),
    label("lblManualPara(8)", "Frame6", "Heel Piece (mm)", InCaption, row(2), InCaptionWidth),
    typed("txtManualPara(8)", "Frame6", InInput, row(2)),

    label("lblManualPara(3)", F1, "Cont. Clearance (Cl. 14.4) (inch)", LeftColumn, 6270, CaptionWidth),
    typed("txtManualPara(3)", F1, LeftInput, 6270),
    label("lblOK(1)", F1, "Annealing Test on cover (Cl. 4.3)", RightColumn, 6270, CaptionWidth),
    verdict("cmbOK(1)", F1, RightInput, 6270),
    label("lblOK(4)", F1, "Non-Bridging Test Cl. 21.1(iii)", LeftColumn, 6660, CaptionWidth),
    verdict("cmbOK(4)", F1, LeftInput, 6660),
    label("lblOK(2)", F1, "Visual Inspection Cl. 14.2.1 of IRS-S23", RightColumn, 6660, CaptionWidth),
    verdict("cmbOK(2)", F1, RightInput, 6660),
});

constexpr auto QSPA1Fills = std::to_array<Fill>({
    {0, Source::CoilResistance1, Format::OneDecimal},
    {1, Source::PickUpVoltage, Format::TwoDecimals},
    {2, Source::DropAwayVoltage, Format::TwoDecimals},
    {3, Source::ManualDropAwayVoltage, Format::TwoDecimals},
    {8, Source::DropAwayTime, Format::Plain},
    {9, Source::DelayDifference, Format::Plain},
    {4, Source::LargestFrontResistance, Format::OneDecimal},
    {5, Source::LargestBackResistance, Format::OneDecimal},
});

constexpr auto QSPA1Items = std::to_array<const char *>({
    "cmbOK(0)", "txtManualPara(0)", "txtAutoPara(0)", "txtAutoPara(1)", "txtAutoPara(2)", "txtAutoPara(3)",
    "txtAutoPara(8)", "txtAutoPara(9)", "txtAutoPara(4)", "txtAutoPara(5)", "txtManualPara(1)", "txtManualPara(2)",
    "txtManualPara(3)", "cmbOK(4)", "txtAutoPara(6)", "cmbOK(3)", "txtManualPara(6)", "txtManualPara(7)",
    "txtManualPara(8)", "cmbOK(1)", "cmbOK(2)",
});

// ---------------------------------------------------------------- the styles

const std::array<StyleFields, 7> Styles{{
    {1, "frmQNA1", "Report for 'QNA1' 24V DC (ACI)", "txtDiscard", 5, 0, CodeByContactVariant, 7170, QNA1Fields,
     QN1Fills, QNA1Items},
    {2, "frmQN1", "Report for 'QN1' 24V DC (NON-ACI)", "cmdDiscard", 4, 0, CodeByContactVariant, 7170, QN1Fields,
     QN1Fills, QN1Items},
    {3, "frmQNA1K", "Report for 'QNA1K' 24V DC", "txtDiscard", 3, 0, 9, 8040, QNA1KFields, QNA1KFills, QNA1KItems},
    {4, "frmQL1", "Report for 'QL1' 24V DC", "txtDiscard", 5, 0, 6, 7470, QL1Fields, QL1Fills, QL1Items},
    {5, "frmQECX61", "Report for 'QECX61' 24V DC", "txtDiscard", 4, 3, -1, 6615, QECX61Fields, QECX61Fills,
     QECX61Items},
    {6, "frmQTA2", "Report for 'QTA2', 9 OHM (ACI) 24V DC", "txtDiscard", 4, 0, 6, 6390, QTA2Fields, QTA2Fills,
     QTA2Items},
    {7, "frmQSPA1", "Report for 'QSPA1' (ACI) 24V DC", "txtDiscard", 5, 0, 6, 7140, QSPA1Fields, QSPA1Fills,
     QSPA1Items},
}};

// ---------------------------------------------------------------- shared by every form

constexpr int FormWidth = 11400;
constexpr int StripGap = 120;         // between Frame1 and the file name row
constexpr int ButtonRowOffset = 960;  // from the file name row to the two large buttons
constexpr int ButtonHeight = 540;

constexpr auto RelayIdRow = std::to_array<Control>({
    label("lblRelayID", F1, "Relay ID No.:", LeftColumn, 360, 1335),
    {"txtRelayID(0)", Kind::TextBox, F1, "", 1680, 360, 735, RowHeight, Sans, NoColour, NoColour, Centred},
    label("lblSlash", F1, "/", 2445, 360, 165, RowHeight, Centred),
    {"txtRelayID(1)", Kind::TextBox, F1, "", 2640, 360, 435, RowHeight, Sans, NoColour, NoColour, Centred},
    {"txtRelayID(2)", Kind::TextBox, F1, "", 3120, 360, 315, RowHeight, Sans, NoColour, NoColour, Centred},
    {"txtRelayID(3)", Kind::TextBox, F1, "", 3480, 360, 315, RowHeight, Sans, NoColour, NoColour, Centred},
    {"txtRelayID(4)", Kind::TextBox, F1, "", 3840, 360, 315, RowHeight, Sans, NoColour, NoColour, Centred},
});

// Below Frame1; the tops of the window's own controls count from the strip's top.
constexpr auto BottomStrip = std::to_array<Control>({
    {"Frame7", Kind::Frame, nullptr, "Report File Name", 120, 0, 5520, 840, Sans},
    {"lblFileName", Kind::Label, "Frame7", "File Name:", 120, 390, 900, RowHeight, Sans},
    {"txtFileName", Kind::TextBox, "Frame7", "Test Report 1.csv", 1080, 360, 2760, RowHeight, Sans},
    {"cmdNew", Kind::Button, "Frame7", "New", 3960, 330, 675, 375, Sans},
    {"cmdSelect", Kind::Button, "Frame7", "Select", 4710, 330, 675, 375, Sans},
    {"Frame8", Kind::Frame, nullptr, "", 5760, 0, 5520, 840, Sans},
    {"cmdMakeFinalReport", Kind::Button, "Frame8", "MAKE FINAL REPORT", 120, 180, 2880, ButtonHeight, Large},
    {"lblDate", Kind::Label, "Frame8", "Report Date:", 3120, 390, 1095, RowHeight, Sans},
    {"txtDate", Kind::TextBox, "Frame8", "", 4200, 360, 1215, RowHeight, Sans},
    {"cmdAddTestResult", Kind::Button, nullptr, "ADD TEST RESULT", 1320, ButtonRowOffset, 3480, ButtonHeight, Large},
    {"Discard", Kind::Button, nullptr, "DISCARD TEST RESULT", 6480, ButtonRowOffset, 3480, ButtonHeight, Large},
});

int stripTop(const StyleFields &style)
{
    return 120 + style.frameHeight + StripGap;
}

std::vector<Control> assemble(const StyleFields &style)
{
    std::vector<Control> controls;
    controls.push_back({F1, Kind::Frame, nullptr, "Test Report && Entry Form", 120, 120, FormWidth - 240,
                        style.frameHeight, Sans});
    controls.insert(controls.end(), RelayIdRow.begin(), RelayIdRow.end());
    controls.insert(controls.end(), style.fields.begin(), style.fields.end());
    for (Control c : BottomStrip) {
        if (!c.parent)
            c.top += stripTop(style);
        if (c.kind == Kind::Button && c.name == std::string_view("Discard"))
            c.name = style.discardName;
        controls.push_back(c);
    }
    return controls;
}

} // namespace

const StyleFields *styleFields(int styleCode)
{
    if (styleCode < 1 || styleCode > int(Styles.size()))
        return nullptr;
    return &Styles[std::size_t(styleCode - 1)];
}

std::span<const Control> formControls(const StyleFields &style)
{
    static const std::array<std::vector<Control>, 7> tables{
        assemble(Styles[0]), assemble(Styles[1]), assemble(Styles[2]), assemble(Styles[3]),
        assemble(Styles[4]), assemble(Styles[5]), assemble(Styles[6]),
    };
    return tables[std::size_t(style.styleCode - 1)];
}

int formWidth()
{
    return FormWidth;
}

int formHeight(const StyleFields &style)
{
    return stripTop(style) + ButtonRowOffset + ButtonHeight + 240;
}

} // namespace reports
