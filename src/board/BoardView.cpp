#include "board/BoardView.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QToolTip>

namespace quorvia {
namespace {

const QColor kConflict(0xc0, 0x20, 0x20);
const QColor kDropOk(0xc8, 0xec, 0xc8);
const QColor kDropRefused(0xf4, 0xc8, 0xc8);

} // namespace

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
    painter.drawText(QRect(header.x() + 6, header.y() + 4 + line, header.width() - 12, line), Qt::AlignVCenter,
                     model_->groupSummary(group));
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
        // The other side of each conflict of the person picked.
        if (current_.group == group && current_.slot != s && model_->clash(current_, at)) {
            painter.setPen(QPen(kConflict, 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(rect.adjusted(2, 1, -3, -2));
        }
    }
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
    dragPoint_ = point;
    // Near the top or bottom edge the board scrolls, so far groups can be reached.
    const int edge = rowHeight_;
    if (point.y() < edge)
        verticalScrollBar()->setValue(verticalScrollBar()->value() - rowHeight_);
    else if (point.y() > viewport()->height() - edge)
        verticalScrollBar()->setValue(verticalScrollBar()->value() + rowHeight_);
    dropTarget_ = slotAt(point);
    viewport()->update();
}

void BoardView::mouseReleaseEvent(QMouseEvent *event)
{
    const Slot from = pressed_;
    const bool wasDragging = dragging_;
    pressed_ = dropTarget_ = {};
    dragging_ = false;
    viewport()->update();
    if (!wasDragging || from.group < 0)
        return;
    const Slot to = slotAt(event->position().toPoint());
    const BoardModel::Drop kind = model_->dropFor(from, to);
    if (kind == BoardModel::Drop::None)
        return;
    emit message(model_->drop(from, to));
    if (kind == BoardModel::Drop::Swap)
        setCurrent(to);
    else if (kind == BoardModel::Drop::Move)
        setCurrent({to.group, model_->arrangement()->peopleIn(to.group) - 1});
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
