#include "dialogs/FileDialog.h"

#include "dialogs/MessageBox.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QtGlobal>

#include <deque>

namespace quorvia {
namespace {

struct Seam {
    bool testMode = false;
    std::deque<std::optional<QString>> choices;  // nullopt: cancel
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
    : QObject(owner), owner_(owner), mode_(mode), title_(title), filter_(filter), defaultSuffix_(defaultSuffix)
{
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
    for (;;) {
        const std::optional<QString> chosen = ask(initial);
        if (!chosen)
            return false;
        if (mode_ == Mode::Save && !confirmReplace(*chosen)) {
            // As the platform's save dialogs do: back to the dialog, the name kept.
            initial = *chosen;
            continue;
        }
        fileName_ = *chosen;
        return true;
    }
}

std::optional<QString> FileDialog::ask(const QString &initialName)
{
    Seam &s = seam();
    if (s.testMode) {
        s.shown.push_back({title_, initialName, initialName.isEmpty() ? startFolder_ : QString()});
        if (s.choices.empty())
            qFatal("Unexpected file dialog: %s", qPrintable(title_));
        std::optional<QString> choice = s.choices.front();
        s.choices.pop_front();
        if (!choice)
            return std::nullopt;
        return QDir::cleanPath(QFileInfo(withDefaultSuffix(*choice, defaultSuffix_)).absoluteFilePath());
    }

    QFileDialog dialog(owner_, title_);
    dialog.setNameFilter(filter_);
    dialog.setDefaultSuffix(defaultSuffix_);
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
    else if (!startFolder_.isEmpty())
        dialog.setDirectory(startFolder_);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty())
        return std::nullopt;
    return withDefaultSuffix(QDir::cleanPath(files.first()), defaultSuffix_);
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

void FileDialog::queueChoice(const QString &path)
{
    seam().testMode = true;
    seam().choices.emplace_back(path);
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
