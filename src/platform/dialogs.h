// Every message box and input box of the program goes through this interface, so
// that tests can answer them. The windows install the Qt implementation; a run
// without windows reports on standard error; tests install ScriptedDialogs.
#pragma once

#include <optional>

#include <QString>
#include <QStringList>

// What the print set-up dialog edits, as plain data (the printer itself is a window
// library object).
struct PrintSetup
{
    QString printerName;  // empty: the system's default printer
    QString outputFile;   // a PDF file in place of a printer; empty: print on paper
    bool landscape = false;
    int copies = 1;
};

class Dialogs
{
public:
    virtual ~Dialogs() = default;
    // Message box centred on the screen, with OK.
    virtual void message(const QString& text) = 0;
    // The standard error box.
    virtual void error(const QString& text) = 0;
    // Information box with OK and Cancel; true for OK.
    virtual bool confirm(const QString& caption, const QString& text) = 0;
    // Input box; nothing when cancelled.
    virtual std::optional<QString> input(const QString& caption, const QString& prompt, const QString& value) = 0;
    // File dialogs; an empty text when cancelled.
    virtual QString openFile(const QString& caption, const QString& filter, const QString& initial) = 0;
    virtual QString saveFile(const QString& caption, const QString& filter, const QString& initial) = 0;
    // Print set-up dialog on setup; false when cancelled (runs without windows cancel).
    virtual bool printSetup(PrintSetup& setup);
    // A question with its own buttons, in their order; the index of the pressed one,
    // -1 when the box was closed without a choice (runs without windows: -1).
    virtual int choose(const QString& caption, const QString& text, const QStringList& buttons);
};

Dialogs& dialogs();

// A message for a terminal: the line breaks of a message box (CR LF or a bare CR) as line feeds.
QString consoleText(const QString& text);
// Installs d as the program's dialogs (not owned); nullptr restores the console one.
void setDialogs(Dialogs* d);

// Writes every message to standard error and answers every question with "cancel",
// except confirm, which answers OK. Used by runs without windows.
class ConsoleDialogs : public Dialogs
{
public:
    void message(const QString& text) override;
    void error(const QString& text) override;
    bool confirm(const QString& caption, const QString& text) override;
    std::optional<QString> input(const QString& caption, const QString& prompt, const QString& value) override;
    QString openFile(const QString& caption, const QString& filter, const QString& initial) override;
    QString saveFile(const QString& caption, const QString& filter, const QString& initial) override;
};

// Shows nothing and answers every question with "cancel": for fuzzing and benchmarks.
class SilentDialogs : public Dialogs
{
public:
    void message(const QString&) override {}
    void error(const QString&) override {}
    bool confirm(const QString&, const QString&) override { return false; }
    std::optional<QString> input(const QString&, const QString&, const QString&) override { return std::nullopt; }
    QString openFile(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFile(const QString&, const QString&, const QString&) override { return {}; }
};

// For tests: declare what will be shown, in order, with the answer to give. Anything
// shown that was not declared, and anything declared that was not shown, is a
// failure listed by problems().
class ScriptedDialogs : public Dialogs
{
public:
    enum class Kind { Message, Error, Confirm, Input, OpenFile, SaveFile, PrintSetup, Choice };
    struct Shown
    {
        Kind kind;
        QString text;
    };

    // text is matched by containment; answer: "ok"/"cancel" for Confirm, the text
    // (or std::nullopt for cancel) for Input and file dialogs, the pressed button's
    // text (std::nullopt: the box closed) for Choice.
    ScriptedDialogs& expect(Kind kind, const QString& text, const std::optional<QString>& answer = QString());
    // Accept any number of boxes of this kind without declaring them (they are still recorded).
    ScriptedDialogs& allow(Kind kind);
    // The print set-up dialog: answer with setup (its fields replace the shown ones),
    // or cancel with std::nullopt.
    ScriptedDialogs& expectPrintSetup(const std::optional<PrintSetup>& answer);
    // The set-up the print dialog was last shown with.
    const PrintSetup& lastPrintSetupShown() const { return m_lastPrintSetup; }

    const QList<Shown>& shown() const { return m_shown; }
    QStringList texts(Kind kind) const;
    QStringList problems() const;
    void clear();

    void message(const QString& text) override;
    void error(const QString& text) override;
    bool confirm(const QString& caption, const QString& text) override;
    std::optional<QString> input(const QString& caption, const QString& prompt, const QString& value) override;
    QString openFile(const QString& caption, const QString& filter, const QString& initial) override;
    QString saveFile(const QString& caption, const QString& filter, const QString& initial) override;
    bool printSetup(PrintSetup& setup) override;
    int choose(const QString& caption, const QString& text, const QStringList& buttons) override;

private:
    struct Expectation
    {
        Kind kind;
        QString text;
        QString answer;
        bool hasAnswer = false;
        std::optional<::PrintSetup> printSetup;
    };
    std::optional<QString> take(Kind kind, const QString& text);

    QList<Expectation> m_expected;
    QList<Kind> m_allowed;
    QList<Shown> m_shown;
    QStringList m_unexpected;
    ::PrintSetup m_lastPrintSetup;
};
