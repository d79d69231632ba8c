// A libFuzzer target for the two receivers of a whole copy of the game.
//
// Every input plays one short scene on the in-memory network and one virtual clock:
//
//   Ann's copy (10.0.0.1) is the host: a hand-driven peer on 10.0.0.3 has connected to her
//   and she has accepted it on element 1, but nothing has been said yet.
//   Bob's copy (10.0.0.2) is the joiner: a hand-driven peer on 10.0.0.4 listens on port 600,
//   Bob typed its address and pressed Connect, the peer took the connection and has received
//   Bob's "CON" request. Both copies are in multi player mode.
//
// The input is a little program of steps, one operation byte each; bit 0 of it chooses the
// side (0: Ann's peer and Ann's copy, 1: Bob's peer and Bob's copy), bits 1-2 what happens,
// bits 3-7 a number n from 0 to 31:
//
//   what 0  the peer sends a chunk, then network events are delivered
//   what 1  the peer sends a chunk and nothing is delivered yet (it joins the next chunk)
//           chunk length: n+1 for n < 30; n == 30: 31 + the next byte; n == 31: the next
//           two bytes, high byte first. The chunk is the following bytes of the input.
//   what 2  an action, n modulo 12: 0 Start/Ready/Stop, 1 a chat line with Send,
//           2 Disconnect, 3 the connection is made again (Ann's peer reconnects; Bob presses
//           Connect, for n / 12 = 0 to his peer, 1 to a machine where nothing listens, 2 to
//           a name nobody knows), 4 the peer closes its socket, 5 Kestrin!, 6 Higher,
//           7 Lower, 8 the copy answers No to its next question, 9 deliver network events,
//           10 the next byte queues a digit to draw, 11 Enter in the chat box
//   what 3  the clock moves on (n+1) * 250 ms, or 61 s for n == 31
//
// A message box runs a nested event loop: when one opens, the next input byte (if any) says
// how many further steps (its low three bits) run while it is open, up to three boxes deep.
// A copy whose box is open takes no clicks; its peer, the network, the clock and the other
// copy go on.
//
// What must hold whatever the peers send:
//   - nothing is thrown out of the copies' handlers (socket events, clicks, timers);
//   - a copy never has more than two message boxes open at once;
//   - every box's text, the opponent's name and the output log stay bounded by what came in;
//   - once the peers are quiet, delivering events comes to an end.
// A broken rule aborts with a line that says which.
//
// With KESTRIN_FUZZ_SHOW set in the environment, each input's scene is printed when it ends
// (the wire, both output logs, every box), to read what a crashing input did:
//   KESTRIN_FUZZ_SHOW=1 build-fuzz/bin/kestrin_fuzz_receivers crash-<hash>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <string>

#include "link/receivers.h"
#include "tests/support/rig.h"

