// "Verificare inainte de raportare": the findings of the working month's
// check in a sortable grid, with their counts per rule. Enter or a double
// click opens the application in the editor; the list is checked again when
// the editor closes. "Exporta" writes the list as a workbook.
#pragma once

#include "register/MonthCheck.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

class MonthCheckWindow : public QDialog {
    Q_OBJECT
public:
    explicit MonthCheckWindow(QWidget* parent = nullptr);

    // Checks the working month and shows the window modally.
    static void Execute(QWidget* parent);
    // Runs the check again and fills the grid and the counts.
    void refresh();
    // The editor on the current finding's application, then a new check.
    void openCurrent();
    void exportList();

    const std::vector<hestavo::MonthFinding>& findings() const { return m_findings; }

    QTableWidget* grid;
    QLabel* summary;
    QPushButton* exportButton;
    QPushButton* closeButton;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillGrid();
    std::vector<hestavo::MonthFinding> m_findings;
};
