#pragma once

#include <QCursor>
#include <QHash>
#include <QObject>

// The application-wide table of numbered cursors. Controls enter their own cursors under a number
// and look them up by that number later, so a cursor loaded once serves every control that uses
// the number. A number that was never entered gives the arrow.
//
// The table lives as a child of the application object: cursors made from pixmaps must go away
// while the GUI still exists, not at static destruction.
class TCursorTable : public QObject
{
    Q_OBJECT

public:
    // Enters the cursor under the number, replacing what was there.
    static void Enter(int number, const QCursor &cursor);
    static QCursor Cursor(int number);

    // A cursor made from a picture in the program's resources with its hot spot at the top-left
    // corner, or the fallback shape when the picture is not there.
    static QCursor FromResource(const QString &path, Qt::CursorShape fallback);

private:
    explicit TCursorTable(QObject *parent);
    static TCursorTable &Instance();

    QHash<int, QCursor> cursors;
};
