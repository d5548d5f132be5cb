// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace quorvia {

// The about box (frmAbout): the logo, the version and two lines about the
// program. Made once and hidden by OK, so it shows again unchanged.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *owner);

    // Modal over the owner, centred on it; returns when OK hides the box.
    void showModal();

private:
    void centreOverOwner();

    QLabel *picAbout = nullptr;
    QLabel *lblAbout1 = nullptr;
    QLabel *lblAbout2 = nullptr;
    QLabel *lblAbout3 = nullptr;
    QPushButton *cmdOK = nullptr;
};

} // namespace quorvia
