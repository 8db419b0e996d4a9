#pragma once
// Boxes that take numbers. They take no input method: with one switched on for
// the names typed just before, digits would otherwise be composed as full-width
// characters. Full-width digits that reach such a box anyway (pasted or dropped)
// are taken as the same ASCII digits.
#include <QLineEdit>

class QComboBox;

namespace velmo {

// text with each full-width digit (U+FF10..U+FF19) replaced by its ASCII digit;
// every other character is kept.
QString ascii_digits(const QString& text);

// A line edit for numbers.
class NumberEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit NumberEdit(QWidget* parent = nullptr);
    // Answers Qt::ImEnabled with false; other queries as a line edit does. A drop-down
    // whose edit field this is asks it the same, so the drop-down refuses too.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
};

// Gives an editable drop-down a NumberEdit as its edit field, with the palette
// the drop-down gives its own edit field.
void give_number_edit(QComboBox& box);

// Gives a line edit made elsewhere (a standard dialog's) the same two rules.
void take_numbers(QLineEdit& edit);

}  // namespace velmo
