// The machine's IPv4 addresses from Qt's list of network interfaces.
#pragma once

#include "platform/services.h"

namespace kestrin {

class QtAddressTable final : public AddressTable {
public:
    // One entry per configured IPv4 address of every interface, loopback included, in
    // ascending order.
    std::vector<std::array<std::uint8_t, 4>> ipv4Addresses() override;
};

}  // namespace kestrin
