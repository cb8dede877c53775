#pragma once

#include <QDialog>

class TForm_Show : public QDialog
{
    Q_OBJECT
public:
    explicit TForm_Show(QWidget* parent = nullptr);

    // Shows the online window modally. The online view (poll cycle and online chart)
    // is not part of the program yet: until it is, this shows nothing.
    void ShowModalOnline() {}
};
