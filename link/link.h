// The multi player link of the main window: the sockets (the outgoing WinsockClient and the
// WinsockServer array whose element 0 listens), applying the set-up choices, and the link's
// controls.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/game.h"
#include "platform/sockets.h"
#include "shell/list_files.h"

namespace kestrin {

inline constexpr int kGamePort = 600;

struct LinkServices {
    SocketFactory& sockets;
    SettingsStore& store;
    ListFiles& lists;
    MessageBox& messageBox;
    ErrorReporter& errors;
    int port = kGamePort;  // the game's TCP port; tests use another
};

class Link : public LinkPort {
public:
    Link(MainForm& form, ProgramState& state, Game& game, LinkServices services);
    ~Link() override;

    // Puts the set-up dialog's choices into effect (guarded as "Main.NewGameSelect").
    void NewGameSelect();
    void CloseSockets(bool listenAgain);
    void UpdateLinkControls(bool connected);
    // Host box edits: Connect is enabled exactly when the box holds text.
    void cmbConnectTo_Change();

    // LinkPort
    bool peerConnected() override;
    void sendToConnected(const std::string& message) override;
    void SendStatus(const std::string& status) override;

    Socket& WinsockClient() { return *client_; }
    Socket& WinsockServer(int index) { return *servers_.at(static_cast<std::size_t>(index)); }
    std::int16_t intMaxServer = 0;
    std::int16_t intActiveServer = 0;

private:
    void bindSocketEvents(Socket& socket, int index);
    void listenOnElementZero();

    MainForm& form_;
    ProgramState& state_;
    Game& game_;
    LinkServices services_;
    std::unique_ptr<Socket> client_;
    std::vector<std::unique_ptr<Socket>> servers_;
};

}  // namespace kestrin
