#pragma once

#include "net/NetAddress.h"
#include "net/TGameFinder.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTabBar;
class TPortOpener;

// What the player chose in the "Network Game..." window.
struct TNetGameChoice
{
    enum class Way { Host, Join, Watch };
    Way way = Way::Host;
    // The host to join or watch (a name, an IPv4 or an IPv6 address); empty when hosting.
    QString host;
    // The port to listen on, or the host's.
    quint16 port = NetAddress::DefaultPort;
    QString password;
    // When hosting: whether to even out the lag (the host's welcome tells a guest).
    bool evenOutLag = true;
    // When hosting: the router's forwarding asked for in the window, if any. It is removed when
    // the last copy of this pointer goes, so keep it for as long as the game is hosted.
    std::shared_ptr<TPortOpener> router;
};

// The "Network Game..." window: host a game, join one or watch one. Joining and watching offer
// the games found on the local network beside the address line. It only chooses: the game is
// hosted or joined by whoever asked.
class TNetGameDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TNetGameDialog(QWidget *owner, quint16 hostPort = NetAddress::DefaultPort);
    ~TNetGameDialog() override;

    // Shows the window; the choice, unless the player cancelled.
    static std::optional<TNetGameChoice> Choose(QWidget *owner, quint16 hostPort = NetAddress::DefaultPort);

    // The choice as the window stands; std::nullopt while the address typed to join is not one.
    std::optional<TNetGameChoice> Choice() const;
    TNetGameChoice::Way Way() const;
    void setWay(TNetGameChoice::Way way);
    // Fills the address line (a remembered address, say).
    void setAddress(const QString &text);
    // Where the list of games asks (by default the local network's broadcast addresses; none: the
    // list stays empty).
    void setFinderTargets(QList<TDiscoveryTarget> targets);

    QTabBar *Ways = nullptr;
    QStackedWidget *Pages = nullptr;
    // Hosting.
    QSpinBox *HostPort = nullptr;
    QLineEdit *HostPassword = nullptr;
    QCheckBox *EvenOutLag = nullptr;
    QPushButton *OpenPort = nullptr;
    QLabel *RouterMessage = nullptr;
    QLabel *Addresses = nullptr;
    // Joining and watching.
    QLineEdit *Address = nullptr;
    QLabel *AddressError = nullptr;
    QListWidget *Found = nullptr;
    QLineEdit *JoinPassword = nullptr;
    // Host, Join or Watch, as the way chosen.
    QPushButton *Go = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void WayChanged();
    void AddressEdited();
    void ShowAddresses();
    void ShowFound();
    void FoundPicked(QListWidgetItem *item);
    void OpenPortClicked();
    void UpdateFinder();

    TGameFinder finder;
    std::shared_ptr<TPortOpener> opener;
};
