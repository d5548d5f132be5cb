#include "mainwindow/MainWindow.h"

// Placeholder: the size inputs and Calculate are built in their own step.
namespace quorvia {

void MainWindow::setUpSizeInputs() {}
void MainWindow::optAmountGroupsDesired_Click() {}
void MainWindow::optPeoplePerGroup_Click() {}
void MainWindow::cmdCalculate_Click() {}

} // namespace quorvia
