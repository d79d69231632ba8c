#include "platform/qt/qt_address_table.h"

#include <QHostAddress>
#include <QNetworkAddressEntry>
#include <QNetworkInterface>

#include <algorithm>

namespace kestrin {

std::vector<std::array<std::uint8_t, 4>> QtAddressTable::ipv4Addresses() {
    std::vector<std::array<std::uint8_t, 4>> addresses;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& networkInterface : interfaces) {
        const auto entries = networkInterface.addressEntries();
        for (const QNetworkAddressEntry& entry : entries) {
            const QHostAddress ip = entry.ip();
            if (ip.protocol() != QAbstractSocket::IPv4Protocol) continue;
            const quint32 value = ip.toIPv4Address();
            addresses.push_back({static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
                                 static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)});
        }
    }
    std::sort(addresses.begin(), addresses.end());
    return addresses;
}

}  // namespace kestrin
