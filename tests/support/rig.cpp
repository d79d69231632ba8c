#include "tests/support/rig.h"

namespace kestrin::testing {

Rig::Rig(MemoryNetwork& network, const std::string& address, int port) : sockets(network.factoryFor(address)) {
    main = std::make_unique<MainWindow>(state, GameServices{random, sound, messageBox, errors, store, kProgramFolder},
                                        LinkServices{*sockets, store, lists, messageBox, errors, port}, shell);
    clock.bind(form().tmrGame);
    clock.bind(form().tmrBank);
    clock.bind(form().tmrReady);
    clock.bind(form().tmrWinsock);
    clock.beforeTick = [&network] { network.deliver(); };
}

void Rig::choose(const std::string& player, int gameType) {
    state.strPlayerName = player;
    state.lngGameType = gameType;
    main->NewGameSelect();
}

std::vector<std::string> Rig::errorTitles() const {
    std::vector<std::string> titles;
    for (const auto& box : messageBox.shown) {
        if (box.title.rfind("Kestrin Error ", 0) == 0) titles.push_back(box.title);
    }
    return titles;
}

}  // namespace kestrin::testing
