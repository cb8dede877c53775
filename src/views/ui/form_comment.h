// The heading dialog: the title lines above the month chart, kept in the settings file.
#pragma once

#include <QDialog>
#include <QStringList>

class QPlainTextEdit;
class QPushButton;
struct ProgramState;

class TForm_comment : public QDialog
{
    Q_OBJECT
public:
    explicit TForm_comment(ProgramState& state, QWidget* parent = nullptr);

    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* OK = nullptr;

    // The memo's lines (a final line break adds no line; an empty memo has none).
    QStringList memoLines() const;

public slots:
    void FormShow();
    void OKClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    ProgramState& m_state;
};
