// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/LinePrinter.h"

#include "dialogs/MessageBox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QtGlobal>

#include <cmath>
#include <deque>
#include <optional>

namespace quorvia {
namespace {

struct Seam {
    bool testMode = false;
    std::deque<std::optional<QString>> jobs;  // nullopt: the dialog is cancelled
    std::vector<QStringList> documents;
};

Seam &seam()
{
    static Seam instance;
    return instance;
}

QString tr(const char *text) { return QCoreApplication::translate("quorvia::LinePrinter", text); }

QFont documentFont()
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(LinePrinter::kPointSize);
    return font;
}

void setUpPage(QPrinter &printer)
{
    printer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
}

// Where the job went, for the message when it fails.
QString destination(const QPrinter &printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return tr("the PDF file %1").arg(QDir::toNativeSeparators(printer.outputFileName()));
    return tr("the printer \"%1\"").arg(printer.printerName());
}

} // namespace

int LinePrinter::linesPerPage(QPrinter &printer)
{
    const QFontMetricsF metrics(documentFont(), &printer);
    const double height = printer.pageLayout().paintRectPixels(printer.resolution()).height();
    return qMax(1, int(std::floor(height / metrics.lineSpacing())));
}

int LinePrinter::pageCount(QPrinter &printer, int lineCount)
{
    const int perPage = linesPerPage(printer);
    return qMax(1, (lineCount + perPage - 1) / perPage);
}

bool LinePrinter::printLines(QPrinter &printer, const QStringList &lines, QString *error, int *pages)
{
    QPainter painter;
    if (!painter.begin(&printer)) {
        *error = tr("The document could not be printed: %1 could not be opened.\n"
                    "Check that the printer is ready, or print to a PDF file in a folder that exists.")
                     .arg(destination(printer));
        return false;
    }
    const QFont font = documentFont();
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    const QRectF page(QPointF(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
    const double lineHeight = metrics.lineSpacing();
    const int perPage = linesPerPage(printer);

    int onPage = 0;
    int pageNumber = 1;
    for (const QString &line : lines) {
        if (onPage == perPage) {
            if (!printer.newPage()) {
                painter.end();
                *error = tr("The document could not be printed: %1 refused a new page.").arg(destination(printer));
                return false;
            }
            onPage = 0;
            ++pageNumber;
        }
        // Lines that do not fit the width are cut with an ellipsis rather than
        // running off the paper.
        const QString shown = metrics.elidedText(line, Qt::ElideRight, page.width());
        painter.drawText(QPointF(0, onPage * lineHeight + metrics.ascent()), shown);
        ++onPage;
    }
    if (!painter.end()) {
        *error = tr("The document could not be finished on %1.").arg(destination(printer));
        return false;
    }
    if (pages)
        *pages = pageNumber;
    return true;
}

bool LinePrinter::print(QWidget *parent, const QString &documentName, const QStringList &lines, int *pages)
{
    Seam &s = seam();
    // Opens on the system's default printer; without any printer the dialog
    // still offers printing to a PDF file.
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(documentName);
    setUpPage(printer);

    if (s.testMode) {
        s.documents.push_back(lines);
        if (s.jobs.empty())
            qFatal("Unexpected print dialog: %s", qPrintable(documentName));
        const std::optional<QString> job = s.jobs.front();
        s.jobs.pop_front();
        if (!job)
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(*job);
    } else {
        QPrintDialog dialog(&printer, parent);
        dialog.setWindowTitle(tr("Print %1").arg(documentName));
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        if (dialog.exec() != QDialog::Accepted)
            return false;
    }

    QString error;
    if (!printLines(printer, lines, &error, pages)) {
        MessageBox::error(parent, error);
        return false;
    }
    return true;
}

void LinePrinter::setTestMode(bool on) { seam().testMode = on; }

void LinePrinter::queuePdf(const QString &path)
{
    seam().testMode = true;
    seam().jobs.emplace_back(path);
}

void LinePrinter::queueCancel()
{
    seam().testMode = true;
    seam().jobs.emplace_back(std::nullopt);
}

int LinePrinter::pendingJobs() { return int(seam().jobs.size()); }

const std::vector<QStringList> &LinePrinter::printedDocuments() { return seam().documents; }

void LinePrinter::clearPrintedDocuments() { seam().documents.clear(); }

} // namespace quorvia
