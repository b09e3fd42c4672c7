// The two picture buttons of the administration window that change and clear
// the automatic-save folder: the dialogs around SaveFolderSetting. `shown` is
// the label of the administration window that displays the folder.
#pragma once

class QLabel;
class QWidget;

namespace backup {

// "Modificare cale salvari automate.": refused on network clients; a folder
// browser; the folder must take a probe file; then stored and shown.
void ChangeSaveFolderClicked(QWidget* parent, QLabel* shown);

// "Stergere cale salvari automate.": asks, then stores and shows "-".
void ClearSaveFolderClicked(QLabel* shown);

} // namespace backup
