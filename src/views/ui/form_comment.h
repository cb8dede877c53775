#pragma once

#include <QDialog>

class TForm_comment : public QDialog
{
    Q_OBJECT
public:
    explicit TForm_comment(QWidget* parent = nullptr);
};
