#pragma once
// Where the work beyond the specified windows meets them: its menu items, each
// opening its own window over the year window's LedgerView.
class TForm1;

namespace velmo {

// Registers the codecs of the player's settings kept with the name registry
// (budget, hall rates, machine numbers); before the registry is first read, by
// the window or by a command-line mode.
void register_settings_records();

// Adds the items to form's menus; called once, from form's constructor.
void install_beyond_hooks(TForm1& form);

}  // namespace velmo
