#include "platform/TypedKeys.h"

#include <QKeyEvent>

QString TypedCharacters(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return QString(QChar(TypedKey::Enter));
    case Qt::Key_Backspace: return QString(QChar(TypedKey::Backspace));
    default: return event.text();
    }
}

bool IsNameCharacter(QChar c)
{
    switch (c.category()) {
    case QChar::Other_Control:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph: return false;
    default: return true;
    }
}
