// SPDX-License-Identifier: GPL-3.0-or-later
#include "profiles/ProfilesWindow.h"

#include "dialogs/AppSettings.h"
#include "dialogs/MessageBox.h"
#include "pool/PoolFile.h"
#include "pool/ProfileRecord.h"
#include "pool/ProfileRules.h"
#include "pool/TraitCatalogue.h"
#include "pool/Windows1252.h"

#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QValidator>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <cmath>

namespace quorvia {
namespace {

// Refuses typed or pasted characters that a pool file cannot store, instead
// of letting the save turn them into '?', and control characters: a pasted
// line break or tab would split a person's line in the listing and the export.
class StorableTextValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        const bool hasControl = std::any_of(input.cbegin(), input.cend(),
                                            [](QChar c) { return c.category() == QChar::Other_Control; });
        return !hasControl && decodeWindows1252(encodeWindows1252(input)) == input ? Acceptable : Invalid;
    }
};

bool isTicked(const QListWidget *list, int item) { return list->item(item)->checkState() == Qt::Checked; }

// A tick set here raises the list's itemChanged, and so its rule, before it returns.
void setTicked(QListWidget *list, int item, bool ticked)
{
    list->item(item)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void fillTicks(QListWidget *list, const TraitFlags &flags)
{
    for (int t = 0; t < kTraitCount; ++t)
        setTicked(list, t, isSet(flags[std::size_t(t)]));
}

// Nearest whole number, a half going to the even neighbour.
int roundHalfEven(double value)
{
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    return whole >= double(INT_MAX) ? INT_MAX : int(whole);
}

QString promptText()
{
    return QStringLiteral("The current profile may have been modified.\r\n"
                          "Do you want to save any changes before proceeding?");
}

} // namespace

ProfilesWindow::ProfilesWindow(QWidget *owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmProfiles"));
    // Modal to the main window only, so that the help stays usable beside it.
    setWindowModality(Qt::WindowModal);
    buildControls();
    setCaption();
}

void ProfilesWindow::openTallEnough()
{
    // Every trait of every list in sight, so that a tick the trait rules take
    // back never happens out of view; no taller than the screen.
    const QList<QListWidget *> lists{lstOwnAttributes, lstCompatibleWith, lstIncompatibleWith};
    QList<int> usual;
    for (QListWidget *list : lists) {
        usual << list->minimumHeight();
        list->setMinimumHeight(list->sizeHintForRow(0) * list->count() + 2 * list->frameWidth());
    }
    const int wanted = layout()->totalMinimumSize().height();
    for (qsizetype i = 0; i < lists.size(); ++i)
        lists.at(i)->setMinimumHeight(usual.at(i));
    const int screenHeight = screen() ? screen()->availableGeometry().height() - 60 : wanted;
    resize(640, std::max(640, std::min(wanted, screenHeight)));
}

