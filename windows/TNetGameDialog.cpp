#include "windows/TNetGameDialog.h"

#include "net/NetMessage.h"
#include "net/TPortOpener.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace {
constexpr int HostPage = 0;
constexpr int JoinPage = 1;
// An address typed is no longer than this (a name is at most 253 characters).
constexpr int MaxAddressChars = 300;
constexpr int MaxPasswordChars = 200;

QString FoundCaption(const TFoundGame &game)
{
    const QString where = NetAddress::Display(game.address.toString(), game.port);
    QString caption = game.name.isEmpty() ? where : QStringLiteral("%1 - %2").arg(game.name, where);
    if (game.version != NetProtocol::GameVersion())
        caption += QStringLiteral(" (version %1, cannot play with this one)").arg(game.version);
    else if (!game.seatFree)
        caption += QStringLiteral(" (playing: room to watch)");
    return caption;
}
} // namespace

TNetGameDialog::TNetGameDialog(QWidget *owner, quint16 hostPort)
    : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Network Game"));
    // Wide enough for a found game's name, address and state on one line.
    setMinimumWidth(460);
    auto *layout = new QVBoxLayout(this);
    Ways = new QTabBar(this);
    Ways->addTab(QStringLiteral("Host"));
    Ways->addTab(QStringLiteral("Join"));
    Ways->addTab(QStringLiteral("Watch"));
    layout->addWidget(Ways);
    Pages = new QStackedWidget(this);
    layout->addWidget(Pages);

    auto *hosting = new QWidget(Pages);
    auto *hostForm = new QFormLayout(hosting);
    HostPort = new QSpinBox(hosting);
    HostPort->setRange(1, 65535);
    HostPort->setValue(hostPort == 0 ? NetAddress::DefaultPort : hostPort);
    hostForm->addRow(QStringLiteral("Port:"), HostPort);
    HostPassword = new QLineEdit(hosting);
    HostPassword->setMaxLength(MaxPasswordChars);
    HostPassword->setPlaceholderText(QStringLiteral("none: anyone may join"));
    hostForm->addRow(QStringLiteral("Password:"), HostPassword);
    EvenOutLag = new QCheckBox(QStringLiteral("Even out the lag"), hosting);
    EvenOutLag->setChecked(true);
    hostForm->addRow(EvenOutLag);
    OpenPort = new QPushButton(QStringLiteral("Open the port on my router"), hosting);
    hostForm->addRow(OpenPort);
    RouterMessage = new QLabel(hosting);
    RouterMessage->setWordWrap(true);
    hostForm->addRow(RouterMessage);
    Addresses = new QLabel(hosting);
    Addresses->setWordWrap(true);
    Addresses->setTextInteractionFlags(Qt::TextSelectableByMouse);
    hostForm->addRow(Addresses);
    Pages->addWidget(hosting);

    auto *joining = new QWidget(Pages);
    auto *joinForm = new QFormLayout(joining);
    Address = new QLineEdit(joining);
    Address->setMaxLength(MaxAddressChars);
    Address->setPlaceholderText(QStringLiteral("name, IPv4 or IPv6, optional :port"));
    joinForm->addRow(QStringLiteral("Address:"), Address);
    AddressError = new QLabel(joining);
    AddressError->setWordWrap(true);
    joinForm->addRow(AddressError);
    Found = new QListWidget(joining);
    joinForm->addRow(new QLabel(QStringLiteral("Games on the local network:"), joining));
    joinForm->addRow(Found);
    JoinPassword = new QLineEdit(joining);
    JoinPassword->setMaxLength(MaxPasswordChars);
    JoinPassword->setPlaceholderText(QStringLiteral("if the host has one"));
    joinForm->addRow(QStringLiteral("Password:"), JoinPassword);
    Pages->addWidget(joining);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    Go = buttons->addButton(QStringLiteral("Host"), QDialogButtonBox::AcceptRole);
    Go->setDefault(true);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (Choice())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(Ways, &QTabBar::currentChanged, this, &TNetGameDialog::WayChanged);
    connect(Address, &QLineEdit::textChanged, this, &TNetGameDialog::AddressEdited);
    connect(HostPort, &QSpinBox::valueChanged, this, [this] {
        // A forwarding made for another port is of no use.
        if (opener && (opener->IsOpen() || opener->IsBusy()))
            opener->Close();
        RouterMessage->clear();
        OpenPort->setEnabled(true);
        ShowAddresses();
    });
    connect(OpenPort, &QPushButton::clicked, this, &TNetGameDialog::OpenPortClicked);
    connect(&finder, &TGameFinder::changed, this, &TNetGameDialog::ShowFound);
    connect(Found, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *item) {
        if (item)
            Address->setText(item->data(Qt::UserRole).toString());
    });
    connect(Found, &QListWidget::itemActivated, this, &TNetGameDialog::FoundPicked);

    ShowAddresses();
    AddressEdited();
    WayChanged();
}

