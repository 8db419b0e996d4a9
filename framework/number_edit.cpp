#include "framework/number_edit.h"

#include <QComboBox>
#include <QEvent>
#include <QInputMethodQueryEvent>
#include <QValidator>

namespace velmo {

QString ascii_digits(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19) c = QChar(u'0' + (c.unicode() - 0xFF10));
    return out;
}

namespace {

// Full-width digits become ASCII digits as they enter the edit, before anyone
// is told of the new text; one character for one, so the cursor stays.
class AsciiDigitsValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        input = ascii_digits(input);
        return Acceptable;
    }
};

void keep_ascii_digits(QLineEdit& edit) { edit.setValidator(new AsciiDigitsValidator(&edit)); }

// Answers an input method's questions to the edit it watches as the edit would,
// except that it takes no input method.
class RefuseInputMethod : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::InputMethodQuery) return false;
        auto* query = static_cast<QInputMethodQueryEvent*>(event);
        const auto* edit = static_cast<const QLineEdit*>(watched);
        const auto asked = static_cast<unsigned>(query->queries().toInt());
        for (unsigned bit = 0; bit < 32; ++bit) {
            if (!(asked & (1u << bit))) continue;
            const auto q = static_cast<Qt::InputMethodQuery>(1u << bit);
            query->setValue(q, q == Qt::ImEnabled ? QVariant(false) : edit->inputMethodQuery(q));
        }
        query->accept();
        return true;
    }
};

}  // namespace

NumberEdit::NumberEdit(QWidget* parent) : QLineEdit(parent) { keep_ascii_digits(*this); }

QVariant NumberEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImEnabled) return false;
    return QLineEdit::inputMethodQuery(query);
}

void give_number_edit(QComboBox& box) {
    auto* edit = new NumberEdit(&box);
    edit->setPalette(box.palette());
    box.setLineEdit(edit);
}

void take_numbers(QLineEdit& edit) {
    edit.installEventFilter(new RefuseInputMethod(&edit));
    keep_ascii_digits(edit);
}

}  // namespace velmo
