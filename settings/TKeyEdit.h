#pragma once

#include <QLineEdit>

// A single-line edit box whose AutoSelect decides whether entering it with the keyboard selects
// its text. QLineEdit always selects on Tab; the bindings dialog wants that only for some boxes.
class TKeyEdit : public QLineEdit
{
    Q_OBJECT
    Q_PROPERTY(bool AutoSelect READ AutoSelect WRITE setAutoSelect)

public:
    explicit TKeyEdit(QWidget *parent = nullptr);

    bool AutoSelect() const { return autoSelect; }
    void setAutoSelect(bool on) { autoSelect = on; }

protected:
    void focusInEvent(QFocusEvent *event) override;

private:
    bool autoSelect = true;
};
