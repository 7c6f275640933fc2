#pragma once

#include <QColor>
#include <QWidget>

// The rounded status lamp under the live readings: green while the kit is free,
// pale yellow while it is busy.
class StatusLamp : public QWidget
{
    Q_OBJECT
public:
    explicit StatusLamp(QWidget *parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color{0x80, 0x80, 0x80};
};
