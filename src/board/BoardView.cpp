// SPDX-License-Identifier: GPL-3.0-or-later
#include "board/BoardView.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>

namespace quorvia {

BoardView::BoardView(BoardModel *model, QWidget *parent) : QAbstractScrollArea(parent), model_(model)
{
    setObjectName(QStringLiteral("viewBoard"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(false);
    const QFontMetrics metrics(font());
    rowHeight_ = metrics.height() + 6;
    headerHeight_ = 2 * metrics.height() + 12;
    cardWidth_ = metrics.horizontalAdvance(QLatin1Char('x')) * 34;
    verticalScrollBar()->setSingleStep(rowHeight_);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(model, &BoardModel::changed, this, [this] {
        if (current_.group >= model_->groupCount() || current_.slot >= model_->slotCount())
            current_ = {};
        pickFrom_ = {};  // whoever was picked may stand elsewhere now
        updateScrollBars();
        viewport()->update();
    });
    updateScrollBars();
}

int BoardView::columns() const
{
    const int width = viewport()->width() - kGap;
    return std::max(1, width / (cardWidth_ + kGap));
}

// The cards share the width, so the grid fills the window without a ragged edge.
int BoardView::cardWidth() const
{
    const int cols = columns();
    return std::max(cardWidth_, (viewport()->width() - kGap) / cols - kGap);
}

int BoardView::cardHeight() const
{
    return headerHeight_ + model_->slotCount() * rowHeight_ + 6;
}

void BoardView::updateScrollBars()
{
    const int cols = columns();
    const long long rows = (model_->groupCount() + cols - 1) / cols;
    const long long content = kGap + rows * (cardHeight() + kGap);
    const int page = viewport()->height();
    verticalScrollBar()->setPageStep(page);
    verticalScrollBar()->setRange(0, int(std::min<long long>(INT_MAX / 2, std::max<long long>(0, content - page))));
}

QRect BoardView::cardRect(int group) const
{
    const int cols = columns();
    const int x = kGap + (group % cols) * (cardWidth() + kGap);
    const long long y = kGap + (long long)(group / cols) * (cardHeight() + kGap) - verticalScrollBar()->value();
    return QRect(x, int(y), cardWidth(), cardHeight());
}

QRect BoardView::slotRect(Slot at) const
{
    const QRect card = cardRect(at.group);
    return QRect(card.x() + 1, card.y() + headerHeight_ + at.slot * rowHeight_, card.width() - 2, rowHeight_);
}

BoardView::Slot BoardView::slotAt(const QPoint &point) const
{
    const int cols = columns();
    const long long x = point.x() - kGap;
    const long long y = (long long)point.y() + verticalScrollBar()->value() - kGap;
    if (x < 0 || y < 0)
        return {};
    const long long col = x / (cardWidth() + kGap);
    const long long row = y / (cardHeight() + kGap);
    if (col >= cols || x % (cardWidth() + kGap) >= cardWidth() || y % (cardHeight() + kGap) >= cardHeight())
        return {};
    const long long group = row * cols + col;
    if (group >= model_->groupCount())
        return {};
    const long long within = y % (cardHeight() + kGap) - headerHeight_;
    const long long slot = within < 0 ? -1 : within / rowHeight_;
    return {int(group), slot < model_->slotCount() ? int(slot) : -1};
}

void BoardView::setCurrent(Slot at)
{
    if (at.group < 0 || at.group >= model_->groupCount() || at.slot < 0 || at.slot >= model_->slotCount())
        return;
    current_ = at;
    ensureVisible(at);
    viewport()->update();
    emit currentChanged();
}

void BoardView::ensureVisible(Slot at)
{
    const QRect rect = slotRect(at).adjusted(0, at.slot == 0 ? -headerHeight_ : 0, 0, 0);
    QScrollBar *bar = verticalScrollBar();
    if (rect.top() < 0)
        bar->setValue(bar->value() + rect.top() - kGap);
    else if (rect.bottom() > viewport()->height())
        bar->setValue(bar->value() + rect.bottom() - viewport()->height() + kGap);
}

void BoardView::beginSwapPick(Slot person)
{
    if (!model_->isPerson(person))
        return;
    pickFrom_ = person;
    emit message(tr("Choose the person to swap %1 with, then press Enter or click them; Esc cancels.")
                     .arg(model_->slotText(person)));
}

void BoardView::finishPick(Slot with)
{
    const Slot from = pickFrom_;
    pickFrom_ = {};
    const bool swapped = model_->dropFor(from, with) == BoardModel::Drop::Swap;
    emit message(model_->swap(from, with));
    if (swapped)
        setCurrent(with);
}

void BoardView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void BoardView::mousePressEvent(QMouseEvent *event)
{
    const Slot at = slotAt(event->position().toPoint());
    if (at.group < 0)
        return;
    if (at.slot < 0) {
        // The title picks the group, for Pin Group and the keyboard.
        if (!isPickingSwap())
            setCurrent({at.group, 0});
        return;
    }
    setCurrent(at);
    if (event->button() != Qt::LeftButton)
        return;
    if (isPickingSwap()) {
        finishPick(at);
        return;
    }
    if (model_->isPerson(at)) {
        pressed_ = at;
        pressPoint_ = event->position().toPoint();
    }
}

void BoardView::mouseMoveEvent(QMouseEvent *event)
{
    if (pressed_.group < 0)
        return;
    const QPoint point = event->position().toPoint();
    if (!dragging_ && (point - pressPoint_).manhattanLength() < QApplication::startDragDistance())
        return;
    dragging_ = true;
    dragTo(point);
}

int BoardView::edgeScrollStep() const
{
    const int edge = rowHeight_;
    if (dragPoint_.y() < edge)
        return -rowHeight_ / 2;
    if (dragPoint_.y() > viewport()->height() - edge)
        return rowHeight_ / 2;
    return 0;
}

void BoardView::dragTo(const QPoint &point)
{
    dragPoint_ = point;
    dropTarget_ = slotAt(point);
    if (edgeScrollStep() != 0 && !edgeScroll_.isActive())
        edgeScroll_.start(30, this);
    else if (edgeScrollStep() == 0)
        edgeScroll_.stop();
    viewport()->update();
}

void BoardView::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != edgeScroll_.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    if (!dragging_ || edgeScrollStep() == 0) {
        edgeScroll_.stop();
        return;
    }
    verticalScrollBar()->setValue(verticalScrollBar()->value() + edgeScrollStep());
    dragTo(dragPoint_);
}

void BoardView::mouseReleaseEvent(QMouseEvent *event)
{
    const Slot from = pressed_;
    const bool wasDragging = dragging_;
    pressed_ = dropTarget_ = {};
    dragging_ = false;
    edgeScroll_.stop();
    viewport()->update();
    if (!wasDragging || from.group < 0)
        return;
    const Slot to = slotAt(event->position().toPoint());
    if (model_->dropFor(from, to) == BoardModel::Drop::None)
        return;
    Slot landed;
    emit message(model_->drop(from, to, &landed));
    if (landed.group >= 0)
        setCurrent(landed);
}

void BoardView::keyPressEvent(QKeyEvent *event)
{
    const int groups = model_->groupCount();
    const int slotCount = model_->slotCount();
    if (groups == 0 || slotCount == 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    Slot at = current_.group < 0 ? Slot{0, 0} : current_;
    const int pageGroups = columns() * std::max(1, viewport()->height() / (cardHeight() + kGap));
    switch (event->key()) {
    case Qt::Key_Up:
        if (at.slot > 0)
            --at.slot;
        else if (at.group > 0)
            at = {at.group - 1, slotCount - 1};
        break;
    case Qt::Key_Down:
        if (at.slot + 1 < slotCount)
            ++at.slot;
        else if (at.group + 1 < groups)
            at = {at.group + 1, 0};
        break;
    case Qt::Key_Left: at.group = std::max(0, at.group - 1); break;
    case Qt::Key_Right: at.group = std::min(groups - 1, at.group + 1); break;
    case Qt::Key_PageUp: at.group = std::max(0, at.group - pageGroups); break;
    case Qt::Key_PageDown: at.group = std::min(groups - 1, at.group + pageGroups); break;
    case Qt::Key_Home: at = {0, 0}; break;
    case Qt::Key_End: at = {groups - 1, slotCount - 1}; break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (isPickingSwap())
            finishPick(at);
        return;
    case Qt::Key_Escape:
        if (isPickingSwap()) {
            pickFrom_ = {};
            viewport()->update();
            emit message(tr("Swap cancelled."));
            return;
        }
        QAbstractScrollArea::keyPressEvent(event);
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    setCurrent(at);
}

bool BoardView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const Slot at = slotAt(help->pos());
        if (at.group < 0) {
            QToolTip::hideText();
            event->ignore();
        } else {
            const QString text = at.slot < 0 ? model_->groupToolTip(at.group) : model_->slotToolTip(at);
            QToolTip::showText(help->globalPos(), text, viewport(), at.slot < 0 ? cardRect(at.group) : slotRect(at));
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

} // namespace quorvia
