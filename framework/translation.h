#pragma once
// Qt's own words in Japanese: the standard buttons ("はい", "いいえ", "キャンセル")
// and the file, input and print dialogs, whatever locale the user runs under.

namespace velmo {

// Loads Qt's Japanese translation from Qt's translations directory and makes
// Japanese the default locale of Qt's widgets. Call once the application object
// exists, before the windows are created. False when the translation is not
// installed; Qt's texts then stay in English.
bool use_japanese_ui();

}  // namespace velmo
