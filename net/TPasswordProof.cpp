#include "net/TPasswordProof.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>

#include <algorithm>

namespace {

template <std::size_t N> QByteArray Bytes(const std::array<std::uint8_t, N> &array)
{
    return QByteArray(reinterpret_cast<const char *>(array.data()), static_cast<qsizetype>(N));
}

} // namespace

TPasswordProof::TPasswordProof(const QString &password)
    : key(password.toUtf8())
{
}

TPasswordProof::~TPasswordProof()
{
    key.fill('\0');
}

TProof TPasswordProof::OfGuest(const TNonce &guest, const TNonce &host, TSeat role) const
{
    return Of("ZX2NET guest", guest, host, role);
}

TProof TPasswordProof::OfHost(const TNonce &guest, const TNonce &host, TSeat seat) const
{
    return Of("ZX2NET host", guest, host, seat);
}

TProof TPasswordProof::Of(QByteArrayView label, const TNonce &guest, const TNonce &host, TSeat seat) const
{
    QMessageAuthenticationCode code(QCryptographicHash::Sha256, key);
    code.addData(label.data(), label.size());
    code.addData(Bytes(guest));
    code.addData(Bytes(host));
    const char seatByte = static_cast<char>(seat);
    code.addData(&seatByte, 1);
    const QByteArray result = code.result();
    TProof proof{};
    std::copy_n(result.cbegin(), std::min<qsizetype>(result.size(), proof.size()), proof.begin());
    return proof;
}

bool TPasswordProof::Same(const TProof &a, const TProof &b)
{
    // Every byte is looked at, so the time taken tells nothing of where two proofs differ.
    unsigned difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned>(a[i] ^ b[i]);
    return difference == 0;
}

TNonce TPasswordProof::NewNonce()
{
    TNonce nonce{};
    std::array<quint32, 4> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    for (std::size_t i = 0; i < nonce.size(); ++i)
        nonce[i] = static_cast<std::uint8_t>(words[i / 4] >> (8 * (i % 4)));
    return nonce;
}
