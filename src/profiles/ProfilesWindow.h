// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>

class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace quorvia {

struct ProfileRecord;

// The profile editor (frmProfiles): pages through the pool one record at a
// time, edits, saves and deletes. Shown modally over the main window.
//
// It always shows one record position of the pool: a stored record, or the
// blank position just after the last one, where a new profile is entered.
// The controls are the only copy of the shown profile; a save reads them back.
class ProfilesWindow : public QDialog {
    Q_OBJECT
public:
    explicit ProfilesWindow(QWidget *owner);

    void setPoolPath(const QString &path);
    const QString &poolPath() const { return poolPath_; }

    // Opens afresh at record 1 of the current pool (or its blank position)
    // and runs modally until closed.
    void showModal();
    // The same, at record `number` (a person picked in the selection list).
    void showModalAt(int number);

    // Read-only: another window has the pool. Saving and deleting are then
    // refused with a message; paging works as ever.
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool isReadOnly() const { return readOnly_; }

    // Loads record 1 of the current pool and sets the caption without
    // showing the window (another pool was opened).
    void loadFirstRecord();

    // Offers to save a modified profile (asked at exit too). Returns false
    // only when the user chose to save and the save failed (already
    // reported): the caller should then stay, or the typed profile is lost.
    bool PromptToSaveChanges();

    int CurrentRecordNumber() const { return currentRecordNumber_; }
    bool ProfileModified() const { return profileModified_; }

    // Fills the controls from record CurrentRecordNumber; the callers set the caption.
    void LoadProfile();

    // Writes the shown profile as record CurrentRecordNumber. Returns false
    // when the write failed (reported to the user; the profile stays shown
    // and marked as modified); a profile without any text is not written and
    // counts as success.
    bool cmdSave_Click();

    void cmdDelete_Click();
    void cmdNext_Click();
    void cmdPrevious_Click();
    void cmdNew_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

signals:
    // The pool file was changed by a save: the owner rebuilds its list.
    void poolChanged();
    // Record `number` was deleted and the records after it are one number
    // lower: everything that names records must follow. Raised instead of
    // poolChanged() and statusMessage(`said`).
    void profileDeleted(int number, const QString &said);
    // What a save or a deletion did, for the status bar.
    void statusMessage(const QString &text);

protected:
    // Every way of closing (OK, Cancel, Esc, the title bar) ends here.
    void done(int result) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void openTallEnough();
    void buildControls();
    void Form_Load();
    bool Form_Unload();
    void setCaption();
    QWidget *messageParent();

    // Reads one record and its stored bytes; a pool that cannot be opened is
    // reported and false returned.
    bool readRecord(int number, ProfileRecord *record, QByteArray *stored);
    // Moves to another record position after a successful read.
    void moveTo(int number);
    // The three texts as stored, then the 66 ticks in stored order, each
    // tick running its list's rule.
    void showRecord(const ProfileRecord &record);
    ProfileRecord recordFromControls() const;
    bool textsBlank() const;

    void lstOwnAttributes_ItemCheck(int Item);
    void lstCompatibleWith_ItemCheck(int Item);
    void lstIncompatibleWith_ItemCheck(int Item);
    void txtFirstName_Change();
    void txtLastName_Change();
    void txtPosition_Change();

    QString poolPath_;
    int currentRecordNumber_ = 1;
    bool profileModified_ = false;
    bool readOnly_ = false;
    // The bytes of the shown record as they were read or last written: a save
    // or a deletion first checks that the file still holds them.
    QByteArray shownBytes_;

    QGroupBox *fraVitals = nullptr;
    QLabel *lblFirstName = nullptr;
    QLineEdit *txtFirstName = nullptr;
    QLabel *lblLastName = nullptr;
    QLineEdit *txtLastName = nullptr;
    QLabel *lblPosition = nullptr;
    QLineEdit *txtPosition = nullptr;
    QLabel *lblInstructions1 = nullptr;
    QLabel *lblInstructions2 = nullptr;
    QGroupBox *fraOwnAttributes = nullptr;
    QListWidget *lstOwnAttributes = nullptr;
    QGroupBox *fraCompatibleWith = nullptr;
    QListWidget *lstCompatibleWith = nullptr;
    QGroupBox *fraIncompatibleWith = nullptr;
    QListWidget *lstIncompatibleWith = nullptr;
    QPushButton *cmdDelete = nullptr;
    QPushButton *cmdPrevious = nullptr;
    QPushButton *cmdSave = nullptr;
    QPushButton *cmdNext = nullptr;
    QPushButton *cmdNew = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
};

} // namespace quorvia
