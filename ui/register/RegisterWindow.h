// The register ("Lemne"): the working month's applications in a read-only
// grid with name search, sorting and a counter, and the commands that add,
// change, delete, copy, purge and correct applications. The work of each
// command is a function of ApplicationStore, MonthTransfer or
// MonthCorrections; this window collects the choices and re-opens the list.
#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class RegisterModel;
class ApplicationEditor;

namespace workbook { struct GridData; }
namespace hestavo { class WorkProgress; }

class RegisterWindow : public QDialog {
    Q_OBJECT
public:
    explicit RegisterWindow(QWidget* parent = nullptr);
    ~RegisterWindow() override;

    // Opens the list of the working month and shows the register modally.
    void Open();
    // The "Export DBF persoane" command, set by the program (the reports
    // library that builds the file sits above this one).
    static std::function<void(QWidget* parent)> ExportPersons;
    // The list query of the working month, the counter and the buttons.
    void openList();

    // The commands, each with what its dialog collected; the copy and the
    // purge first ask, naming how many applications they take.
    void addApplication();
    void modifyApplication();
    void deleteApplication();
    void copyFrom(const QString& month);
    void purgeAgainst(const QString& month);
    void changeAidMonths(int months);
    void setAid(bool withAid);
    void sortBy(int column);
    void exportTable(const QString& path, bool toClipboard, int format);
    // The grid as shown: titles and the listed rows.
    workbook::GridData gridData() const;

    qint64 currentKey() const;   // NRCRT of the current row, -1 when none
    int currentRow() const;
    ApplicationEditor& editor();

    QLineEdit* searchField;
    QLabel* counter;
    QTableView* grid;
    RegisterModel* model;
    QPushButton* addButton;
    QPushButton* modifyButton;
    QPushButton* deleteButton;
    QPushButton* copyButton;
    QPushButton* purgeButton;
    QPushButton* correctionsButton;
    QPushButton* exportButton;
    QList<QPushButton*> needRows;   // enabled exactly when the list is not empty

private:
    QPushButton* button(const QString& caption, const char* name);
    void buildButtons(QLayout* column);
    void search(const QString& text);
    void reopenAt(qint64 key);        // same key (or the first row)
    void reopenAtLast();
    void placeCursor(int row);
    void refreshCounter();
    // The sort indicator on the column the list is ordered by.
    void showOrder();
    void updateButtons();
    void notAvailable();
    void numberDecisionsAsked();
    void numberReportsAsked();
    void askCopy();
    void askPurge();
    void askApplicationDate();
    void askAidMonths();
    void askSetAid();
    void askExport();
    // Asks "<verb> N cereri din luna <month>?" ("Nu" focused) with the count
    // of what the command would take; true to go on (also when it takes
    // nothing), false on "Nu" or when the count failed.
    bool confirmTransfer(const QString& title, const QString& verb, const std::function<int()>& count, const QString& month);
    bool checkMonthChosen(const QString& title, const QString& text);
    // A month-wide correction under the progress window, the list re-opened
    // on the same application, then the success message.
    void runCorrection(const std::function<void(hestavo::WorkProgress*)>& work, const QString& title, const QString& text);
    int m_month = 0;
};
