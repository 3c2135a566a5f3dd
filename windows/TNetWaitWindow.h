#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class QLabel;
class QPushButton;
class TPortOpener;

// The small window shown while a network game is being set up ("Waiting for an opponent..."): a
// text, a Cancel button and, for a host, "Open the port on my router". It does not block the main
// window. Cancel, Escape and the window's X all emit cancelled(), once; the program takes the
// window down with deleteLater() (close() would count as cancelling).
class TNetWaitWindow : public QDialog
{
    Q_OBJECT

public:
    explicit TNetWaitWindow(QWidget *owner);
    ~TNetWaitWindow() override;

    void setText(const QString &text);
    QString text() const;
    // Offers to open the port on the router (a host's window).
    void setRouterPort(quint16 port);
    // The router's forwarding asked for here, if any: it is removed when the last copy of this
    // pointer goes, so keep it past the window for as long as the game is hosted.
    std::shared_ptr<TPortOpener> PortOpener() const { return opener; }

    QLabel *Message = nullptr;
    QPushButton *RouterButton = nullptr;
    QLabel *RouterMessage = nullptr;
    QPushButton *Cancel = nullptr;

signals:
    void cancelled();

public slots:
    void reject() override;

private:
    std::shared_ptr<TPortOpener> opener;
    quint16 routerPort = 0;
    bool cancelledOnce = false;
};
