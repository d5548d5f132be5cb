#pragma once

#include <QObject>
#include <QString>

#include <optional>
#include <vector>

class QWidget;

namespace quorvia {

// One of the main window's two file dialogs (dlgOpenNew, dlgExport): a title,
// one filter, a default suffix added to a typed name without one, and the
// last chosen name offered again next time.
//
// Open mode accepts a name that does not exist yet (it becomes a new pool)
// and never asks about existing files. Save mode asks before an existing file
// is replaced; answering No goes back to the dialog.
//
// Tests queue the next choices in advance; in test mode no dialog is shown
// and a dialog that no test expected stops the test run.
class FileDialog : public QObject {
    Q_OBJECT
public:
    enum class Mode { Open, Save };

    // `filter` is the description shown, with its pattern in parentheses,
    // e.g. "Quorvia (*.Qvr)"; `defaultSuffix` comes without the dot.
    FileDialog(QWidget *owner, Mode mode, const QString &title, const QString &filter,
               const QString &defaultSuffix);

    Mode mode() const { return mode_; }
    const QString &title() const { return title_; }
    const QString &filter() const { return filter_; }
    const QString &defaultSuffix() const { return defaultSuffix_; }

    // Shows the dialog modally over its owner. True when the user confirmed a
    // choice, which fileName() then gives; false on cancel (nothing changes).
    bool exec();

    // The folder the dialog opens in while it has no earlier choice to offer
    // (the folder of the open pool).
    void setStartFolder(const QString &folder) { startFolder_ = folder; }

    // Full path of the last confirmed choice; empty before the first one.
    const QString &fileName() const { return fileName_; }

    // The default suffix rule: a name whose last component has no dot gets
    // "." + suffix; a name with any suffix, or a folder, is kept.
    static QString withDefaultSuffix(const QString &path, const QString &suffix);

    // The test seam.
    struct Shown {
        QString title;
        QString initialName;  // what the dialog offered: the previous choice
        QString folder;       // where it opened when there was none
    };
    static void setTestMode(bool on);
    static void queueChoice(const QString &path);  // as if typed: suffix rule applies
    static void queueCancel();
    static int pendingChoices();
    static const std::vector<Shown> &shownDialogs();
    static void clearShownDialogs();

private:
    std::optional<QString> ask(const QString &initialName);
    bool confirmReplace(const QString &path);

    QWidget *owner_;
    Mode mode_;
    QString title_;
    QString filter_;
    QString defaultSuffix_;
    QString fileName_;
    QString startFolder_;
};

} // namespace quorvia
