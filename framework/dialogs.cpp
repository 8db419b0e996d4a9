#include "framework/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QWindow>

#include "framework/number_edit.h"

namespace velmo {

namespace {

const QString kCaption = QStringLiteral("Velmorant");
QPointer<QWidget> g_parent;

// The window a box belongs to: the one the user is working in when it is one
// of ours and shown, else the main window. A window manager keeps a box in
// front of the window it is transient for; a box owned by the disabled main
// window while the entry dialog asks would go behind that dialog.
QWidget* box_owner() {
    QWidget* active = QApplication::activeWindow();
    if (active && active->isVisible()) return active;
    return g_parent;
}

// Makes every window shown without a parent widget (the secondary windows,
// made parentless so that disabling the main window leaves them enabled)
// transient for the main window, so that a click on the main window does not
// raise it over them. Qt otherwise names its hidden leader window.
class OwnedWindows : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show || !watched->isWidgetType()) return false;
        auto* w = static_cast<QWidget*>(watched);
        if (!w->isWindow() || w->parentWidget() || !g_parent || w == g_parent) return false;
        const Qt::WindowType type = w->windowType();
        if (type != Qt::Window && type != Qt::Dialog) return false;
        QWindow* window = w->windowHandle();
        QWindow* owner = g_parent->windowHandle();
        if (window && owner && !window->transientParent()) window->setTransientParent(owner);
        return false;
    }
};

}  // namespace

// "desc|*.ext|desc2|*.ext2" -> "desc (*.ext);;desc2 (*.ext2)". A description that
// already ends with its patterns in parentheses is shown as it is, not with them twice.
QString qt_file_filter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString bracketed = QLatin1Char('(') + patterns + QLatin1Char(')');
        if (description.endsWith(bracketed)) out << description;
        else out << description + QLatin1Char(' ') + bracketed;
    }
    return out.join(QStringLiteral(";;"));
}

