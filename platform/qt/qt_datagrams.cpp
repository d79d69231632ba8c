#include "platform/qt/qt_datagrams.h"

#include <QHostAddress>
#include <QNetworkAddressEntry>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QUdpSocket>

#include <algorithm>

#include "platform/failure.h"
#include "platform/qt/utf8.h"

namespace kestrin {

namespace {

// Every answer and query is far shorter; a longer datagram is cut here.
constexpr qint64 kLongestDatagram = 1024;
// Datagrams taken in one go; Qt announces the rest again, so a flood cannot hold the window.
constexpr int kDatagramsAtOnce = 64;
constexpr const char* kLoopbackBroadcast = "127.255.255.255";

std::string dotted(const QHostAddress& address) {
    bool isIpv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIpv4);
    return (isIpv4 ? QHostAddress(ipv4) : address).toString().toStdString();
}

}  // namespace

QtDatagramSocket::QtDatagramSocket() : socket_(std::make_unique<QUdpSocket>()) {
    QObject::connect(socket_.get(), &QUdpSocket::readyRead, socket_.get(), [this] { readPending(); });
}

QtDatagramSocket::~QtDatagramSocket() { *alive_ = false; }

void QtDatagramSocket::bind(int port, bool shared) {
    const auto mode = shared ? QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint : QUdpSocket::DefaultForPlatform;
    if (!socket_->bind(QHostAddress::AnyIPv4, static_cast<quint16>(port), mode))
        throw Failure(failures::kNotListening, socket_->errorString().toStdString());
}

int QtDatagramSocket::localPort() const { return socket_->localPort(); }

bool QtDatagramSocket::send(const std::string& address, int port, const std::string& text) {
    const QByteArray bytes = QByteArray::fromStdString(text);
    return socket_->writeDatagram(bytes, QHostAddress(toQString(address)), static_cast<quint16>(port)) == bytes.size();
}

void QtDatagramSocket::readPending() {
    const auto alive = alive_;  // the handler may delete this socket
    for (int taken = 0; taken < kDatagramsAtOnce && socket_->hasPendingDatagrams(); ++taken) {
        const QNetworkDatagram datagram = socket_->receiveDatagram(kLongestDatagram);
        if (!datagram.isValid() || !onDatagram) continue;
        const auto handler = onDatagram;
        handler(dotted(datagram.senderAddress()), datagram.senderPort(),
                QString::fromUtf8(datagram.data()).toStdString());
        if (!*alive) return;
    }
}

std::unique_ptr<DatagramSocket> QtDatagramNetwork::create() { return std::make_unique<QtDatagramSocket>(); }

std::vector<std::string> QtDatagramNetwork::broadcastAddresses() {
    if (loopbackOnly_) return {kLoopbackBroadcast};
    std::vector<std::string> addresses;
    for (const QNetworkInterface& networkInterface : QNetworkInterface::allInterfaces()) {
        if (!networkInterface.flags().testFlag(QNetworkInterface::IsUp)) continue;
        for (const QNetworkAddressEntry& entry : networkInterface.addressEntries()) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol || entry.broadcast().isNull()) continue;
            const std::string address = dotted(entry.broadcast());
            if (std::find(addresses.begin(), addresses.end(), address) == addresses.end()) addresses.push_back(address);
        }
    }
    return addresses;
}

std::vector<std::string> QtDatagramNetwork::ownAddresses() {
    std::vector<std::string> addresses;
    for (const QHostAddress& address : QNetworkInterface::allAddresses())
        if (address.protocol() == QAbstractSocket::IPv4Protocol) addresses.push_back(dotted(address));
    return addresses;
}

}  // namespace kestrin
