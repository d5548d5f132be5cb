// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
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
    const QString &filter() const { return filters_.front(); }
    const QString &defaultSuffix() const { return suffixes_.front(); }

    // A further file type the user can pick, with its own default suffix; the
    // first one stays the default.
    void addFilter(const QString &filter, const QString &defaultSuffix);
    const QStringList &filters() const { return filters_; }
    // Index of the file type of the last confirmed choice (0 before any).
    int selectedFilter() const { return selectedFilter_; }

    // A check of a confirmed name, made before anything is asked about it:
    // it returns why the name is refused (shown to the user, and the command
    // ends as if cancelled), or an empty text.
    void setRefusal(std::function<QString(const QString &path)> refusal) { refusal_ = std::move(refusal); }

    // Shows the dialog modally over its owner. True when the user confirmed a
    // choice, which fileName() then gives; false on cancel (nothing changes).
    bool exec();

    // The folder the dialog opens in while it has no earlier choice to offer
    // (the folder of the open pool), unless a folder chosen in an earlier run
    // is remembered.
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
    // As if typed with file type `filter` picked: that type's suffix rule applies.
    static void queueChoice(const QString &path, int filter = 0);
    static void queueCancel();
    static int pendingChoices();
    static const std::vector<Shown> &shownDialogs();
    static void clearShownDialogs();

private:
    struct Choice {
        QString path;
        int filter = 0;
    };
    std::optional<Choice> ask(const QString &initialName, int initialFilter);
    bool confirmReplace(const QString &path);
    QString startFolder() const;

    QWidget *owner_;
    Mode mode_;
    QString title_;
    QStringList filters_;
    QStringList suffixes_;
    QString fileName_;
    QString startFolder_;
    int selectedFilter_ = 0;
    std::function<QString(const QString &)> refusal_;
};

} // namespace quorvia
