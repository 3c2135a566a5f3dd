#pragma once

#include <QDialog>

class Tcrash : public QDialog
{
    Q_OBJECT

public:
    explicit Tcrash(QWidget *owner);
    ~Tcrash() override;
};
