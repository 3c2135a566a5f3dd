#include "platform/TMediaCommands.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

TMediaCommands::TMediaCommands() = default;
TMediaCommands::~TMediaCommands() = default;

void TMediaCommands::mciSendString(const QString &command) noexcept
{
    try {
        const qsizetype blank = command.indexOf(u' ');
        if (blank <= 0)
            return;
        const QString verb = command.left(blank);
        // Everything after the verb is the path, blanks included.
        const QString path = command.mid(blank + 1);
        if (verb == u"play") {
            if (QSoundEffect *effect = Effect(path)) {
                effect->stop();
                effect->play();
            }
        } else if (verb == u"stop") {
            if (auto found = effects.find(path); found != effects.end())
                found->second->stop();
        }
    } catch (...) {
        // Sound is never worth an error.
    }
}

QSoundEffect *TMediaCommands::Effect(const QString &path)
{
    if (auto found = effects.find(path); found != effects.end())
        return found->second.get();
    if (!QFileInfo(path).isFile())
        return nullptr;
    auto effect = std::make_unique<QSoundEffect>();
    effect->setSource(QUrl::fromLocalFile(path));
    return effects.emplace(path, std::move(effect)).first->second.get();
}
