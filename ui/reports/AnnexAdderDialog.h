// "Adunare Anexe": the list of annex workbooks of one kind to combine, with
// "Adauga Anexa", "Goleste Lista" and "Aduna Anexele" (enabled from two files
// on). The combined workbook is opened for the user; the inputs stay as they are.
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class AnnexAdderDialog : public QDialog {
    Q_OBJECT
public:
    explicit AnnexAdderDialog(QWidget* parent = nullptr);

    // Clears the list, sets the label "ANEXA " + kind and shows the dialog modally.
    void Open(int kind);
    // The button commands; addFile takes the path the open-file dialog gave.
    void addFile(const QString& path);
    void clearList();
    void addUp();

    QStringList files() const { return m_files; }
    QLabel* Label;
    QPlainTextEdit* List;
    QPushButton* AddButton;
    QPushButton* ClearButton;
    QPushButton* SumButton;

private:
    void setBusy(bool busy);
    int m_kind = 0;
    QStringList m_files;
};