namespace {

// Runs a box modally. Closing it gives the keyboard back to the window that had
// it: without a window manager nobody else does, and until a window has the
// keyboard again the input method stays detached from the field that had the
// focus, so that a name typed on after a message arrives as plain letters.
// Within that window the keyboard goes back to the field that had it (the one
// whose input the box is about), so the user types on there.
int run_box(QDialog& box) {
    const QPointer<QWidget> before = QApplication::activeWindow();
    const QPointer<QWidget> field = QApplication::focusWidget();
    const int result = box.exec();
    if (before && before->isVisible() && before != QApplication::activeWindow()) before->activateWindow();
    if (before && field && field->window() == before && field->isVisible() && field->isEnabled())
        field->setFocus(Qt::OtherFocusReason);
    return result;
}

// An input box as QInputDialog::getText makes it, its edit field taking numbers when asked.
std::optional<QString> ask_text(const QString& caption, const QString& prompt, const QString& initial, bool number) {
    QInputDialog dialog(box_owner());
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(initial);
    dialog.setTextEchoMode(QLineEdit::Normal);
    if (number)
        if (auto* edit = dialog.findChild<QLineEdit*>()) take_numbers(*edit);
    if (run_box(dialog) != QDialog::Accepted) return std::nullopt;
    return dialog.textValue();
}

class RealDialogs : public Dialogs {
public:
    void message(const QString& text) override {
        QMessageBox box(QMessageBox::NoIcon, kCaption, text, QMessageBox::Ok, box_owner());
        run_box(box);
    }
    bool question(const QString& text) override {
        QMessageBox box(QMessageBox::Question, kCaption, text, QMessageBox::Yes | QMessageBox::No, box_owner());
        box.setDefaultButton(QMessageBox::Yes);
        return run_box(box) == QMessageBox::Yes;
    }
    std::optional<QString> input(const QString& caption, const QString& prompt, const QString& initial) override {
        return ask_text(caption, prompt, initial, false);
    }
    std::optional<QString> input_number(const QString& caption, const QString& prompt,
                                        const QString& initial) override {
        return ask_text(caption, prompt, initial, true);
    }
    std::optional<QString> open_file(const QString& filter) override {
        QFileDialog dialog(box_owner(), QString::fromUtf8(u8"開く"), QString(), qt_file_filter(filter));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // The list of names: the detail view's file types and dates follow the
        // system's locale rather than the program's Japanese.
        dialog.setViewMode(QFileDialog::List);
        if (run_box(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return dialog.selectedFiles().constFirst();
    }
    std::optional<QString> save_file(const QString& filter, const QString& initial) override {
        QFileDialog dialog(box_owner(), QString(), initial, qt_file_filter(filter));
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setViewMode(QFileDialog::List);  // as the open dialog
        if (run_box(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return dialog.selectedFiles().constFirst();
    }
    void error(const QString& text) override {
        QMessageBox box(QMessageBox::Critical, kCaption, text, QMessageBox::Ok, box_owner());
        run_box(box);
    }
};

RealDialogs g_real;
Dialogs* g_current = nullptr;

}  // namespace

Dialogs& dialogs() { return g_current ? *g_current : g_real; }
void set_dialogs(Dialogs* d) { g_current = d; }
void set_dialog_parent(QWidget* parent) {
    static OwnedWindows* filter = nullptr;
    if (!filter && qApp) {
        filter = new OwnedWindows;
        filter->setParent(qApp);
        qApp->installEventFilter(filter);
    }
    g_parent = parent;
}

ScriptedDialogs::ScriptedDialogs() { set_dialogs(this); }
ScriptedDialogs::~ScriptedDialogs() {
    if (g_current == this) set_dialogs(nullptr);
}

std::vector<QString> ScriptedDialogs::texts() const {
    std::vector<QString> out;
    for (const auto& s : shown) out.push_back(s.text);
    return out;
}

void ScriptedDialogs::message(const QString& text) { shown.push_back({QStringLiteral("message"), text, {}}); }

bool ScriptedDialogs::question(const QString& text) {
    shown.push_back({QStringLiteral("question"), text, {}});
    if (answers.empty()) {
        ++unexpected;
        return false;
    }
    bool a = answers.front();
    answers.pop_front();
    return a;
}

namespace {

// The first answer of a queue, taken off it. The text is moved out rather than the
// optional copied, which GCC's optimiser takes for a read of uninitialised memory.
std::optional<QString> take_front(std::deque<std::optional<QString>>& answers) {
    std::optional<QString> a;
    if (answers.front()) a.emplace(std::move(*answers.front()));
    answers.pop_front();
    return a;
}

}  // namespace

std::optional<QString> ScriptedDialogs::next_input(const QString& kind, const QString& caption, const QString& prompt) {
    shown.push_back({kind, prompt, caption});
    if (inputs.empty()) {
        ++unexpected;
        return std::nullopt;
    }
    return take_front(inputs);
}

std::optional<QString> ScriptedDialogs::input(const QString& caption, const QString& prompt, const QString&) {
    return next_input(QStringLiteral("input"), caption, prompt);
}

std::optional<QString> ScriptedDialogs::input_number(const QString& caption, const QString& prompt,
                                                     const QString&) {
    return next_input(QStringLiteral("number"), caption, prompt);
}

std::optional<QString> ScriptedDialogs::open_file(const QString& filter) {
    shown.push_back({QStringLiteral("open"), filter, {}});
    if (files.empty()) {
        ++unexpected;
        return std::nullopt;
    }
    return take_front(files);
}

std::optional<QString> ScriptedDialogs::save_file(const QString& filter, const QString& initial) {
    shown.push_back({QStringLiteral("save"), filter, initial});
    if (save_files.empty()) {
        ++unexpected;
        return std::nullopt;
    }
    return take_front(save_files);
}

void ScriptedDialogs::error(const QString& text) { shown.push_back({QStringLiteral("error"), text, {}}); }

}  // namespace velmo
