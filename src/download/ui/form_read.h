#pragma once

#include <QDialog>

class TForm_read : public QDialog
{
    Q_OBJECT
public:
    explicit TForm_read(QWidget* parent = nullptr);
};
