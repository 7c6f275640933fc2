#include "platform/formlayout.h"

#include "platform/statuslamp.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace formlayout {

namespace {

// Sizes are given at the bench PC's 96 dots per inch; pixel sizes keep the text
// in proportion to the pixel layout whatever the screen reports.
int pixelSize(double points)
{
    return qRound(points * 96.0 / 72.0);
}

QStringList families(Face face)
{
    if (face == Face::ArialRounded)
        return {QStringLiteral("Arial Rounded MT Bold"), QStringLiteral("Arial"),
                QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
    return {QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
            QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
}

void setColour(QWidget *w, QPalette::ColorRole role, unsigned rgb)
{
    if (rgb == NoColour)
        return;
    QPalette p = w->palette();
    p.setColor(role, QColor::fromRgb(rgb));
    w->setPalette(p);
}

QString designText(const Control &c)
{
    return QString::fromUtf8(c.caption ? c.caption : "");
}

// A group box and a button show a doubled "&" as one themselves; a label without
// a buddy shows its text as it is, so it is given the single "&" to show.
QString labelText(const Control &c)
{
    return designText(c).replace(QStringLiteral("&&"), QStringLiteral("&"));
}

Qt::Alignment textBoxAlignment(unsigned flags)
{
    if (flags & Centred)
        return Qt::AlignCenter;
    if (flags & RightAligned)
        return Qt::AlignRight | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

// An option button leaves its set for a moment, so that the button selected at
// design time can also be cleared.
void setOptionState(QRadioButton *option, bool checked)
{
    option->setAutoExclusive(false);
    option->setChecked(checked);
    option->setAutoExclusive(true);
}

QWidget *create(const Control &c, QWidget *container)
{
    const QString caption = designText(c);
    switch (c.kind) {
    case Kind::Frame: {
        auto *frame = new QGroupBox(caption, container);
        setColour(frame, QPalette::WindowText, c.foreground);
        return frame;
    }
    case Kind::Button: {
        auto *button = new WrappingButton(caption, container);
        setColour(button, QPalette::Button, c.background);
        return button;
    }
    case Kind::Label: {
        auto *label = new QLabel(labelText(c), container);
        label->setWordWrap(true);
        if (c.flags & Centred)
            label->setAlignment(Qt::AlignCenter);
        else
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        setColour(label, QPalette::WindowText, c.foreground);
        if (c.background != NoColour) {
            setColour(label, QPalette::Window, c.background);
            label->setAutoFillBackground(true);
        }
        return label;
    }
    case Kind::Combo: {
        auto *combo = new QComboBox(container);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setEditText(caption);
        // Text typed over an entry is not that entry: the selector then has none selected.
        QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, combo, [combo](const QString &typed) {
            if (combo->currentIndex() < 0)
                return;
            const int cursor = combo->lineEdit()->cursorPosition();
            combo->setCurrentIndex(-1);
            combo->setEditText(typed);
            combo->lineEdit()->setCursorPosition(cursor);
        });
        return combo;
    }
    case Kind::List:
        return new QComboBox(container);
    case Kind::Option: {
        auto *option = new QRadioButton(caption, container);
        setOptionState(option, c.flags & Checked);
        return option;
    }
    case Kind::TextBox: {
        auto *box = new QLineEdit(caption, container);
        box->setAlignment(textBoxAlignment(c.flags));
        setColour(box, QPalette::Base, c.background);
        setColour(box, QPalette::Text, c.foreground);
        return box;
    }
    case Kind::Lamp:
        return new StatusLamp(container);
    }
    return nullptr;
}

} // namespace

QFont toQFont(const Font &font)
{
    QFont f;
    f.setFamilies(families(font.face));
    f.setPixelSize(pixelSize(font.points));
    f.setBold(font.bold || font.face == Face::ArialRounded);
    return f;
}

void build(QWidget *window, std::span<const Control> controls)
{
    for (const Control &c : controls) {
        QWidget *container = c.parent ? window->findChild<QWidget *>(QString::fromLatin1(c.parent)) : window;
        Q_ASSERT_X(container, "formlayout::build", c.name);
        if (!container)
            continue;
        QWidget *w = create(c, container);
        w->setObjectName(QString::fromLatin1(c.name));
        w->setGeometry(px(c.left), px(c.top), px(c.width), px(c.height));
        w->setFont(toQFont(c.font));
        if (c.flags & Hidden)
            w->setVisible(false);
        if (c.flags & Disabled)
            w->setEnabled(false);
    }
}

void restoreDesign(QWidget *window, std::span<const Control> controls)
{
    for (const Control &c : controls) {
        QWidget *w = window->findChild<QWidget *>(QString::fromLatin1(c.name));
        Q_ASSERT_X(w, "formlayout::restoreDesign", c.name);
        if (!w)
            continue;
        switch (c.kind) {
        case Kind::TextBox:
            static_cast<QLineEdit *>(w)->setText(designText(c));
            break;
        case Kind::Combo: {
            auto *combo = static_cast<QComboBox *>(w);
            combo->setCurrentIndex(-1);
            combo->setEditText(designText(c));
            break;
        }
        case Kind::List:
            static_cast<QComboBox *>(w)->clear();
            break;
        case Kind::Option:
            setOptionState(static_cast<QRadioButton *>(w), c.flags & Checked);
            break;
        case Kind::Frame:
        case Kind::Button:
        case Kind::Label:
        case Kind::Lamp:
            break;
        }
    }
}

void WrappingButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(rect().adjusted(4, 2, -4, -2), Qt::AlignCenter | Qt::TextWordWrap, caption);
}

} // namespace formlayout