TNetGameDialog::~TNetGameDialog() = default;

std::optional<TNetGameChoice> TNetGameDialog::Choose(QWidget *owner, quint16 hostPort)
{
    TNetGameDialog dialog(owner, hostPort);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Choice();
}

TNetGameChoice::Way TNetGameDialog::Way() const
{
    switch (Ways->currentIndex()) {
    case 1: return TNetGameChoice::Way::Join;
    case 2: return TNetGameChoice::Way::Watch;
    default: return TNetGameChoice::Way::Host;
    }
}

void TNetGameDialog::setWay(TNetGameChoice::Way way)
{
    Ways->setCurrentIndex(way == TNetGameChoice::Way::Host ? 0 : way == TNetGameChoice::Way::Join ? 1 : 2);
}

void TNetGameDialog::setAddress(const QString &text)
{
    Address->setText(text);
}

void TNetGameDialog::setFinderTargets(QList<TDiscoveryTarget> targets)
{
    finder.setTargets(std::move(targets));
}

std::optional<TNetGameChoice> TNetGameDialog::Choice() const
{
    const TNetGameChoice::Way way = Way();
    if (way == TNetGameChoice::Way::Host) {
        const bool forwarded = opener && opener->IsOpen() && opener->Port() == HostPort->value();
        return TNetGameChoice{way,
                              {},
                              static_cast<quint16>(HostPort->value()),
                              HostPassword->text(),
                              EvenOutLag->isChecked(),
                              forwarded ? opener : nullptr};
    }
    const std::optional<TNetAddress> address = NetAddress::Parse(Address->text(), NetAddress::DefaultPort);
    if (!address)
        return std::nullopt;
    return TNetGameChoice{way, address->host, address->port, JoinPassword->text(), false, nullptr};
}

void TNetGameDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    UpdateFinder();
}

void TNetGameDialog::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    UpdateFinder();
}

void TNetGameDialog::WayChanged()
{
    const TNetGameChoice::Way way = Way();
    Pages->setCurrentIndex(way == TNetGameChoice::Way::Host ? HostPage : JoinPage);
    Go->setText(Ways->tabText(Ways->currentIndex()));
    AddressEdited();
    UpdateFinder();
}

void TNetGameDialog::UpdateFinder()
{
    // The list is looked for only while it is in sight.
    if (isVisible() && Way() != TNetGameChoice::Way::Host)
        finder.Start();
    else
        finder.Stop();
}

void TNetGameDialog::AddressEdited()
{
    if (Way() == TNetGameChoice::Way::Host) {
        Go->setEnabled(true);
        return;
    }
    QString error;
    const bool valid = NetAddress::Parse(Address->text(), NetAddress::DefaultPort, &error).has_value();
    AddressError->setText(valid ? QString() : error);
    Go->setEnabled(valid);
}

void TNetGameDialog::ShowAddresses()
{
    const QStringList own = NetAddress::LocalAddresses();
    if (own.isEmpty()) {
        Addresses->setText(QStringLiteral("This computer has no network address to give a friend."));
        return;
    }
    QStringList shown;
    for (const QString &address : own)
        shown.append(NetAddress::Display(address, static_cast<quint16>(HostPort->value())));
    Addresses->setText(QStringLiteral("Give your friend one of these addresses:\n") + shown.join(QLatin1Char('\n')));
}

void TNetGameDialog::ShowFound()
{
    const QListWidgetItem *current = Found->currentItem();
    const QString picked = current ? current->data(Qt::UserRole).toString() : QString();
    const QSignalBlocker quiet(Found);
    Found->clear();
    for (const TFoundGame &game : finder.Games()) {
        auto *item = new QListWidgetItem(FoundCaption(game), Found);
        item->setData(Qt::UserRole, NetAddress::Display(game.address.toString(), game.port));
        if (item->data(Qt::UserRole).toString() == picked)
            Found->setCurrentItem(item);
    }
}

void TNetGameDialog::FoundPicked(QListWidgetItem *item)
{
    Address->setText(item->data(Qt::UserRole).toString());
    if (Choice())
        accept();
}

void TNetGameDialog::OpenPortClicked()
{
    if (!opener) {
        opener = std::make_shared<TPortOpener>();
        connect(opener.get(), &TPortOpener::done, this, [this](bool, const QString &message) {
            RouterMessage->setText(message);
            OpenPort->setEnabled(true);
        });
    }
    OpenPort->setEnabled(false);
    RouterMessage->setText(QStringLiteral("Asking the router..."));
    opener->Open(static_cast<quint16>(HostPort->value()));
}
