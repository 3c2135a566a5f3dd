#pragma once

#include <QDialog>

#include <memory>

class QShowEvent;
namespace Ui {
class THelpwindow;
}

// The instructions: the game's help text, read-only in a scrollable box, and an OK button.
class THelpwindow : public QDialog
{
    Q_OBJECT

public:
    explicit THelpwindow(QWidget *owner);
    ~THelpwindow() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::THelpwindow> ui;
};
