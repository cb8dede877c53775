#pragma once

#include <QDialog>

class TForm_Show : public QDialog
{
    Q_OBJECT
public:
    explicit TForm_Show(QWidget* parent = nullptr);
};
