// The communication window's first page "ارسال و دریافت ": the frames sent to the
// devices and the replies received, and the box that sets the start of the download
// period.
#pragma once

#include <QWidget>

class PeriodStartBox;
struct ProgramState;
class QPlainTextEdit;

class TrafficPage : public QWidget
{
    Q_OBJECT
public:
    explicit TrafficPage(const ProgramState& state, QWidget* parent = nullptr);

    QPlainTextEdit* Memo_Send;
    QPlainTextEdit* Memo_Rx;
    PeriodStartBox* GroupBoxPeriod;  // "تنظیم اول دوره "

    // A frame sent and a reply received, each on its own line.
    void addSent(const QString& frame);
    void addReceived(const QString& reply);

    // The panes are emptied once they pass their line or character limit.
    void Memo_SendChange();
    void Memo_RxChange();
};

// Empties a pane that holds more than lineLimit lines or the character limit of the
// traffic panes.
void limitPaneLines(QPlainTextEdit* memo, int lineLimit);
