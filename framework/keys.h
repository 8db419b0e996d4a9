#pragma once
// The desktop keyboard's virtual key codes, as the amount edits check them.
class QKeyEvent;

namespace velmo {

// 48..57 digits, 96..105 keypad digits, 8 backspace, 9 tab, 13 enter, 16..18
// shift/ctrl/alt, 37..40 arrows, 45 insert, 46 delete, 144 num lock; letters
// 65..90; 0 for keys without a code here.
int virtual_key_code(const QKeyEvent& event);

}  // namespace velmo
