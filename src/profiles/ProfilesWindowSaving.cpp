// SPDX-License-Identifier: GPL-3.0-or-later
#include "profiles/ProfilesWindow.h"

#include "dialogs/MessageBox.h"
#include "pool/PoolFile.h"
#include "pool/PoolListing.h"
#include "pool/PoolLock.h"
#include "pool/PoolRewrite.h"
#include "pool/ProfileRules.h"

#include <QLineEdit>
#include <QListWidget>

// Saving the shown profile and deleting it: the editor's two writes to the pool.
namespace quorvia {
namespace {

void readTicks(const QListWidget *list, TraitFlags &flags)
{
    for (int t = 0; t < kTraitCount; ++t)
        flags[std::size_t(t)] = list->item(t)->checkState() == Qt::Checked ? kTrue : kFalse;
}

} // namespace

ProfileRecord ProfilesWindow::recordFromControls() const
{
    ProfileRecord record;
    setSavedTexts(record, txtFirstName->text(), txtLastName->text(), txtPosition->text());
    readTicks(lstOwnAttributes, record.OwnAttributes);
    readTicks(lstCompatibleWith, record.CompatibleWith);
    readTicks(lstIncompatibleWith, record.IncompatibleWith);
    return record;
}

bool ProfilesWindow::cmdSave_Click()
{
    if (textsBlank())
        return true;

    const ProfileRecord record = recordFromControls();
    QString error;
    if (readOnly_) {
        error = readOnlyRefusal(poolPath_, QStringLiteral("The profile has not been saved."));
    } else {
        PoolFile pool(poolPath_);
        // Another program may have changed the file since the record was shown
        // (a deletion moves every later person up one number): then this
        // number holds someone else, who must not be overwritten.
        if (!pool.openForWriting(&error) || !pool.write(currentRecordNumber_, record, &error, shownBytes_)) {
            error += QStringLiteral("\nThe profile has not been saved.");
        } else {
            shownBytes_ = QByteArray(kRecordSize, '\0');
            record.toBytes(shownBytes_.data());
        }
        pool.close();
    }
    if (!error.isEmpty()) {
        // The profile stays shown and counts as unsaved, so no later step drops it silently.
        profileModified_ = true;
        MessageBox::error(messageParent(), error);
        return false;
    }

    profileModified_ = false;
    setCaption();
    emit poolChanged();
    emit statusMessage(QStringLiteral("Saved %1 (record %2).").arg(personName(record)).arg(currentRecordNumber_));
    return true;
}

void ProfilesWindow::cmdDelete_Click()
{
    if (PoolFile::fileSize(poolPath_) <= 0)
        return;
    if (readOnly_) {
        MessageBox::error(this, readOnlyRefusal(poolPath_, QStringLiteral("Nothing was deleted.")));
        return;
    }
    if (MessageBox::show(this, QStringLiteral("Are you sure you wish to delete the current profile?"),
                         MessageBox::Style::Question) != MessageBox::Yes)
        return;

    QString error;
    const QByteArray deleted = shownBytes_;
    if (!rewritePoolWithout(poolPath_, currentRecordNumber_, deleted, &error)) {
        MessageBox::error(this, error);
        return;
    }
    // The same number now holds the profile that followed, or the blank position.
    LoadProfile();
    setCaption();
    if (deleted.isEmpty()) {
        emit poolChanged();
        emit statusMessage(QStringLiteral("No profile at record %1 was deleted.").arg(currentRecordNumber_));
        return;
    }
    QByteArray whole = deleted;
    whole.resize(kRecordSize, '\0');
    emit profileDeleted(currentRecordNumber_, QStringLiteral("Deleted %1 (record %2).")
                                                  .arg(personName(ProfileRecord::fromBytes(whole.constData())))
                                                  .arg(currentRecordNumber_));
}

} // namespace quorvia
