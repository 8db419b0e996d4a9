#pragma once
// Where the work beyond the specified windows meets them: its menu items, each
// opening its own window over the year window's LedgerView.
class TForm1;

namespace velmo {

// Adds the items to form's menus; called once, from form's constructor.
void install_beyond_hooks(TForm1& form);

}  // namespace velmo
