#pragma once

#include <QDialog>

class THelpwindow : public QDialog
{
    Q_OBJECT

public:
    explicit THelpwindow(QWidget *owner);
    ~THelpwindow() override;
};
