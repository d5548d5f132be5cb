// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/FileDialog.h"

#include "dialogs/AppSettings.h"
#include "dialogs/MessageBox.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QtGlobal>

#include <algorithm>
#include <deque>

namespace quorvia {
namespace {

struct Seam {
    bool testMode = false;
    std::deque<std::optional<std::pair<QString, int>>> choices;  // path and file type; nullopt: cancel
    std::vector<FileDialog::Shown> shown;
};

Seam &seam()
{
    static Seam instance;
    return instance;
}

} // namespace

FileDialog::FileDialog(QWidget *owner, Mode mode, const QString &title, const QString &filter,
                       const QString &defaultSuffix)
    : QObject(owner), owner_(owner), mode_(mode), title_(title), filters_{filter}, suffixes_{defaultSuffix}
{
}

void FileDialog::addFilter(const QString &filter, const QString &defaultSuffix)
{
    filters_ << filter;
    suffixes_ << defaultSuffix;
}

QString FileDialog::withDefaultSuffix(const QString &path, const QString &suffix)
{
    if (path.isEmpty() || suffix.isEmpty())
        return path;
    const QFileInfo info(path);
    if (info.isDir() || info.fileName().contains(QLatin1Char('.')))
        return path;
    return path + QLatin1Char('.') + suffix;
}

bool FileDialog::exec()
{
    QString initial = fileName_;
    int initialFilter = selectedFilter_;
    for (;;) {
        const std::optional<Choice> chosen = ask(initial, initialFilter);
        if (!chosen)
            return false;
        // A name that will be refused anyway is refused before any question about replacing it.
        if (refusal_) {
            const QString problem = refusal_(chosen->path);
            if (!problem.isEmpty()) {
                MessageBox::error(owner_, problem);
                return false;
            }
        }
        if (mode_ == Mode::Save && !confirmReplace(chosen->path)) {
            // As the platform's save dialogs do: back to the dialog, the name kept.
            initial = chosen->path;
            initialFilter = chosen->filter;
            continue;
        }
        fileName_ = chosen->path;
        selectedFilter_ = chosen->filter;
        AppSettings::setLastFolder(QFileInfo(fileName_).absolutePath());
        return true;
    }
}

std::optional<FileDialog::Choice> FileDialog::ask(const QString &initialName, int initialFilter)
{
    Seam &s = seam();
    if (s.testMode) {
        s.shown.push_back({title_, initialName, initialName.isEmpty() ? startFolder() : QString()});
        if (s.choices.empty())
            qFatal("Unexpected file dialog: %s", qPrintable(title_));
        const auto choice = s.choices.front();
        s.choices.pop_front();
        if (!choice)
            return std::nullopt;
        const int filter = std::clamp(choice->second, 0, int(filters_.size()) - 1);
        const QString typed = withDefaultSuffix(choice->first, suffixes_.at(filter));
        return Choice{QDir::cleanPath(QFileInfo(typed).absoluteFilePath()), filter};
    }

    QFileDialog dialog(owner_, title_);
    dialog.setNameFilters(filters_);
    dialog.selectNameFilter(filters_.at(initialFilter));
    dialog.setDefaultSuffix(suffixes_.at(initialFilter));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, this](const QString &picked) {
        dialog.setDefaultSuffix(suffixes_.value(filters_.indexOf(picked), suffixes_.front()));
    });
    dialog.setFileMode(QFileDialog::AnyFile);
    if (mode_ == Mode::Open) {
        // Native open dialogs refuse a name that does not exist yet, and a
        // new name is how a new pool is made: Qt's own dialog takes it.
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // The replace question is asked once, by confirmReplace().
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    }
    if (!initialName.isEmpty())
        dialog.selectFile(initialName);
    else if (!startFolder().isEmpty())
        dialog.setDirectory(startFolder());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty())
        return std::nullopt;
    const int filter = std::max(0, int(filters_.indexOf(dialog.selectedNameFilter())));
    return Choice{withDefaultSuffix(QDir::cleanPath(files.first()), suffixes_.at(filter)), filter};
}

QString FileDialog::startFolder() const
{
    const QString remembered = AppSettings::lastFolder();
    return !remembered.isEmpty() && QFileInfo(remembered).isDir() ? remembered : startFolder_;
}

bool FileDialog::confirmReplace(const QString &path)
{
    const QFileInfo info(path);
    // Only a regular file is replaced; anything else is refused afterwards
    // with its own message, so asking about it would be a question too many.
    if (!info.isFile())
        return true;
    const QString text = tr("%1 already exists.\nDo you want to replace it?").arg(QDir::toNativeSeparators(path));
    return MessageBox::show(owner_, text, MessageBox::Style::QuestionDefaultNo) == MessageBox::Yes;
}

void FileDialog::setTestMode(bool on) { seam().testMode = on; }

void FileDialog::queueChoice(const QString &path, int filter)
{
    seam().testMode = true;
    seam().choices.emplace_back(std::make_pair(path, filter));
}

void FileDialog::queueCancel()
{
    seam().testMode = true;
    seam().choices.emplace_back(std::nullopt);
}

int FileDialog::pendingChoices() { return int(seam().choices.size()); }

const std::vector<FileDialog::Shown> &FileDialog::shownDialogs() { return seam().shown; }

void FileDialog::clearShownDialogs() { seam().shown.clear(); }

} // namespace quorvia
