#include "components/TCursorTable.h"

#include <QCoreApplication>
#include <QPixmap>
#include <QPointer>

TCursorTable::TCursorTable(QObject *parent)
    : QObject(parent)
{
}

TCursorTable &TCursorTable::Instance()
{
    // Recreated if the application object (and the table with it) is replaced, as tests may do.
    static QPointer<TCursorTable> instance;
    if (!instance)
        instance = new TCursorTable(QCoreApplication::instance());
    return *instance;
}

void TCursorTable::Enter(int number, const QCursor &cursor)
{
    Instance().cursors.insert(number, cursor);
}

QCursor TCursorTable::Cursor(int number)
{
    return Instance().cursors.value(number, QCursor(Qt::ArrowCursor));
}

QCursor TCursorTable::FromResource(const QString &path, Qt::CursorShape fallback)
{
    const QPixmap picture(path);
    if (picture.isNull())
        return QCursor(fallback);
    return QCursor(picture, 0, 0);
}