namespace {

using kestrin::MessageResult;
using kestrin::testing::MemoryNetwork;
using kestrin::testing::RawPeer;
using kestrin::testing::Rig;
using kestrin::testing::VirtualClock;

constexpr int kMaxSteps = 256;                 // steps per input, nested ones included
constexpr int kMaxBoxDepth = 3;                // boxes open inside boxes, both copies together
constexpr std::int64_t kMaxClockMs = 400'000;  // virtual time per input
constexpr std::size_t kMaxQueuedAnswers = 4;
constexpr std::size_t kMaxQueuedDigits = 64;  // over a whole run, both copies together
constexpr int kMaxOpenBoxes = 2;              // per copy
// A received text is cut to kLongestReceivedText characters of up to four bytes each.
constexpr std::size_t kLongestTextBytes = kestrin::kLongestReceivedText * 4;
constexpr std::size_t kLongestBoxText = kLongestTextBytes + 1000;
// Output log growth allowed per step and per byte received, in bytes.
constexpr std::size_t kLogPerStep = 2 * kLongestTextBytes + 1000;
constexpr std::size_t kLogPerByte = 64;

constexpr const char* kAnnPeer = "10.0.0.3";
constexpr const char* kBobPeer = "10.0.0.4";
// Where Bob connects again: his peer, a machine where nothing listens, a name nobody knows.
constexpr const char* kBobTargets[] = {kBobPeer, "10.0.0.9", "nowhere"};

// Prints the scene played so far (set while an input plays, with KESTRIN_FUZZ_SHOW).
std::function<void()> showScene;

[[noreturn]] void broken(const char* rule, const std::string& detail = {}) {
    if (showScene) showScene();
    std::fprintf(stderr, "\n*** Kestrin receivers: %s%s%s\n", rule, detail.empty() ? "" : ": ", detail.c_str());
    std::abort();
}

class Scene {
public:
    Scene(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {
        ann_.choose("Ann", 1);
        bob_.choose("Bob", 1);
        watchBoxes(ann_, 0);
        watchBoxes(bob_, 1);

        annPeer_.connect("10.0.0.1", 600);
        bobPeer_.listen(600);
        settle();
        bob_.form().cmbConnectTo.setText(kBobPeer);
        bob_.form().cmdConnect.click();
        settle();
        if (annPeer_.socket().state() != kestrin::SocketState::Connected || !bobPeer_.accepted ||
            bobPeer_.accepted->state() != kestrin::SocketState::Connected)
            broken("the scene could not be set up");
        network_.clearSentLog();
        logStart_[0] = ann_.form().txtOutput.text().size();
        logStart_[1] = bob_.form().txtOutput.text().size();
    }

    void play() {
        while (more() && steps_ < kMaxSteps) step();
        settle();
        if (network_.pendingEvents() != 0) broken("network events keep coming with the peers quiet");
        checkCopy(0);
        checkCopy(1);
    }

    void show() {
        for (const auto& sent : network_.sent())
            std::fprintf(stderr, "wire %s -> %s: [%s]\n", sent.from.c_str(), sent.to.c_str(), sent.text.c_str());
        for (int side = 0; side < 2; ++side) {
            Rig& rig = copy(side);
            std::fprintf(stderr, "---- %s's log\n%s\n", side == 0 ? "Ann" : "Bob", rig.form().txtOutput.text().c_str());
            for (const auto& box : rig.messageBox.shown)
                std::fprintf(stderr, "box \"%s\": %s\n", box.title.c_str(), box.text.c_str());
        }
        std::fprintf(stderr, "---- %d steps, %lld ms\n", steps_, static_cast<long long>(clockUsed_));
    }

private:
    bool more() const { return at_ < size_; }
    std::uint8_t next() { return more() ? data_[at_++] : 0; }

    Rig& copy(int side) { return side == 0 ? ann_ : bob_; }
    RawPeer& peer(int side) { return side == 0 ? annPeer_ : bobPeer_; }

    void watchBoxes(Rig& rig, int side) {
        rig.messageBox.duringShow = [this, &rig, side] {
            const auto& shown = rig.messageBox.shown.back();
            if (shown.text.size() > kLongestBoxText) broken("a message box text is not cut", shown.title);
            if (++openBoxes_[side] > kMaxOpenBoxes)
                broken("more than two message boxes open at once", side == 0 ? "Ann" : "Bob");
            if (boxDepth_ < kMaxBoxDepth && more()) {
                ++boxDepth_;
                for (int nested = next() & 7; nested > 0 && more() && steps_ < kMaxSteps; --nested) step();
                --boxDepth_;
            }
            --openBoxes_[side];
        };
    }

    // Runs something of the copies'; nothing may escape from it.
    template <typename Action>
    void inCopy(const char* what, Action&& action) {
        try {
            action();
        } catch (const std::exception& error) {
            broken("an exception escaped", std::string(what) + ": " + error.what());
        } catch (...) {
            broken("an exception escaped", what);
        }
    }

    void deliver() {
        inCopy("network events", [&] { network_.deliver(); });
    }

    void settle() {
        inCopy("network events", [&] {
            for (int round = 0; round < 100 && network_.deliver() > 0; ++round) {
            }
        });
    }

    void step() {
        ++steps_;
        const std::uint8_t op = next();
        const int side = op & 1;
        const int what = (op >> 1) & 3;
        const int n = op >> 3;
        switch (what) {
        case 0:
        case 1:
            send(side, chunkLength(n));
            if (what == 0) deliver();
            break;
        case 2: action(side, n); break;
        default: advanceClock(n == 31 ? 61'000 : (n + 1) * 250); break;
        }
        checkCopy(0);
        checkCopy(1);
    }

    std::size_t chunkLength(int n) {
        if (n < 30) return static_cast<std::size_t>(n) + 1;
        if (n == 30) return 31 + std::size_t{next()};
        const std::size_t high = next();
        return high << 8 | next();
    }

    void send(int side, std::size_t length) {
        const std::size_t take = std::min(length, size_ - at_);
        const std::string text(reinterpret_cast<const char*>(data_ + at_), take);
        at_ += take;
        RawPeer& raw = peer(side);
        if (take == 0 || raw.socket().state() != kestrin::SocketState::Connected) return;
        raw.socket().sendData(text);
        received_[side] += take;
    }

    void action(int side, int n) {
        const int which = n % 12;
        Rig& rig = copy(side);
        kestrin::MainForm& form = rig.form();
        // A modal box keeps the player's hands off its window.
        const bool hands = openBoxes_[side] == 0;
        auto click = [&](kestrin::forms::Button& button) {
            if (hands && button.enabled() && button.visible()) inCopy(button.name().c_str(), [&] { button.click(); });
        };
        switch (which) {
        case 0: click(form.cmdStart); break;
        case 1:
            if (hands && form.txtChat.enabled()) form.txtChat.setText("gl hf SCU 999 DIS");
            click(form.cmdSend);
            break;
        case 2: click(form.cmdDisconnect); break;
        case 3: reconnect(side, n / 12); break;
        case 4:
            if (RawPeer& raw = peer(side); raw.socket().state() != kestrin::SocketState::Closed) raw.socket().close();
            break;
        case 5: click(form.cmdBank); break;
        case 6: click(form.cmdGuess[0]); break;
        case 7: click(form.cmdGuess[1]); break;
        case 8:
            if (rig.messageBox.answers.size() < kMaxQueuedAnswers) rig.messageBox.answers.push_back(MessageResult::No);
            break;
        case 9: deliver(); break;
        case 10: {
            const int digit = 1 + next() % 9;
            if (digitsQueued_ < kMaxQueuedDigits) {
                ++digitsQueued_;
                rig.random.queueDigits({digit});
            }
            break;
        }
        default:
            if (hands && form.txtChat.enabled()) {
                form.txtChat.setText("MSG");
                inCopy("txtChat", [&] { form.txtChat.keyPress(kestrin::kKeyEnter); });
            }
            break;
        }
    }

    void reconnect(int side, int where) {
        if (side == 0) {
            // Ann's peer drops what it had and connects to her again.
            Socket& socket = *annPeer_.outgoing;
            if (socket.state() != kestrin::SocketState::Closed) socket.close();
            annPeer_.connect("10.0.0.1", 600);
            return;
        }
        if (openBoxes_[1] != 0) return;
        kestrin::MainForm& form = bob_.form();
        if (form.cmbConnectTo.enabled()) form.cmbConnectTo.setText(kBobTargets[where]);
        if (form.cmdConnect.enabled()) inCopy("cmdConnect", [&] { form.cmdConnect.click(); });
    }

    void advanceClock(std::int64_t ms) {
        if (clockUsed_ + ms > kMaxClockMs) return;
        clockUsed_ += ms;
        inCopy("the clock", [&] { clock_.advance(ms); });
    }

    void checkCopy(int side) {
        Rig& rig = copy(side);
        if (rig.link().opponentName().size() > kLongestTextBytes) broken("the opponent's name is not cut");
        const std::size_t log = rig.form().txtOutput.text().size();
        const std::size_t allowed =
            logStart_[side] + static_cast<std::size_t>(steps_ + 1) * kLogPerStep + received_[side] * kLogPerByte;
        if (log > allowed) broken("the output log grows beyond what came in", std::to_string(log) + " bytes");
    }

    using Socket = kestrin::Socket;

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    std::size_t digitsQueued_ = 0;
    int steps_ = 0;
    int boxDepth_ = 0;
    int openBoxes_[2] = {0, 0};
    std::size_t received_[2] = {0, 0};
    std::size_t logStart_[2] = {0, 0};
    std::int64_t clockUsed_ = 0;

    MemoryNetwork network_;
    VirtualClock clock_;
    Rig ann_{&network_, &clock_, "10.0.0.1"};
    Rig bob_{&network_, &clock_, "10.0.0.2"};
    RawPeer annPeer_{network_, kAnnPeer};
    RawPeer bobPeer_{network_, kBobPeer};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool showScenes = std::getenv("KESTRIN_FUZZ_SHOW") != nullptr;
    Scene scene(data, size);
    if (showScenes) showScene = [&scene] { scene.show(); };
    scene.play();
    if (showScenes) scene.show();
    showScene = nullptr;
    return 0;
}
