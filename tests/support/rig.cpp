#include "tests/support/rig.h"

namespace kestrin::testing {

Doubles::Doubles(MemoryNetwork* given, const std::string& address)
    : ownNetwork(given ? nullptr : std::make_unique<MemoryNetwork>()),
      network(given ? *given : *ownNetwork),
      sockets(network.factoryFor(address)) {}

std::vector<std::string> Doubles::errorTitles() const {
    std::vector<std::string> titles;
    for (const auto& box : messageBox.shown) {
        if (box.title.rfind("Kestrin Error ", 0) == 0) titles.push_back(box.title);
    }
    return titles;
}

Rig::Rig(MemoryNetwork& network, const std::string& address, int port) : Rig(network, ownClock, address, port) {}

Rig::Rig(MemoryNetwork& network, VirtualClock& sharedClock, const std::string& address, int port)
    : Doubles(&network, address), clock(sharedClock) {
    main = std::make_unique<MainWindow>(state, gameServices(), linkServices(port), shell);
    for (forms::Timer* timer : {&form().tmrGame, &form().tmrBank, &form().tmrReady, &form().tmrWinsock})
        clock.bind(*timer);
    clock.beforeTick = [&network] { network.deliver(); };
}


void Rig::choose(const std::string& player, int gameType) {
    state.strPlayerName = player;
    state.lngGameType = gameType;
    main->NewGameSelect();
}

}  // namespace kestrin::testing
