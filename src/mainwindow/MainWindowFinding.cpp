#include "mainwindow/MainWindow.h"

#include "mainwindow/PoolFilterModel.h"
#include "mainwindow/PoolListModel.h"
#include "profiles/ProfilesWindow.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QShortcut>
#include <QStatusBar>
#include <QVBoxLayout>

// Finding people in a large pool: the filter box over the selection list,
// opening a person's profile from the list, F1 for the help, the status bar.
namespace quorvia {

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

    connect(lstSelect, &QListView::doubleClicked, this, &MainWindow::openPersonAt);
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto *enter = new QShortcut(QKeySequence(key), lstSelect, nullptr, nullptr, Qt::WidgetShortcut);
        connect(enter, &QShortcut::activated, this, [this] { openPersonAt(lstSelect->currentIndex()); });
    }

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
    findChild<QLabel *>(QStringLiteral("lblReadOnly"))->setVisible(readOnly);
}

} // namespace quorvia
