#include "platform/statuslamp.h"

#include <QPainter>

StatusLamp::StatusLamp(QWidget *parent)
    : QWidget(parent)
{
}

void StatusLamp::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void StatusLamp::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::black);
    painter.setBrush(m_color);
    const qreal radius = height() / 2.0;
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}
