// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MainWindow.h"

#include "arrangement/GroupArrangement.h"
#include "arrangement/PoolRules.h"
#include "mainwindow/PoolFilterModel.h"
#include "mainwindow/PoolListModel.h"
#include "profiles/ProfilesWindow.h"
#include "roundswindow/RoundsWindow.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

#include <functional>

// Finding people in a large pool: the filter box over the selection list,
// opening a person's profile from the list, F1 for the help, the status bar.
namespace quorvia {
namespace {

// Double-click or Enter on an item of the list: `open` gets that item.
class OpenItemFilter : public QObject {
public:
    OpenItemFilter(QListView *view, std::function<void(const QModelIndex &)> open)
        : QObject(view), view_(view), open_(std::move(open))
    {
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick && watched == view_->viewport()) {
            const auto *click = static_cast<QMouseEvent *>(event);
            const QPoint at = click->position().toPoint();
            const QModelIndex index = view_->indexAt(at);
            // A quick second click on the tick box is for the tick, not for the editor.
            const QStyle *style = view_->style();
            const int tickBox = style->pixelMetric(QStyle::PM_IndicatorWidth)
                + 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
            if (click->button() == Qt::LeftButton && index.isValid()
                && at.x() - view_->visualRect(index).left() > tickBox) {
                open_(index);
                return true;
            }
        } else if (event->type() == QEvent::KeyPress && watched == view_) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if ((key == Qt::Key_Return || key == Qt::Key_Enter) && view_->currentIndex().isValid()) {
                open_(view_->currentIndex());
                return true;
            }
        }
        return false;
    }

private:
    QListView *view_;
    std::function<void(const QModelIndex &)> open_;
};

} // namespace

void MainWindow::setUpFinding()
{
    poolFilter_ = new PoolFilterModel(poolList_, this);
    lstSelect->setModel(poolFilter_);

    txtFilter = new QLineEdit(fraSelect);
    txtFilter->setObjectName(QStringLiteral("txtFilter"));
    txtFilter->setPlaceholderText(tr("Find people"));
    txtFilter->setClearButtonEnabled(true);
    qobject_cast<QVBoxLayout *>(fraSelect->layout())->insertWidget(0, txtFilter);
    setTabOrder(txtFilter, lstSelect);
    connect(txtFilter, &QLineEdit::textChanged, poolFilter_, &PoolFilterModel::setFilterWords);
    // Enter in the box moves on to the list, to tick or open the first match.
    connect(txtFilter, &QLineEdit::returnPressed, this, [this] {
        lstSelect->setFocus();
        if (!lstSelect->currentIndex().isValid() && poolFilter_->rowCount() > 0)
            lstSelect->setCurrentIndex(poolFilter_->index(0, 0));
    });

    new OpenItemFilter(lstSelect, [this](const QModelIndex &index) { openPersonAt(index); });

    // Also from the profile editor, which leaves the help window usable.
    auto *help = new QShortcut(QKeySequence::HelpContents, this, nullptr, nullptr, Qt::ApplicationShortcut);
    connect(help, &QShortcut::activated, this, &MainWindow::mnuTopics_Click);

    auto *readOnlyMark = new QLabel(tr("Read-only"), this);
    readOnlyMark->setObjectName(QStringLiteral("lblReadOnly"));
    readOnlyMark->setToolTip(tr("Another window has this pool open: profiles cannot be saved or deleted here."));
    readOnlyMark->hide();
    statusBar()->addPermanentWidget(readOnlyMark);
}

void MainWindow::openPersonAt(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    profilesWindow()->showModalAt(index.data(PoolListModel::RecordNumberRole).toInt());
}

void MainWindow::showStatus(const QString &text) { statusBar()->showMessage(text); }

void MainWindow::setReadOnly(bool readOnly)
{
    readOnly_ = readOnly;
    if (profiles_)
        profiles_->setReadOnly(readOnly);
    // The rules and the rounds beside the pool are not written either.
    arrangement_->rules()->setReadOnly(readOnly);
    if (frmRounds)
        frmRounds->setReadOnly(readOnly);
    findChild<QLabel *>(QStringLiteral("lblReadOnly"))->setVisible(readOnly);
}

} // namespace quorvia
