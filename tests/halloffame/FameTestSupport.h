#pragma once

#include "halloffame/Tnewhigh.h"
#include "support/Files.h"
#include "support/TestConfigHome.h"

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QStringList>
#include <QTest>
#include <QTimer>

// Types the next name of its list into every name entry window that opens, then presses Enter,
// and keeps the windows' captions. A window that opens when the list is used up gets an empty
// name, and counts as asked all the same.
class NameEntryScript : public QObject
{
public:
    explicit NameEntryScript(QStringList script = {})
        : names(std::move(script))
    {
        qApp->installEventFilter(this);
    }
    ~NameEntryScript() override { qApp->removeEventFilter(this); }

    QStringList prompts;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *entry = qobject_cast<Tnewhigh *>(watched);
        if (entry && event->type() == QEvent::Show) {
            prompts << entry->windowTitle();
            const QString name = names.isEmpty() ? QString() : names.takeFirst();
            // Typed once the window's modal loop runs.
            QTimer::singleShot(0, entry, [entry, name] {
                QTest::keyClicks(entry, name);
                QTest::keyClick(entry, Qt::Key_Return);
            });
        }
        return false;
    }

private:
    QStringList names;
};

// A section of ten ranks with scores 1000, 900, ... 100 and names A to J.
inline QByteArray TenRanks(const char *section)
{
    QByteArray text = QByteArray("[") + section + "]\n";
    for (int rank = 1; rank <= 10; ++rank)
        text += QByteArray::number(rank) + '=' + QByteArray::number(1100 - 100 * rank) + '\n';
    for (int rank = 1; rank <= 10; ++rank)
        text += QByteArray::number(rank) + "n=" + char('A' + rank - 1) + '\n';
    return text;
}
