#include "profiles/ProfilesWindow.h"

// Placeholder until the editor is built: lets the main window link.
namespace quorvia {

ProfilesWindow::ProfilesWindow(QWidget *owner) : QDialog(owner) { setObjectName(QStringLiteral("frmProfiles")); }
void ProfilesWindow::setPoolPath(const QString &path) { poolPath_ = path; }
void ProfilesWindow::showModal() {}
void ProfilesWindow::loadFirstRecord() {}
void ProfilesWindow::PromptToSaveChanges() {}

} // namespace quorvia
