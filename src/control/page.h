// The main window's pages: the controller says which one is shown, the
// window's layout table which elements belong to each.
#pragma once

namespace varcel {

enum class Page { None = 0, Key = 1, Advanced = 2 };

} // namespace varcel
