#include "GameRig.h"

#include "game/TFieldSurface.h"
#include "platform/FailureReport.h"
#include "platform/TMediaCommands.h"
#include "platform/TProfileFile.h"
#include "settings/ControlsSection.h"

#include <QCoreApplication>
#include <QCryptographicHash>

#include <array>

namespace {

// Stands in for the media layer: keeps each command instead of playing it.
class SoundRecorder : public TMediaCommands
{
public:
    explicit SoundRecorder(QStringList &commands)
        : log(commands)
    {
    }
    void mciSendString(const QString &command) noexcept override { log.append(command); }

private:
    QStringList &log;
};

constexpr const char *WindowPrefix = "window: ";

} // namespace

GameRig::GameRig(std::uint32_t seed)
    : window(std::make_unique<TForm1>())
    , form(*window)
{
    form.generator.seed(seed);
    form.hiresTimer1.setOnTimer({});
    form.hiresTimer2.setOnTimer({});
    QObject::disconnect(&form.Timer1, &QTimer::timeout, &form, nullptr);
    form.setMedia(std::make_unique<SoundRecorder>(events));
    modals.setAnswer([this](QWidget *modal) {
        events.append(WindowPrefix + modal->windowTitle());
        if (onWindow)
            onWindow(modal);
    });
    SetFailureReporter([this](const std::string &message) { failures.append(QString::fromStdString(message)); });
}

GameRig::~GameRig()
{
    SetFailureReporter({});
}

void GameRig::TickRed(int n)
{
    for (int i = 0; i < n; ++i)
        form.hiresTimer1Timer(nullptr);
}

void GameRig::TickBlue(int n)
{
    for (int i = 0; i < n; ++i)
        form.HiResTimer2Timer(nullptr);
}

void GameRig::TickBoth(int n)
{
    for (int i = 0; i < n; ++i) {
        form.hiresTimer1Timer(nullptr);
        form.HiResTimer2Timer(nullptr);
    }
}

void GameRig::Type(const QString &keys)
{
    for (QChar key : keys)
        form.FormKeyPress(&form, key);
}

void GameRig::PlaceRed(int x, int y, std::uint8_t dir)
{
    form.redx = static_cast<std::uint16_t>(x);
    form.redy = static_cast<std::uint16_t>(y);
    form.reddir = dir;
}

void GameRig::PlaceBlue(int x, int y, std::uint8_t dir)
{
    form.bluex = static_cast<std::uint16_t>(x);
    form.bluey = static_cast<std::uint16_t>(y);
    form.bluedir = dir;
}

void GameRig::CrashRed()
{
    PlaceRed(0, 300, 3);
    TickRed();
}

void GameRig::CrashBlue()
{
    PlaceBlue(0, 300, 3);
    TickBlue();
}

void GameRig::PlaceBonusOfKind(std::uint8_t kind)
{
    for (int attempt = 0; attempt < 1000; ++attempt) {
        form.Timer1Timer(&form.Timer1);
        if (form.bonuskind == kind)
            return;
    }
}

QPoint GameRig::FirstYellowPixel() const
{
    const QRect bounds = form.Label1.Bounds();
    for (int y = bounds.top(); y <= bounds.bottom(); ++y)
        for (int x = bounds.left(); x <= bounds.right(); ++x)
            if (form.GetPixel(x, y) == FieldColour::Yellow)
                return {x, y};
    return {-1, -1};
}

void GameRig::WriteBinding(const QString &key, const QString &value)
{
    TProfileFile::Settings().WriteString(QLatin1String(ControlsSection::Name), key, value);
}

QStringList GameRig::WindowTitles() const
{
    QStringList titles;
    for (const QString &event : events)
        if (event.startsWith(QLatin1String(WindowPrefix)))
            titles.append(event.mid(qsizetype(qstrlen(WindowPrefix))));
    return titles;
}

QStringList GameRig::SoundCommands() const
{
    QStringList commands;
    for (const QString &event : events)
        if (!event.startsWith(QLatin1String(WindowPrefix)))
            commands.append(event);
    return commands;
}

QString GameRig::SoundCommand(const char *verb, const char *file)
{
    return QLatin1String(verb) + QLatin1Char(' ') + QCoreApplication::applicationDirPath() + QLatin1Char('/')
           + QLatin1String(file);
}

int GameRig::CountPixels(std::uint32_t colour) const
{
    int count = 0;
    for (int y = 0; y < TFieldSurface::Height; ++y)
        for (int x = 0; x < TFieldSurface::Width; ++x)
            if (form.GetPixel(x, y) == colour)
                ++count;
    return count;
}

QString GameRig::FieldChecksum() const
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (int y = 0; y < TFieldSurface::Height; ++y)
        for (int x = 0; x < TFieldSurface::Width; ++x) {
            const std::uint32_t colour = form.GetPixel(x, y);
            const std::array<char, 4> bytes{static_cast<char>(colour & 0xFF), static_cast<char>((colour >> 8) & 0xFF),
                                            static_cast<char>((colour >> 16) & 0xFF),
                                            static_cast<char>((colour >> 24) & 0xFF)};
            hash.addData(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
        }
    return QString::fromLatin1(hash.result().toHex());
}
