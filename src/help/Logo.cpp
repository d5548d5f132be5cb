// SPDX-License-Identifier: GPL-3.0-or-later
#include "help/Logo.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace quorvia {
namespace {

const QColor kDeepBlue(0x1f, 0x3a, 0x5f);
const QColor kTeal(0x2a, 0x7f, 0x8f);
const QColor kAmber(0xf4, 0xa2, 0x59);
const QColor kMint(0x8c, 0xd3, 0xc5);
const QColor kCream(0xf7, 0xf3, 0xe3);

// Three people who suit each other, drawn into `box`: three overlapping
// circles in a triangle.
void drawEmblem(QPainter &painter, const QRectF &box)
{
    const double r = box.width() * 0.22;
    const QPointF centres[] = {
        {box.left() + box.width() * 0.32, box.top() + box.height() * 0.36},
        {box.left() + box.width() * 0.68, box.top() + box.height() * 0.36},
        {box.left() + box.width() * 0.50, box.top() + box.height() * 0.68},
    };
    const QColor colours[] = {kAmber, kMint, kCream};
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        QColor colour = colours[i];
        colour.setAlpha(225);
        painter.setBrush(colour);
        painter.drawEllipse(centres[i], r, r);
    }
}

QLinearGradient background(const QRectF &area)
{
    QLinearGradient gradient(area.topLeft(), area.topRight());
    gradient.setColorAt(0, kDeepBlue);
    gradient.setColorAt(1, kTeal);
    return gradient;
}

} // namespace

QPixmap quorviaLogo()
{
    QPixmap logo(kLogoWidth, kLogoHeight);
    logo.fill(Qt::transparent);
    QPainter painter(&logo);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    const QRectF area(0, 0, kLogoWidth, kLogoHeight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(background(area));
    painter.drawRoundedRect(area, 4, 4);

    drawEmblem(painter, QRectF(3, 0, 22, 22));

    QFont name(QStringLiteral("Sans Serif"));
    name.setStyleHint(QFont::SansSerif);
    name.setPixelSize(14);
    name.setBold(true);
    painter.setFont(name);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(29, 0, 90, kLogoHeight), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Quorvia"));

    QFont motto(name);
    motto.setBold(false);
    motto.setItalic(true);
    motto.setPixelSize(10);
    painter.setFont(motto);
    painter.setPen(kMint);
    painter.drawText(QRectF(100, 0, kLogoWidth - 106, kLogoHeight), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("groups that fit"));
    return logo;
}

QIcon quorviaIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF area(0, 0, size, size);
        painter.setPen(Qt::NoPen);
        painter.setBrush(background(area));
        painter.drawRoundedRect(area, size * 0.18, size * 0.18);
        drawEmblem(painter, area.adjusted(size * 0.06, size * 0.06, -size * 0.06, -size * 0.06));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace quorvia
