#pragma once

#include "net/NetMessage.h"

#include <QByteArray>
#include <QString>

// Proof that a side knows the game's password, without sending it: an HMAC-SHA256 keyed with the
// password over both sides' random nonces and the seat. Both sides prove, each with its own label,
// so a guest's proof never serves as the host's, and a proof is tied to nonces that are never used
// again. A host that does not know the password fails its proof; what it got from the guest lets it
// only guess passwords offline, which a long one defeats. An empty password means
// none: the proofs are then made with an empty key and prove only that both sides follow the
// protocol.
class TPasswordProof
{
public:
    explicit TPasswordProof(const QString &password);
    ~TPasswordProof();
    TPasswordProof(const TPasswordProof &) = default;
    TPasswordProof &operator=(const TPasswordProof &) = default;

    // Whether there is a password to prove.
    bool Wanted() const { return !key.isEmpty(); }

    // The joining side's proof, for the seat it asks.
    TProof OfGuest(const TNonce &guest, const TNonce &host, TSeat role) const;
    // The host's proof, for the seat it gives.
    TProof OfHost(const TNonce &guest, const TNonce &host, TSeat seat) const;

    // Whether two proofs are the same, taking as long whatever their bytes.
    static bool Same(const TProof &a, const TProof &b);
    // A nonce from the system's random source.
    static TNonce NewNonce();

private:
    TProof Of(QByteArrayView label, const TNonce &guest, const TNonce &host, TSeat seat) const;

    QByteArray key;
};
