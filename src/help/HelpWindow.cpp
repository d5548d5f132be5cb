// SPDX-License-Identifier: GPL-3.0-or-later
#include "help/HelpWindow.h"

#include "dialogs/AppSettings.h"

#include "help/Logo.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTreeWidget>
#include <QVBoxLayout>

#ifndef QUORVIA_HELP_RELATIVE_DIR
#define QUORVIA_HELP_RELATIVE_DIR "../share/quorvia"
#endif

namespace quorvia {
namespace {

QString &searchDirectory()
{
    static QString dir;
    return dir;
}

QStringList searchWords(const QString &text)
{
    return text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

HelpWindow::HelpWindow(QWidget *owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(tr("Quorvia Help"));
    setWindowIcon(quorviaIcon());

    tabNavigation_ = new QTabWidget;
    tabNavigation_->setObjectName(QStringLiteral("tabNavigation"));

    treContents_ = new QTreeWidget;
    treContents_->setObjectName(QStringLiteral("treContents"));
    treContents_->setHeaderHidden(true);
    tabNavigation_->addTab(treContents_, tr("&Contents"));

    auto *searchPage = new QWidget;
    txtSearch_ = new QLineEdit;
    txtSearch_->setObjectName(QStringLiteral("txtSearch"));
    txtSearch_->setPlaceholderText(tr("Words to find"));
    txtSearch_->setClearButtonEnabled(true);
    lstSearchResults_ = new QListWidget;
    lstSearchResults_->setObjectName(QStringLiteral("lstSearchResults"));
    auto *searchLayout = new QVBoxLayout(searchPage);
    searchLayout->addWidget(new QLabel(tr("Find the topics that contain all of these words:")));
    searchLayout->addWidget(txtSearch_);
    searchLayout->addWidget(lstSearchResults_, 1);
    tabNavigation_->addTab(searchPage, tr("&Search"));

    txtHelp_ = new QTextBrowser;
    txtHelp_->setObjectName(QStringLiteral("txtHelp"));
    txtHelp_->setOpenExternalLinks(true);

    auto *splitter = new QSplitter;
    splitter->addWidget(tabNavigation_);
    splitter->addWidget(txtHelp_);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 620});
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(splitter);
    resize(880, 620);
    new WindowPlace(this, QStringLiteral("help"));

    connect(treContents_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        showTopic(item->data(0, Qt::UserRole).toInt());
    });
    connect(treContents_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) {
        showTopic(item->data(0, Qt::UserRole).toInt());
    });
    connect(txtSearch_, &QLineEdit::textChanged, this, &HelpWindow::runSearch);
    connect(txtSearch_, &QLineEdit::returnPressed, this, [this] {
        if (lstSearchResults_->count() > 0) {
            lstSearchResults_->setCurrentRow(0);
            openSearchResult();
        }
    });
    connect(lstSearchResults_, &QListWidget::itemClicked, this, &HelpWindow::openSearchResult);
    connect(lstSearchResults_, &QListWidget::itemActivated, this, &HelpWindow::openSearchResult);
}

QStringList HelpWindow::candidatePaths(const QString &programDir)
{
    const QDir dir(programDir);
    return {QDir::cleanPath(dir.filePath(QLatin1String(kFileName))),
            QDir::cleanPath(dir.filePath(QStringLiteral(QUORVIA_HELP_RELATIVE_DIR "/") + QLatin1String(kFileName)))};
}

QString HelpWindow::locateHelpFile()
{
    QStringList candidates = candidatePaths(QCoreApplication::applicationDirPath());
    if (!searchDirectory().isEmpty())
        candidates.prepend(QDir::cleanPath(QDir(searchDirectory()).filePath(QLatin1String(kFileName))));
    for (const QString &path : candidates)
        if (QFileInfo(path).isFile())
            return path;
    return QString();
}

void HelpWindow::setSearchDirectory(const QString &dir) { searchDirectory() = dir; }

void HelpWindow::showTopics()
{
    if (!isVisible())
        load();
    show();
    raise();
    activateWindow();
}

