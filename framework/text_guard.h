#pragma once
// Keeps what the user types storable: a guarded edit refuses characters that
// CP932 cannot hold (with a message naming the character) and text beyond a
// byte limit (counted in CP932 bytes, never splitting a character).
#include <QObject>
#include <QString>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace velmo {

// The message shown for a character that cannot be stored.
QString unencodable_message(const QString& character);

// Returns the text that may stay in an edit: previous when text holds a character
// CP932 cannot hold (offending receives it), else text cut to max_bytes.
QString guarded_text(const QString& text, const QString& previous, std::size_t max_bytes, QString* offending);

void guard_text(QLineEdit* edit, std::size_t max_bytes);
void guard_text(QComboBox* combo, std::size_t max_bytes);  // its edit field
void guard_text(QPlainTextEdit* memo, std::size_t max_bytes);

}  // namespace velmo
