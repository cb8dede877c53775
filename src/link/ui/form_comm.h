#pragma once

#include <QWidget>

class TForm_Comm : public QWidget
{
    Q_OBJECT
public:
    explicit TForm_Comm(QWidget* parent = nullptr);
};
