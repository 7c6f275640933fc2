#pragma once

#include <QColor>
#include <QString>
#include <QDialog>
#include <QPushButton>

#include <span>

class QWidget;

// Builds a window's controls from a table written in the bench's design units
// (twips, 15 to a pixel), so a window's look lives in data rather than in code.
namespace formlayout {

inline constexpr int TwipsPerPixel = 15;
constexpr int px(int twips) { return twips / TwipsPerPixel; }

// Combo is an editable drop-down list whose design caption shows until an entry
// is chosen; List offers only its entries; Option is an option (radio) button,
// one of a set with the other options of its container.
enum class Kind { Frame, Button, Label, Combo, Lamp, TextBox, List, Option };

enum class Face { ArialRounded, SansSerif };

struct Font {
    Face face = Face::SansSerif;
    double points = 8.25;
    bool bold = false;
};

// Colours as 0xRRGGBB; NoColour keeps the window's own.
inline constexpr unsigned NoColour = 0xFFFFFFFFu;
inline constexpr unsigned Grey = 0x808080;

enum Flags : unsigned {
    None = 0,
    Centred = 1u << 0,       // labels and text boxes
    Hidden = 1u << 1,        // hidden at design time
    RightAligned = 1u << 2,  // text boxes
    Disabled = 1u << 3,      // shown but not usable, with everything inside it
    Checked = 1u << 4,       // an option button selected at design time
};

struct Control {
    const char *name;    // objectName; "lblBusy(3)" for element 3 of a control array
    Kind kind;
    const char *parent;  // objectName of the container; nullptr for the window itself
    const char *caption; // design caption or text, UTF-8; "&&" shows as one "&"
    int left, top, width, height;  // twips, relative to the container's client area
    Font font;
    unsigned foreground = NoColour;
    unsigned background = NoColour;  // button face for buttons
    unsigned flags = None;
};

QFont toQFont(const Font &font);

// Creates every control of the table inside window, in table order; a container
// must come before its children.
void build(QWidget *window, std::span<const Control> controls);

// Puts the controls of the table back as they were built: text boxes and
// drop-down lists show their design text again, lists lose their entries and
// option buttons take their design state. A window that is shown again can so
// start afresh without being built again.
void restoreDesign(QWidget *window, std::span<const Control> controls);

// A window built from its control table before any member of a derived window is
// initialised, so the derived window can hold const pointers to its controls.
template<typename Base>
class Built : public Base
{
public:
    explicit Built(std::span<const Control> controls, QWidget *parent = nullptr, Qt::WindowFlags flags = {})
        : Base(parent, flags)
    {
        build(this, controls);
    }

    // The control named name; it must exist, the table guarantees it.
    template<typename T>
    T *control(const QString &name) const
    {
        T *w = this->template findChild<T *>(name);
        Q_ASSERT_X(w, "formlayout::Built::control", qPrintable(name));
        return w;
    }
};

using Form = Built<QWidget>;
using DialogForm = Built<QDialog>;

// A command button whose caption wraps onto a second line, as the bench's tall
// buttons ("Contact Resistance") need, while text() stays the caption itself.
class WrappingButton : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace formlayout
