// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/BoardView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

// Painting the cards: only those in the exposed rectangle, and in a card only
// the slots in it, so the cost follows the window, not the number of groups.
namespace quorvia {
namespace {

const QColor kConflict(0xc0, 0x20, 0x20);
const QColor kDropOk(0xc8, 0xec, 0xc8);
const QColor kDropRefused(0xf4, 0xc8, 0xc8);
const QColor kMetBefore(0x20, 0x50, 0xc0);

} // namespace

void BoardView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRect exposed = event->rect();
    painter.fillRect(exposed, palette().window());
    if (model_->groupCount() == 0)
        return;
    const int cols = columns();
    const long long pitch = cardHeight() + kGap;
    const long long top = (long long)exposed.top() + verticalScrollBar()->value() - kGap;
    const long long bottom = (long long)exposed.bottom() + verticalScrollBar()->value();
    const long long firstRow = std::max<long long>(0, top / pitch);
    const long long lastRow = bottom / pitch;
    for (long long row = firstRow; row <= lastRow; ++row) {
        for (int col = 0; col < cols; ++col) {
            const long long group = row * cols + col;
            if (group >= model_->groupCount())
                break;
            paintCard(painter, int(group), exposed);
        }
    }
    if (dragging_ && pressed_.group >= 0) {
        const QString text = model_->slotText(pressed_);
        QRect ghost(dragPoint_ + QPoint(12, 4), QSize(fontMetrics().horizontalAdvance(text) + 12, rowHeight_));
        painter.setOpacity(0.85);
        painter.fillRect(ghost, palette().highlight());
        painter.setPen(palette().highlightedText().color());
        painter.drawText(ghost.adjusted(6, 0, 0, 0), Qt::AlignVCenter, text);
        painter.setOpacity(1.0);
    }
}

void BoardView::paintCard(QPainter &painter, int group, const QRect &exposed)
{
    const QRect card = cardRect(group);
    if (!card.intersects(exposed))
        return;
    const bool target = dragging_ && dropTarget_.group == group && dropTarget_.slot < 0;
    const BoardModel::Drop drop = dragging_ ? model_->dropFor(pressed_, dropTarget_) : BoardModel::Drop::None;
    painter.setPen(QPen(palette().mid().color(), model_->isGroupPinned(group) ? 3 : 1));
    painter.setBrush(palette().base());
    painter.drawRoundedRect(card.adjusted(0, 0, -1, -1), 4, 4);

    const QRect header(card.x() + 1, card.y() + 1, card.width() - 2, headerHeight_ - 2);
    if (target)
        painter.fillRect(header, drop == BoardModel::Drop::Refused ? kDropRefused : kDropOk);
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(palette().text().color());
    const int line = fontMetrics().height();
    painter.drawText(QRect(header.x() + 6, header.y() + 4, header.width() - 30, line), Qt::AlignVCenter,
                     model_->groupTitle(group));
    painter.setFont(font());
    const GroupFit &fit = model_->arrangement()->report().groups[std::size_t(group)];
    painter.setPen(fit.conflicts > 0 ? kConflict : palette().text().color());
    // A group that breaks a rule says so after its score.
    const bool breaksRules = !model_->rulesBrokenIn(group).isEmpty();
    if (breaksRules)
        painter.setPen(kConflict);
    painter.drawText(QRect(header.x() + 6, header.y() + 4 + line, header.width() - 12, line), Qt::AlignVCenter,
                     model_->groupSummary(group) + (breaksRules ? tr(", breaks a rule") : QString()));
    if (model_->isGroupPinned(group))
        paintPin(painter, QRect(header.right() - 20, header.y() + 4, 16, line));
    painter.setPen(palette().mid().color());
    painter.drawLine(card.x() + 4, card.y() + headerHeight_ - 2, card.right() - 4, card.y() + headerHeight_ - 2);

    const int firstSlot = std::max(0, (exposed.top() - (card.y() + headerHeight_)) / rowHeight_);
    const int lastSlot = std::min(model_->slotCount() - 1, (exposed.bottom() - (card.y() + headerHeight_)) / rowHeight_);
    for (int s = firstSlot; s <= lastSlot; ++s) {
        const Slot at{group, s};
        const QRect rect = slotRect(at);
        const bool person = model_->isPerson(at);
        const bool isCurrent = current_ == at && hasFocus();
        if (dragging_ && dropTarget_ == at && drop != BoardModel::Drop::None)
            painter.fillRect(rect, drop == BoardModel::Drop::Refused ? kDropRefused : kDropOk);
        else if (isCurrent)
            painter.fillRect(rect, palette().highlight());
        else if (pickFrom_ == at)
            painter.fillRect(rect, QColor(0xff, 0xe0, 0x80));
        else if (current_ == at)
            painter.fillRect(rect, palette().alternateBase());
        const bool conflict = person && model_->inConflict(at);
        if (conflict) {
            painter.setPen(kConflict);
            painter.setFont(bold);
            painter.drawText(QRect(rect.x() + 4, rect.y(), 10, rect.height()), Qt::AlignCenter, QStringLiteral("!"));
            painter.setFont(font());
        } else if (person && metBefore(at)) {
            // Met someone of this group in an earlier round.
            painter.setPen(kMetBefore);
            painter.setFont(bold);
            painter.drawText(QRect(rect.x() + 2, rect.y(), 14, rect.height()), Qt::AlignCenter, QStringLiteral("\u21BB"));
            painter.setFont(font());
        }
        QColor colour = isCurrent ? palette().highlightedText().color()
                        : conflict ? kConflict
                        : person ? palette().text().color()
                                 : palette().placeholderText().color();
        painter.setPen(colour);
        const QRect textRect = rect.adjusted(18, 0, -24, 0);
        painter.drawText(textRect, Qt::AlignVCenter,
                         fontMetrics().elidedText(model_->slotText(at), Qt::ElideRight, textRect.width()));
        if (model_->isPinned(at))
            paintPin(painter, QRect(rect.right() - 20, rect.y(), 16, rect.height()));
        if (person && model_->breaksRule(at)) {
            painter.setPen(QPen(kConflict, 1.5, Qt::DashLine));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(rect.adjusted(1, 0, -2, -1));
        }
        // The other side of each conflict of the person picked.
        if (current_.group == group && current_.slot != s && model_->clash(current_, at)) {
            painter.setPen(QPen(kConflict, 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(rect.adjusted(2, 1, -3, -2));
        }
    }
}

bool BoardView::metBefore(const Slot &at) const
{
    const std::vector<char> &marks = model_->arrangement()->repeats().perSlot;
    const std::size_t i = std::size_t(at.group) * std::size_t(model_->slotCount()) + std::size_t(at.slot);
    return i < marks.size() && marks[i] != 0;
}

// A drawing pin: a round head on a short needle.
void BoardView::paintPin(QPainter &painter, const QRect &box) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(box.center().x(), box.top() + box.height() * 0.35);
    const qreal radius = std::min(box.width(), box.height()) * 0.25;
    painter.setPen(QPen(QColor(0x60, 0x60, 0x60), 1.5));
    painter.drawLine(centre, QPointF(centre.x(), box.bottom() - 1));
    painter.setBrush(QColor(0xd0, 0x30, 0x30));
    painter.drawEllipse(centre, radius, radius);
    painter.restore();
}

} // namespace quorvia
