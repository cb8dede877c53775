// The about window: the product, the edit date, the maker's web site and e-mail
// labels acting as links, and the edit history.
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;
struct ProgramState;
class WindowCommands;

class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    // commands: the message log that the troubleshooting mail carries.
    TAboutBox(const ProgramState& state, WindowCommands& commands, QWidget* parent = nullptr);

    QLabel* ProductName = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label_site = nullptr;
    QLabel* Label_mail = nullptr;
    QPushButton* OKButton = nullptr;
    QPlainTextEdit* Memo1 = nullptr;

public slots:
    void OKButtonClick();
    void Label_siteClick();
    // Opens the user's mail program with a troubleshooting message to the maker.
    void Label_mailClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const ProgramState& m_state;
    WindowCommands& m_commands;
};
