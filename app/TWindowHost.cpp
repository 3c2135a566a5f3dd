#include "app/TWindowHost.h"

#include "halloffame/TForm3.h"
#include "input/GamepadSection.h"
#include "platform/TProfileFile.h"
#include "settings/ComputerSection.h"
#include "settings/ControlsSection.h"
#include "settings/SoundSection.h"
#include "windows/Tcrash.h"

void TWindowHost::ShowCrash(QObject *, const QString &msg)
{
    // A fresh window each time, destroyed when it closes (also when showing it failed).
    Tcrash crash(owner);
    crash.setWindowTitle(msg);
    if (crashWait)
        crashWait(crash);
    else
        crash.exec();
}

void TWindowHost::RecordOnePlayer(QObject *Sender, std::int32_t score)
{
    // The hall of fame is never shown here: it only places the score and asks for a name.
    TForm3 fame(owner);
    fame.writefame(Sender, score);
}

void TWindowHost::RecordTwoPlayers(QObject *Sender, const QString &player, std::int32_t score)
{
    TForm3 fame(owner);
    fame.writefameb(Sender, player, score);
}

QStringList TWindowHost::ReadBindings()
{
    return ControlsSection::Read(TProfileFile::Settings());
}

TComputerLevel TWindowHost::ReadComputerLevel()
{
    return ComputerSection::Level(TProfileFile::Settings());
}

TPadMapping TWindowHost::ReadPadMapping()
{
    return GamepadSection::Read(TProfileFile::Settings());
}

bool TWindowHost::ReadSoundOn()
{
    return SoundSection::Read(TProfileFile::Settings());
}

void TWindowHost::WriteSoundOn(bool on)
{
    TProfileFile settings = TProfileFile::Settings();
    SoundSection::Write(settings, on);
}
