#pragma once
// Every message box, question, input box and file dialog of the program goes
// through Dialogs. The real implementation shows Qt dialogs captioned
// "Velmorant"; tests install ScriptedDialogs, which answers from a script and
// records every text shown.
#include <QString>

#include <deque>
#include <optional>
#include <vector>

class QWidget;

namespace velmo {

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A plain notice with an OK button.
    virtual void message(const QString& text) = 0;
    // A Yes/No question with the question icon; true for Yes.
    virtual bool question(const QString& text) = 0;
    // A one-line input box; nullopt when cancelled.
    virtual std::optional<QString> input(const QString& caption, const QString& prompt,
                                         const QString& initial) = 0;
    // The same box for a number: its edit field takes no input method, and
    // full-width digits typed or pasted into it become ASCII digits.
    virtual std::optional<QString> input_number(const QString& caption, const QString& prompt,
                                                const QString& initial) = 0;
    // A file-open dialog; filter in the form "description|*.ext"; nullopt when cancelled.
    virtual std::optional<QString> open_file(const QString& filter) = 0;
    // A file-save dialog starting at initial (a path); same filter form; nullopt when cancelled.
    virtual std::optional<QString> save_file(const QString& filter, const QString& initial) = 0;
    // The standard error box for a failed operation.
    virtual void error(const QString& text) = 0;
};

// The dialogs in force; the real ones unless a test installed others.
Dialogs& dialogs();
// Installs d (not owned); nullptr restores the real dialogs.
void set_dialogs(Dialogs* d);

// A filter "description|*.ext|..." in the form Qt's file dialog takes.
QString qt_file_filter(const QString& filter);

// The parent window of the real dialogs (the main window once it exists).
void set_dialog_parent(QWidget* parent);

class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        QString kind;  // "message", "question", "input", "number", "open", "save", "error"
        QString text;  // the message, question or prompt; the filter for "open" and "save"
        QString caption;  // the caption of an input box; the initial path of "save"
    };

    ScriptedDialogs();   // installs itself
    ~ScriptedDialogs() override;  // restores the real dialogs

    // Answers, used in order. A question with no answer left counts as unexpected and answers No.
    std::deque<bool> answers;
    std::deque<std::optional<QString>> inputs;  // for input and input_number
    std::deque<std::optional<QString>> files;
    std::deque<std::optional<QString>> save_files;

    std::vector<Shown> shown;
    int unexpected = 0;

    // The texts shown, in order.
    std::vector<QString> texts() const;

    void message(const QString& text) override;
    bool question(const QString& text) override;
    std::optional<QString> input(const QString& caption, const QString& prompt, const QString& initial) override;
    std::optional<QString> input_number(const QString& caption, const QString& prompt,
                                        const QString& initial) override;
    std::optional<QString> open_file(const QString& filter) override;
    std::optional<QString> save_file(const QString& filter, const QString& initial) override;
    void error(const QString& text) override;

private:
    std::optional<QString> next_input(const QString& kind, const QString& caption, const QString& prompt);
};

}  // namespace velmo