void HelpWindow::load()
{
    helpFile_.clear();
    topics_.clear();
    treContents_->clear();
    lstSearchResults_->clear();

    const QString path = locateHelpFile();
    if (path.isEmpty()) {
        QStringList looked = candidatePaths(QCoreApplication::applicationDirPath());
        if (!searchDirectory().isEmpty())
            looked.prepend(QDir(searchDirectory()).filePath(QLatin1String(kFileName)));
        QString places;
        for (const QString &place : looked)
            places += QStringLiteral("<li>%1</li>").arg(QDir::toNativeSeparators(place).toHtmlEscaped());
        showProblem(tr("<h1>The help is missing</h1>"
                       "<p>The help file <b>%1</b> could not be found. Quorvia looked for it here:</p>"
                       "<ul>%2</ul>"
                       "<p>It is installed together with the program; installing Quorvia again puts it back.</p>")
                        .arg(QLatin1String(kFileName), places));
        return;
    }

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        showProblem(tr("<h1>The help cannot be read</h1>"
                       "<p>The help file <b>%1</b> could not be read: %2.</p>")
                        .arg(QDir::toNativeSeparators(path).toHtmlEscaped(), file.errorString().toHtmlEscaped()));
        return;
    }
    const QString html = QString::fromUtf8(file.readAll());
    txtHelp_->setSearchPaths({QFileInfo(path).absolutePath()});
    txtHelp_->setHtml(html);
    helpFile_ = path;
    buildContents();
    txtHelp_->verticalScrollBar()->setValue(0);
}

void HelpWindow::showProblem(const QString &html)
{
    txtHelp_->setHtml(html);
}

void HelpWindow::buildContents()
{
    const QTextDocument *doc = txtHelp_->document();
    QTreeWidgetItem *section = nullptr;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level != 2 && level != 3)
            continue;
        const QString title = block.text().simplified();
        if (title.isEmpty())
            continue;
        const int index = int(topics_.size());
        topics_.push_back({title, block.blockNumber(), level});
        QTreeWidgetItem *item = (level == 3 && section) ? new QTreeWidgetItem(section)
                                                        : new QTreeWidgetItem(treContents_);
        item->setText(0, title);
        item->setData(0, Qt::UserRole, index);
        if (level == 2)
            section = item;
    }
    treContents_->expandAll();
}

QStringList HelpWindow::topicTitles() const
{
    QStringList titles;
    for (const Topic &topic : topics_)
        titles << topic.title;
    return titles;
}

void HelpWindow::showTopic(int index)
{
    if (index < 0 || index >= int(topics_.size()))
        return;
    QTextDocument *doc = txtHelp_->document();
    const QTextBlock block = doc->findBlockByNumber(topics_[std::size_t(index)].block);
    txtHelp_->setTextCursor(QTextCursor(block));
    const QRectF where = doc->documentLayout()->blockBoundingRect(block);
    txtHelp_->verticalScrollBar()->setValue(int(where.top()));
}

// The first position after topic `index`: where the next heading starts.
int HelpWindow::topicEnd(int index) const
{
    const QTextDocument *doc = txtHelp_->document();
    if (index + 1 < int(topics_.size()))
        return doc->findBlockByNumber(topics_[std::size_t(index) + 1].block).position();
    return doc->characterCount() - 1;
}

std::vector<int> HelpWindow::searchTopics(const QString &words) const
{
    std::vector<int> found;
    const QStringList wanted = searchWords(words);
    if (wanted.isEmpty())
        return found;
    QTextDocument *doc = txtHelp_->document();
    for (int i = 0; i < int(topics_.size()); ++i) {
        QTextCursor range(doc);
        range.setPosition(doc->findBlockByNumber(topics_[std::size_t(i)].block).position());
        range.setPosition(topicEnd(i), QTextCursor::KeepAnchor);
        const QString text = range.selectedText();
        bool all = true;
        for (const QString &word : wanted)
            all = all && text.contains(word, Qt::CaseInsensitive);
        if (all)
            found.push_back(i);
    }
    return found;
}

void HelpWindow::runSearch()
{
    lstSearchResults_->clear();
    for (int index : searchTopics(txtSearch_->text())) {
        auto *item = new QListWidgetItem(topics_[std::size_t(index)].title, lstSearchResults_);
        item->setData(Qt::UserRole, index);
    }
}

void HelpWindow::openSearchResult()
{
    const QListWidgetItem *item = lstSearchResults_->currentItem();
    if (!item)
        return;
    const int index = item->data(Qt::UserRole).toInt();
    showTopic(index);
    // Mark the first place in the topic where the first word stands.
    const QStringList words = searchWords(txtSearch_->text());
    if (words.isEmpty())
        return;
    QTextDocument *doc = txtHelp_->document();
    QTextCursor from(doc->findBlockByNumber(topics_[std::size_t(index)].block));
    const QTextCursor hit = doc->find(words.first(), from);
    if (!hit.isNull() && hit.position() <= topicEnd(index)) {
        txtHelp_->setTextCursor(hit);
        txtHelp_->ensureCursorVisible();
    }
}

} // namespace quorvia
