// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "board/BoardModel.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QPoint>
#include <QRect>

namespace quorvia {

// The groups as cards in a grid that wraps to the window's width, each card
// titled "Group N" over its slots. Only the cards in sight are painted, so a
// thousand groups open and scroll as fast as ten. A person is picked with a
// click or the arrow keys; dragging them onto a free slot or a card's title
// moves them, onto another person swaps the two.
class BoardView : public QAbstractScrollArea {
    Q_OBJECT
public:
    using Slot = BoardModel::Slot;

    explicit BoardView(BoardModel *model, QWidget *parent = nullptr);

    Slot current() const { return current_; }
    void setCurrent(Slot at);

    // Where things are, in viewport coordinates: a card, one of its slots,
    // its title band; and what lies under a point (slot -1: the title band).
    QRect cardRect(int group) const;
    QRect slotRect(Slot at) const;
    Slot slotAt(const QPoint &point) const;
    void ensureVisible(Slot at);

    // "Swap with...": the next person chosen (click, or Enter on the
    // current one) is swapped with `person`; Esc gives up.
    void beginSwapPick(Slot person);
    bool isPickingSwap() const { return pickFrom_.group >= 0; }

signals:
    void currentChanged();
    // What a drop or a pick did or why it was refused, for the status bar.
    void message(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    int columns() const;
    int cardHeight() const;
    int cardWidth() const;
    int rowHeight() const { return rowHeight_; }
    void updateScrollBars();
    void paintCard(QPainter &painter, int group, const QRect &exposed);
    void paintPin(QPainter &painter, const QRect &box) const;
    // The person met someone of the group in an earlier round.
    bool metBefore(const Slot &at) const;
    void finishPick(Slot with);
    // While a drag is held near the top or bottom edge, the board scrolls on its own.
    int edgeScrollStep() const;
    void dragTo(const QPoint &point);

    BoardModel *model_;
    Slot current_;
    Slot pickFrom_;
    Slot pressed_;
    Slot dropTarget_;
    QPoint pressPoint_;
    QPoint dragPoint_;
    bool dragging_ = false;
    QBasicTimer edgeScroll_;
    int rowHeight_ = 18;
    int headerHeight_ = 40;
    int cardWidth_ = 240;
    static constexpr int kGap = 10;
};

} // namespace quorvia
