#pragma once

#include <QDialog>
#include <QString>

namespace quorvia {

// The profile editor (frmProfiles): pages through the pool one record at a
// time, edits, saves and deletes. Shown modally over the main window.
class ProfilesWindow : public QDialog {
    Q_OBJECT
public:
    explicit ProfilesWindow(QWidget *owner);

    void setPoolPath(const QString &path);
    const QString &poolPath() const { return poolPath_; }

    // Opens afresh at record 1 of the current pool (or its blank position)
    // and runs modally until closed.
    void showModal();

    // Loads record 1 of the current pool and sets the caption without
    // showing the window (another pool was opened).
    void loadFirstRecord();

    // Offers to save a modified profile (asked at exit too).
    void PromptToSaveChanges();

    int CurrentRecordNumber() const { return currentRecordNumber_; }
    bool ProfileModified() const { return profileModified_; }

signals:
    // The pool file was changed by a save or a deletion: the owner rebuilds its list.
    void poolChanged();

private:
    QString poolPath_;
    int currentRecordNumber_ = 1;
    bool profileModified_ = false;
};

} // namespace quorvia
