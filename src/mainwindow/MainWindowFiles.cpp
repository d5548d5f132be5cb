#include "mainwindow/MainWindow.h"

// Placeholder: opening pools, printing, export, help and about are built in their own step.
namespace quorvia {

void MainWindow::setUpFileCommands() {}
void MainWindow::closeHelp() {}
void MainWindow::mnuOpenNewPool_Click() {}
void MainWindow::PrintGroups() {}
void MainWindow::ExportGroups() {}
void MainWindow::mnuPrintPool_Click() {}
void MainWindow::mnuTopics_Click() {}
void MainWindow::mnuAbout_Click() {}

} // namespace quorvia
