#pragma once

#include <QString>

#include <map>
#include <memory>

class QSoundEffect;

// The media command interface as the game uses it: "play <full path>" starts a wave file from
// its beginning, "stop <full path>" stops it. Paths may contain blanks. Every failure (no audio
// device, a missing or broken file, an unknown command) is ignored: sound is never worth an error.
class TMediaCommands
{
public:
    TMediaCommands();
    virtual ~TMediaCommands();
    TMediaCommands(const TMediaCommands &) = delete;
    TMediaCommands &operator=(const TMediaCommands &) = delete;

    virtual void mciSendString(const QString &command) noexcept;

private:
    QSoundEffect *Effect(const QString &path);

    std::map<QString, std::unique_ptr<QSoundEffect>> effects;
};
