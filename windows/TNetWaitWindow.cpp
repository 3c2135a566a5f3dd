#include "windows/TNetWaitWindow.h"

#include "net/TPortOpener.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TNetWaitWindow::TNetWaitWindow(QWidget *owner)
    : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Network Game"));
    setModal(false);
    auto *layout = new QVBoxLayout(this);
    Message = new QLabel(this);
    Message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(Message);
    RouterButton = new QPushButton(QStringLiteral("Open the port on my router"), this);
    RouterButton->hide();
    layout->addWidget(RouterButton);
    RouterMessage = new QLabel(this);
    RouterMessage->setWordWrap(true);
    RouterMessage->hide();
    layout->addWidget(RouterMessage);
    auto *row = new QHBoxLayout;
    row->addStretch();
    Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    row->addWidget(Cancel);
    layout->addLayout(row);

    connect(Cancel, &QPushButton::clicked, this, &TNetWaitWindow::reject);
    connect(RouterButton, &QPushButton::clicked, this, [this] {
        if (!opener) {
            opener = std::make_shared<TPortOpener>();
            connect(opener.get(), &TPortOpener::done, this, [this](bool, const QString &message) {
                RouterMessage->setText(message);
                RouterButton->setEnabled(true);
            });
        }
        RouterButton->setEnabled(false);
        RouterMessage->setText(QStringLiteral("Asking the router..."));
        RouterMessage->show();
        opener->Open(routerPort);
    });
}

TNetWaitWindow::~TNetWaitWindow() = default;

void TNetWaitWindow::setText(const QString &text)
{
    Message->setText(text);
}

QString TNetWaitWindow::text() const
{
    return Message->text();
}

void TNetWaitWindow::setRouterPort(quint16 port)
{
    if (opener && port != routerPort)
        opener->Close();
    routerPort = port;
    RouterButton->setVisible(port != 0);
    RouterButton->setEnabled(true);
}

void TNetWaitWindow::reject()
{
    QDialog::reject();
    if (cancelledOnce)
        return;
    cancelledOnce = true;
    // Last: a slot may put the window away.
    emit cancelled();
}
