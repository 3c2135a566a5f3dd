#include "settings/TKeyEdit.h"

TKeyEdit::TKeyEdit(QWidget *parent)
    : QLineEdit(parent)
{
}

void TKeyEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    // Without the selection the cursor stays at the end of the text. In a full one-character box
    // a typed key is then refused until the old one is deleted, as the player knows it.
    if (!autoSelect && hasSelectedText())
        deselect();
}
