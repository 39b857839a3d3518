// What screen readers see of a small dialog: its stops, in the keyboard's
// order, as children named from the language tables; a field of its own is
// there as itself.
#pragma once

namespace varcel::ui {

// Makes Qt ask us for the accessible objects of the dialogs that are
// KeyedDialogs; once per program.
void installAccessibleDialogs();

} // namespace varcel::ui
