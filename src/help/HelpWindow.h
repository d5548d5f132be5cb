// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;

namespace quorvia {

// The program's own help viewer: a modeless window with the topics of the
// help document (contents), a search over them, and the text. The document is
// an HTML file that lies beside the program; when it cannot be found or read,
// the window says so itself, naming the file.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char *kFileName = "Quorvia.html";

    explicit HelpWindow(QWidget *owner = nullptr);

    // The help topics: (re)loads the document unless the window is already
    // showing, then shows it and brings it to the front. Returns at once.
    void showTopics();

    // Where the shown document was read from; empty when it could not be.
    const QString &helpFile() const { return helpFile_; }

    // The topic titles in contents order (sections and their subsections).
    QStringList topicTitles() const;
    // Scrolls the text to topic `index` of topicTitles().
    void showTopic(int index);
    // The topics whose text holds every word of `words` (any case).
    std::vector<int> searchTopics(const QString &words) const;

    // The places the help is looked for, in order: the program's own folder,
    // then the data folder of an installed program (../share/quorvia from
    // the program's folder).
    static QStringList candidatePaths(const QString &programDir);
    // The first candidate that exists for this program, or empty.
    static QString locateHelpFile();
    // Looked at before the program's folder (tests, portable set-ups);
    // empty to switch it off.
    static void setSearchDirectory(const QString &dir);

private:
    struct Topic {
        QString title;
        int block = 0;  // block number of the heading in the document
        int level = 2;
    };

    void load();
    void showProblem(const QString &html);
    void buildContents();
    void runSearch();
    void openSearchResult();
    int topicEnd(int index) const;

    QTabWidget *tabNavigation_ = nullptr;
    QTreeWidget *treContents_ = nullptr;
    QLineEdit *txtSearch_ = nullptr;
    QListWidget *lstSearchResults_ = nullptr;
    QTextBrowser *txtHelp_ = nullptr;

    QString helpFile_;
    std::vector<Topic> topics_;
};

} // namespace quorvia
