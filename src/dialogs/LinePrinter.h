// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class QPrinter;
class QWidget;

namespace quorvia {

// Prints a document that is a list of lines: a 10-point font, one line under
// another from the top of the first page, a new page whenever one is full, no
// header, footer or page number.
//
// print() is the whole command: the print dialog (on the default printer, so
// the user may pick another printer or a PDF file), then the job. A cancelled
// dialog prints nothing; a job that fails is reported, never silent.
//
// Tests queue where the next job goes (a PDF file) or a cancel; in test mode
// no dialog is shown and a print that no test expected stops the test run.
class LinePrinter {
public:
    static constexpr int kPointSize = 10;

    // Shows the print dialog and prints. True when the document was printed;
    // `pages` then holds the number of pages.
    static bool print(QWidget *parent, const QString &documentName, const QStringList &lines,
                      int *pages = nullptr);

    // Prints on a printer that is already set up; false with a message for
    // the user when the job could not be started or finished.
    static bool printLines(QPrinter &printer, const QStringList &lines, QString *error, int *pages = nullptr);

    // How many lines fit on one page of `printer`, and so how many pages a
    // document of `lineCount` lines takes (at least one).
    static int linesPerPage(QPrinter &printer);
    static int pageCount(QPrinter &printer, int lineCount);

    // The test seam.
    static void setTestMode(bool on);
    static void queuePdf(const QString &path);
    static void queueCancel();
    static int pendingJobs();
    // Every document a test print was asked for, confirmed or not.
    static const std::vector<QStringList> &printedDocuments();
    static void clearPrintedDocuments();
};

} // namespace quorvia
