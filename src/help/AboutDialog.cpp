// SPDX-License-Identifier: GPL-3.0-or-later
#include "help/AboutDialog.h"

#include "help/Logo.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvia {

AboutDialog::AboutDialog(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Quorvia"));
    setModal(true);

    picAbout = new QLabel(this);
    picAbout->setObjectName(QStringLiteral("picAbout"));
    picAbout->setPixmap(quorviaLogo());
    picAbout->setFixedSize(kLogoWidth, kLogoHeight);

    lblAbout1 = new QLabel(QStringLiteral("Quorvia v. 1.2.6"), this);
    lblAbout1->setObjectName(QStringLiteral("lblAbout1"));
    QFont bold = lblAbout1->font();
    bold.setBold(true);
    lblAbout1->setFont(bold);
    lblAbout2 = new QLabel(tr("Divides a pool of people into groups of people who suit each other."), this);
    lblAbout2->setObjectName(QStringLiteral("lblAbout2"));
    lblAbout3 = new QLabel(tr("Built with Qt %1. Help is under Help, Topics.").arg(QLatin1String(QT_VERSION_STR)),
                           this);
    lblAbout3->setObjectName(QStringLiteral("lblAbout3"));

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    // accept() hides the box; it stays made for the next time.
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(picAbout, 0, Qt::AlignHCenter);
    layout->addSpacing(8);
    layout->addWidget(lblAbout1, 0, Qt::AlignHCenter);
    layout->addWidget(lblAbout2, 0, Qt::AlignHCenter);
    layout->addWidget(lblAbout3, 0, Qt::AlignHCenter);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void AboutDialog::centreOverOwner()
{
    const QWidget *owner = parentWidget();
    if (!owner)
        return;
    const QRect ownerFrame = owner->window()->frameGeometry();
    QRect frame = frameGeometry();
    frame.moveCenter(ownerFrame.center());
    move(frame.topLeft());
}

void AboutDialog::showModal()
{
    adjustSize();
    centreOverOwner();
    exec();
}

} // namespace quorvia