void ProfilesWindow::buildControls()
{
    auto button = [this](QPushButton *&member, const char *name, const QString &caption) {
        member = new QPushButton(caption, this);
        member->setObjectName(QLatin1String(name));
        // No button is pressed by Enter in a text box or list (see keyPressEvent).
        member->setAutoDefault(false);
        return member;
    };
    auto label = [](QLabel *&member, const char *name, const QString &caption, QWidget *parent) {
        member = new QLabel(caption, parent);
        member->setObjectName(QLatin1String(name));
        return member;
    };
    auto textBox = [this](QLineEdit *&member, const char *name, QWidget *parent) {
        member = new QLineEdit(parent);
        member->setObjectName(QLatin1String(name));
        member->setMaxLength(kTextSize);
        member->setValidator(new StorableTextValidator(member));
        return member;
    };
    auto traitList = [this](QGroupBox *&frame, const char *frameName, const QString &caption, QListWidget *&list,
                            const char *listName, const QString &description) {
        frame = new QGroupBox(caption, this);
        frame->setObjectName(QLatin1String(frameName));
        list = new QListWidget(frame);
        list->setObjectName(QLatin1String(listName));
        list->setUniformItemSizes(true);
        for (const QString &trait : traitCatalogue()) {
            auto *item = new QListWidgetItem(trait, list);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
        list->setMinimumHeight(list->sizeHintForRow(0) * 7 + 2 * list->frameWidth());
        list->setAccessibleName(caption);
        list->setAccessibleDescription(description);
        auto *layout = new QVBoxLayout(frame);
        layout->addWidget(list);
        return frame;
    };

    fraVitals = new QGroupBox(QStringLiteral("Vitals"), this);
    fraVitals->setObjectName(QStringLiteral("fraVitals"));
    auto *vitals = new QGridLayout(fraVitals);
    vitals->addWidget(label(lblFirstName, "lblFirstName", QStringLiteral("First Name:"), fraVitals), 0, 0);
    vitals->addWidget(label(lblLastName, "lblLastName", QStringLiteral("Last Name:"), fraVitals), 0, 1);
    vitals->addWidget(textBox(txtFirstName, "txtFirstName", fraVitals), 1, 0);
    vitals->addWidget(textBox(txtLastName, "txtLastName", fraVitals), 1, 1);
    vitals->addWidget(label(lblPosition, "lblPosition", QStringLiteral("Position:"), fraVitals), 2, 0);
    vitals->addWidget(textBox(txtPosition, "txtPosition", fraVitals), 3, 0);
    lblFirstName->setBuddy(txtFirstName);
    lblLastName->setBuddy(txtLastName);
    lblPosition->setBuddy(txtPosition);
    for (const auto &[box, name] : {std::pair{txtFirstName, "First name"}, {txtLastName, "Last name"},
                                    {txtPosition, "Position"}}) {
        box->setAccessibleName(QLatin1String(name));
        box->setAccessibleDescription(QStringLiteral("Up to %1 characters").arg(kTextSize));
    }

    label(lblInstructions1, "lblInstructions1",
          QStringLiteral("Please note that within each of the following three lists are some items which are the "
                         "opposites of others."),
          this)->setWordWrap(true);
    label(lblInstructions2, "lblInstructions2",
          QStringLiteral("Specific compatibility/incompatibility with a certain trait should be indicated by the "
                         "selection of the check box to left of the trait."),
          this)->setWordWrap(true);

    traitList(fraOwnAttributes, "fraOwnAttributes", QStringLiteral("Own Attributes"), lstOwnAttributes,
              "lstOwnAttributes", QStringLiteral("The traits this person has; tick with Space"));
    traitList(fraCompatibleWith, "fraCompatibleWith", QStringLiteral("Compatible With"), lstCompatibleWith,
              "lstCompatibleWith", QStringLiteral("The traits of people this person works well with; tick with Space"));
    traitList(fraIncompatibleWith, "fraIncompatibleWith", QStringLiteral("Incompatible With"), lstIncompatibleWith,
              "lstIncompatibleWith",
              QStringLiteral("The traits of people this person does not work well with; tick with Space"));

    button(cmdDelete, "cmdDelete", QStringLiteral("Delete"));
    button(cmdPrevious, "cmdPrevious", QStringLiteral("Previous"));
    button(cmdSave, "cmdSave", QStringLiteral("Save"));
    button(cmdNext, "cmdNext", QStringLiteral("Next"));
    button(cmdNew, "cmdNew", QStringLiteral("New"));
    button(cmdOK, "cmdOK", QStringLiteral("OK"));
    button(cmdCancel, "cmdCancel", QStringLiteral("Cancel"));

    // Two columns of equal width, the buttons in one row below them.
    auto *left = new QVBoxLayout;
    left->addWidget(fraVitals);
    left->addWidget(lblInstructions1);
    left->addWidget(fraOwnAttributes, 1);
    auto *right = new QVBoxLayout;
    right->addWidget(lblInstructions2);
    right->addWidget(fraCompatibleWith, 1);
    right->addWidget(fraIncompatibleWith, 1);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {cmdDelete, cmdPrevious, cmdSave, cmdNext, cmdNew})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto *grid = new QGridLayout(this);
    grid->addLayout(left, 0, 0);
    grid->addLayout(right, 0, 1);
    grid->addLayout(buttons, 1, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(0, 1);
    openTallEnough();
    new WindowPlace(this, QStringLiteral("editor"));

    for (const auto &[control, description] :
         {std::pair{cmdDelete, "Deletes the shown profile from the pool"},
          {cmdPrevious, "Shows the profile before this one"}, {cmdSave, "Saves the shown profile"},
          {cmdNext, "Shows the profile after this one"}, {cmdNew, "Shows the blank position for a new profile"},
          {cmdOK, "Saves the shown profile and closes the editor"},
          {cmdCancel, "Offers to save changes and closes the editor"}})
        control->setAccessibleDescription(QLatin1String(description));

    // Tab in reading order: the left column, the right column, the buttons.
    const QList<QWidget *> order = {txtFirstName, txtLastName, txtPosition, lstOwnAttributes, lstCompatibleWith,
                                    lstIncompatibleWith, cmdDelete, cmdPrevious, cmdSave, cmdNext, cmdNew,
                                    cmdOK, cmdCancel};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(cmdDelete, &QPushButton::clicked, this, &ProfilesWindow::cmdDelete_Click);
    connect(cmdPrevious, &QPushButton::clicked, this, &ProfilesWindow::cmdPrevious_Click);
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdNext, &QPushButton::clicked, this, &ProfilesWindow::cmdNext_Click);
    connect(cmdNew, &QPushButton::clicked, this, &ProfilesWindow::cmdNew_Click);
    connect(cmdOK, &QPushButton::clicked, this, &ProfilesWindow::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &ProfilesWindow::cmdCancel_Click);

    const std::pair<QKeySequence, QPushButton *> shortcuts[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_S), cmdSave},
        {QKeySequence(Qt::CTRL | Qt::Key_N), cmdNew},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), cmdPrevious},
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), cmdNext},
    };
    for (const auto &[keys, target] : shortcuts)
        connect(new QShortcut(keys, this), &QShortcut::activated, target, &QPushButton::click);

    connect(txtFirstName, &QLineEdit::textChanged, this, &ProfilesWindow::txtFirstName_Change);
    connect(txtLastName, &QLineEdit::textChanged, this, &ProfilesWindow::txtLastName_Change);
    connect(txtPosition, &QLineEdit::textChanged, this, &ProfilesWindow::txtPosition_Change);
    connect(lstOwnAttributes, &QListWidget::itemChanged, this,
            [this](QListWidgetItem *item) { lstOwnAttributes_ItemCheck(lstOwnAttributes->row(item)); });
    connect(lstCompatibleWith, &QListWidget::itemChanged, this,
            [this](QListWidgetItem *item) { lstCompatibleWith_ItemCheck(lstCompatibleWith->row(item)); });
    connect(lstIncompatibleWith, &QListWidget::itemChanged, this,
            [this](QListWidgetItem *item) { lstIncompatibleWith_ItemCheck(lstIncompatibleWith->row(item)); });
}

