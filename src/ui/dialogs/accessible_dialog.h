// What screen readers see of a small dialog: its stops, in the keyboard's
// order, as children named from the language tables; a field of its own is
// there as itself.
#pragma once

class QDialog;

namespace varcel::ui {

// Makes Qt ask us for the dialogs' accessible objects; once per program.
void installAccessibleDialogs();
// The keyboard went to stop `stop` of the dialog.
void announceDialogFocus(QDialog& dialog, int stop);

} // namespace varcel::ui
