// The message log window: warnings of long work (a device's failed download, a
// device clock that differs) collected for the user, kept in memory only.
#pragma once

#include <QDialog>

#include "download/download.h"

class QPlainTextEdit;
class QPushButton;

class TForm_Message : public QDialog, public MessageLogSink
{
    Q_OBJECT
public:
    explicit TForm_Message(QWidget* parent = nullptr);

    QPlainTextEdit* Memo1;
    QPushButton* Button1;  // OK
    QPushButton* Button2;  // clear the list

    void addLine(const QString& line) override;
    bool hasLines() const;
    QStringList lines() const;
    // Shows the window without blocking and brings it to the front.
    void showInFront();

public slots:
    void Button1Click();
    void Button2Click();
};