void ProfilesWindow::setPoolPath(const QString &path) { poolPath_ = path; }

void ProfilesWindow::setCaption()
{
    setWindowTitle(QStringLiteral("Profiles - %1 (%2 Saved)")
                       .arg(QString::number(currentRecordNumber_),
                            formatRecordCount(PoolFile::recordCountOf(poolPath_))));
}

QWidget *ProfilesWindow::messageParent() { return isVisible() ? this : parentWidget(); }

void ProfilesWindow::showModal()
{
    Form_Load();
    exec();
}

void ProfilesWindow::showModalAt(int number)
{
    currentRecordNumber_ = std::max(1, number);
    LoadProfile();
    setCaption();
    exec();
}

void ProfilesWindow::loadFirstRecord() { Form_Load(); }

void ProfilesWindow::Form_Load()
{
    currentRecordNumber_ = 1;
    LoadProfile();
    setCaption();
}

bool ProfilesWindow::Form_Unload() { return PromptToSaveChanges(); }

void ProfilesWindow::done(int result)
{
    // A save asked for on the way out that failed keeps the window open, so
    // the profile is not lost; the user has been told and may close again.
    if (!Form_Unload())
        return;
    QDialog::done(result);
}

void ProfilesWindow::keyPressEvent(QKeyEvent *event)
{
    // Enter presses the focused button and nothing else: typing a name and
    // pressing Enter must not save, close or delete anything.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto *focused = qobject_cast<QPushButton *>(focusWidget()))
            focused->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool ProfilesWindow::readRecord(int number, ProfileRecord *record, QByteArray *stored)
{
    PoolFile pool(poolPath_);
    QString error;
    if (!pool.openForReading(&error)) {
        MessageBox::error(messageParent(), error);
        *record = ProfileRecord();
        stored->clear();
        return false;
    }
    *record = pool.read(number);
    *stored = pool.storedBytes(number);
    pool.close();
    return true;
}

void ProfilesWindow::showRecord(const ProfileRecord &record)
{
    txtFirstName->setText(fieldText(record.FirstName));
    txtLastName->setText(fieldText(record.LastName));
    txtPosition->setText(fieldText(record.Position));
    // A stored record that breaks a rule is shown repaired, as an import stores it.
    ProfileRecord shown = record;
    applyLoadedTraitRules(shown);
    fillTicks(lstOwnAttributes, shown.OwnAttributes);
    fillTicks(lstCompatibleWith, shown.CompatibleWith);
    fillTicks(lstIncompatibleWith, shown.IncompatibleWith);
}

void ProfilesWindow::LoadProfile()
{
    ProfileRecord record;
    readRecord(currentRecordNumber_, &record, &shownBytes_);  // a failure shows the blank record
    showRecord(record);
    // Filling the controls ran their change handlers; a load is no change.
    profileModified_ = false;
}

void ProfilesWindow::moveTo(int number)
{
    ProfileRecord record;
    QByteArray stored;
    if (!readRecord(number, &record, &stored))
        return;
    currentRecordNumber_ = number;
    shownBytes_ = stored;
    showRecord(record);
    profileModified_ = false;
    setCaption();
}

void ProfilesWindow::cmdNext_Click()
{
    const double count = PoolFile::recordCountOf(poolPath_);
    if (currentRecordNumber_ + 1.0 > count + 1.0)
        return;  // already at the blank position
    if (!PromptToSaveChanges())
        return;
    moveTo(currentRecordNumber_ + 1);
}

void ProfilesWindow::cmdPrevious_Click()
{
    if (currentRecordNumber_ - 1 < 1)
        return;
    if (!PromptToSaveChanges())
        return;
    moveTo(currentRecordNumber_ - 1);
}

void ProfilesWindow::cmdNew_Click()
{
    if (!PromptToSaveChanges())
        return;
    // Counted after the prompt, so a profile it saved is counted too.
    currentRecordNumber_ = roundHalfEven(PoolFile::recordCountOf(poolPath_) + 1.0);
    LoadProfile();
    setCaption();
}

void ProfilesWindow::cmdOK_Click()
{
    if (!cmdSave_Click())
        return;
    accept();
}

void ProfilesWindow::cmdCancel_Click()
{
    if (!PromptToSaveChanges())
        return;
    reject();
}

bool ProfilesWindow::textsBlank() const
{
    return trimBlanks(txtFirstName->text()).isEmpty() && trimBlanks(txtLastName->text()).isEmpty()
        && trimBlanks(txtPosition->text()).isEmpty();
}

bool ProfilesWindow::PromptToSaveChanges()
{
    if (!profileModified_)
        return true;
    profileModified_ = false;
    // A profile without any text is never offered for saving; its ticks are dropped.
    if (textsBlank())
        return true;
    if (MessageBox::show(messageParent(), promptText(), MessageBox::Style::QuestionDefaultNo) != MessageBox::Yes)
        return true;
    return cmdSave_Click();
}

void ProfilesWindow::lstOwnAttributes_ItemCheck(int Item)
{
    profileModified_ = true;
    if (Item > 1 && isTicked(lstOwnAttributes, Item))
        setTicked(lstOwnAttributes, oppositeTrait(Item), false);
}

void ProfilesWindow::lstCompatibleWith_ItemCheck(int Item)
{
    profileModified_ = true;
    if (isTicked(lstCompatibleWith, Item))
        setTicked(lstIncompatibleWith, Item, false);
}

void ProfilesWindow::lstIncompatibleWith_ItemCheck(int Item)
{
    profileModified_ = true;
    if (isTicked(lstIncompatibleWith, Item))
        setTicked(lstCompatibleWith, Item, false);
}

void ProfilesWindow::txtFirstName_Change() { profileModified_ = true; }
void ProfilesWindow::txtLastName_Change() { profileModified_ = true; }
void ProfilesWindow::txtPosition_Change() { profileModified_ = true; }

} // namespace quorvia
