#include "framework/text_guard.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>

#include "framework/cp932.h"
#include "framework/dialogs.h"

namespace velmo {

QString unencodable_message(const QString& character) {
    return QString::fromUtf8("「") + character + QString::fromUtf8("」は記録できない文字です");
}

QString guarded_text(const QString& text, const QString& previous, std::size_t max_bytes, QString* offending) {
    auto bytes = to_cp932(text);
    if (!bytes) {
        if (offending) *offending = first_unencodable(text);
        return previous;
    }
    if (bytes->size() <= max_bytes) return text;
    return from_cp932(truncate_cp932(*bytes, max_bytes));
}

void guard_text(QLineEdit* edit, std::size_t max_bytes) {
    auto last = std::make_shared<QString>(edit->text());
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit, last, max_bytes](const QString& text) {
        QString bad;
        QString keep = guarded_text(text, *last, max_bytes, &bad);
        // Text the program puts in (from a file, a list) is only kept within the
        // limit: the refusal and its message are for what the user types.
        if (!bad.isEmpty() && !edit->isModified()) {
            keep = text;
            bad.clear();
        }
        if (keep != text) {
            int pos = std::min<int>(edit->cursorPosition(), static_cast<int>(keep.size()));
            edit->setText(keep);
            edit->setCursorPosition(pos);
        }
        *last = keep;
        if (!bad.isEmpty()) dialogs().message(unencodable_message(bad));
    });
}

void guard_text(QComboBox* combo, std::size_t max_bytes) {
    if (combo->lineEdit()) guard_text(combo->lineEdit(), max_bytes);
}

void guard_text(QPlainTextEdit* memo, std::size_t max_bytes) {
    auto last = std::make_shared<QString>(memo->toPlainText());
    QObject::connect(memo, &QPlainTextEdit::textChanged, memo, [memo, last, max_bytes] {
        const QString text = memo->toPlainText();
        QString bad;
        QString keep = guarded_text(text, *last, max_bytes, &bad);
        // Text put in by the program (setPlainText) comes with undo switched off, so
        // only what the user typed or pasted can be undone.
        if (!bad.isEmpty() && !memo->document()->isUndoAvailable()) {
            keep = text;
            bad.clear();
        }
        if (keep != text) {
            int pos = std::min<int>(memo->textCursor().position(), static_cast<int>(keep.size()));
            *last = keep;
            memo->setPlainText(keep);
            QTextCursor c = memo->textCursor();
            c.setPosition(pos);
            memo->setTextCursor(c);
        }
        *last = keep;
        if (!bad.isEmpty()) dialogs().message(unencodable_message(bad));
    });
}

}  // namespace velmo
