// The folder a report writes into: a subfolder of a folder the user picks,
// emptied first (after asking) so that the report's files are the only ones
// in it. Shared by the AJPIS report, its county variant and the supplier
// reports.
#pragma once

#include <QString>

class QWidget;

// Prepares chosenParent + "/" + subfolder: when it exists, asks in a warning
// dialog with the heading whether to replace it ("&Nu" ends with an empty
// result), deletes it with all its content and shows an error dialog when it
// is still there (a file in it held open); then creates it with any missing
// parents. Returns the full path of the empty folder, or an empty text when
// the user declined or the folder could not be replaced or created.
QString PrepareOutputFolder(const QString& chosenParent, const QString& subfolder, const QString& heading);

// Shows the folder chooser with the prompt (cancel gives an empty result),
// then prepares the subfolder of the chosen folder as above.
QString ChooseOutputFolder(QWidget* parent, const QString& prompt, const QString& subfolder, const QString& heading);
