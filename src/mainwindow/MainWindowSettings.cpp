// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/MainWindow.h"

#include "dialogs/AppSettings.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QValidator>

// What the main window remembers between runs: its place, the size inputs,
// Even sizes, and the pools opened lately (File > Recent Pools).
namespace quorvia {
namespace {

const QString kSizeOption = QStringLiteral("groups/perGroup");
const QString kAmount = QStringLiteral("groups/amount");
const QString kPerGroup = QStringLiteral("groups/peoplePerGroup");
const QString kEvenSizes = QStringLiteral("groups/evenSizes");

} // namespace

void MainWindow::setUpSettings()
{
    mainPlace_ = new WindowPlace(this, QStringLiteral("main"));

    if (AppSettings::value(kSizeOption).toBool()) {
        optPeoplePerGroup->setChecked(true);
        optPeoplePerGroup_Click();
    }
    // Through the boxes' own validators: a damaged value is not taken.
    auto restoreBox = [](QLineEdit *box, const QString &key) {
        QString text = AppSettings::value(key).toString();
        int position = 0;
        if (box->validator()->validate(text, position) == QValidator::Acceptable)
            box->setText(text);
    };
    restoreBox(txtAmountGroupsDesired, kAmount);
    restoreBox(txtPeoplePerGroup, kPerGroup);
    chkEvenSizes->setChecked(AppSettings::value(kEvenSizes).toBool());

    connect(optPeoplePerGroup, &QRadioButton::toggled, this,
            [](bool on) { AppSettings::setValue(kSizeOption, on); });
    connect(txtAmountGroupsDesired, &QLineEdit::textChanged, this,
            [](const QString &text) { AppSettings::setValue(kAmount, text); });
    connect(txtPeoplePerGroup, &QLineEdit::textChanged, this,
            [](const QString &text) { AppSettings::setValue(kPerGroup, text); });
    connect(chkEvenSizes, &QCheckBox::toggled, this, [](bool on) { AppSettings::setValue(kEvenSizes, on); });

    mnuRecentPools = new QMenu(tr("&Recent Pools"), this);
    mnuRecentPools->setObjectName(QStringLiteral("mnuRecentPools"));
    mnuFile->insertMenu(mnuSeparator1, mnuRecentPools);
    connect(mnuRecentPools, &QMenu::aboutToShow, this, &MainWindow::fillRecentPools);
    fillRecentPools();
}

void MainWindow::rememberRecentPool()
{
    AppSettings::addRecentPool(PoolPath);
    fillRecentPools();
}

void MainWindow::fillRecentPools()
{
    mnuRecentPools->clear();
    const QStringList pools = AppSettings::recentPools();
    QStringList missing;
    for (const QString &pool : pools) {
        QAction *item = mnuRecentPools->addAction(QDir::toNativeSeparators(pool));
        // A pool that is gone is shown greyed rather than created anew by a click.
        item->setEnabled(QFileInfo(pool).isFile());
        if (!item->isEnabled())
            missing << pool;
        connect(item, &QAction::triggered, this, [this, pool] { openPoolAt(pool); });
    }
    if (!pools.isEmpty())
        mnuRecentPools->addSeparator();
    QAction *removeMissing = mnuRecentPools->addAction(tr("Remove &Missing Pools"));
    removeMissing->setObjectName(QStringLiteral("mnuRemoveMissingPools"));
    removeMissing->setEnabled(!missing.isEmpty());
    connect(removeMissing, &QAction::triggered, this, [this, pools, missing] {
        QStringList kept = pools;
        for (const QString &pool : missing)
            kept.removeAll(pool);
        AppSettings::setRecentPools(kept);
        fillRecentPools();
    });
    QAction *clear = mnuRecentPools->addAction(tr("&Clear List"));
    clear->setObjectName(QStringLiteral("mnuClearRecentPools"));
    clear->setEnabled(!pools.isEmpty());
    connect(clear, &QAction::triggered, this, [this] {
        AppSettings::setRecentPools({});
        fillRecentPools();
    });
    mnuRecentPools->setEnabled(AppSettings::isEnabled());
}

} // namespace quorvia
