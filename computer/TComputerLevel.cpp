#include "computer/TComputerLevel.h"

QString ComputerLevelText(TComputerLevel level)
{
    switch (level) {
    case TComputerLevel::Easy: return QStringLiteral("easy");
    case TComputerLevel::Normal: return QStringLiteral("normal");
    case TComputerLevel::Hard: return QStringLiteral("hard");
    }
    return QStringLiteral("normal");
}

TComputerLevel ComputerLevelFromText(QStringView text)
{
    const QStringView word = text.trimmed();
    for (TComputerLevel level : {TComputerLevel::Easy, TComputerLevel::Hard})
        if (word.compare(ComputerLevelText(level), Qt::CaseInsensitive) == 0)
            return level;
    return TComputerLevel::Normal;
}
