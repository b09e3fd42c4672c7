// The monthly AJPIS report: the annex workbooks the town hall sends to the
// county agency, written into a prepared output folder. The menu command and
// hestavo-cli both call WriteAjpisReport with what their dialogs or options
// collected.
//
// Each workbook is filled in memory and written beside its final name, which
// it takes only when complete, so a failure leaves the workbooks finished
// before it and nothing half written. An annex without any row writes no
// workbook; the outcome names it instead.
// Errors: ExportError (a template is missing or cannot be written),
// engine::Error, workbook::WorkbookError (a template or an output file).
#pragma once

#include "register/AdminSettings.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace hestavo {

struct AjpisRequest {
    QString workingMonth;   // MM.YYYY
    int startSerial = 0;    // first month of the reported period
    int endSerial = 0;      // last month of the reported period
    QString outputFolder;   // an existing, empty folder
};

// One workbook written: its file name, the number of data rows it lists (or
// the applications its grid counts) and the total of its amounts or counts.
struct AjpisFile {
    QString name;
    int rows = 0;
    double total = 0;
};

struct AjpisOutcome {
    QList<AjpisFile> files;
    QStringList withoutData;   // file names not written because no row qualified
    QStringList writtenEmpty;  // monthly returns written without rows (an empty list, an all-zero grid)
};

// Receives the progress texts; step is true where the progress bar advances.
class AjpisProgress {
public:
    virtual ~AjpisProgress() = default;
    virtual void stage(const QString& text, bool step) = 0;
};

AjpisOutcome WriteAjpisReport(const AjpisRequest& request, const AdminSettings& settings,
                              AjpisProgress* progress = nullptr);

// The folder of the report below the folder the user picks.
inline const QString kAjpisFolder = QStringLiteral("LEMNE_AJPIS");

} // namespace hestavo
