#pragma once

#include <QDialog>

class TForm_wait2 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm_wait2(QWidget* parent = nullptr);
};
