// AuditLogWindow: the read-only list of the latest actions written to the audit log.
#pragma once

#include <QDialog>

class QTableWidget;
class QPushButton;

class AuditLogWindow : public QDialog {
    Q_OBJECT
public:
    explicit AuditLogWindow(QWidget* parent = nullptr);
    // Reads the Log table ordered by IDLOG and positions on the newest row.
    // Engine failures propagate as engine::Error.
    void Load();
    // Load, then show modally.
    void Execute();

    QTableWidget* Grid;
    QPushButton* Inchide;
};
