// The wire text: every message built byte for byte, and receives taken apart into messages.
#include <gtest/gtest.h>

#include "link/protocol.h"

namespace kestrin::protocol {
namespace {

TEST(Protocol, BuildsEveryMessageExactly) {
    EXPECT_EQ(
        (std::vector<std::string>{connectionRequest("Bob"), hostName("Ann"), version(), refusal("Ann"), ready("Ann"),
                                  startCountdown(), score(0), score(12), score(-5), score(32767), score(-32768),
                                  chat(" hi  there "), chat(""), stopped("Ann"), disconnecting()}),
        (std::vector<std::string>{"CONBob", "NAMAnn", "VER1", "REF* Ann didn't accept the connection.",
                                  "RED* Ann is ready to start the game", "STG", "SCU 0", "SCU 12", "SCU-5", "SCU 32767",
                                  "SCU-32768", "MSG hi  there ", "MSG", "STP* Ann has stopped play", "DIS"}));
}

// Each message of a receive from a peer called Ann: "code|payload", or "?" and the whole
// text when it cannot be read.
std::vector<std::string> read(std::string_view text, const std::string& peer = "Ann") {
    std::vector<std::string> out;
    ReceiveReader reader(text, peer);
    while (const auto m = reader.next()) {
        out.push_back(m->recognised ? m->code + "|" + m->payload : "?" + m->text);
        EXPECT_EQ(m->text, m->recognised ? m->code + m->payload : m->text);
    }
    return out;
}
using Read = std::vector<std::string>;

TEST(Protocol, OneReceiveIsOneMessageUnlessTheSplitIsUnambiguous) {
    const struct {
        const char* text;
        Read messages;
    } cases[] = {{"STG", {"STG|"}},
                 {"MSG", {"MSG|"}},
                 {"MSGhi SCU 5", {"MSG|hi SCU 5"}},  // a text payload runs to the end
                 {"STGabc", {"STG|abc"}},            // no code follows: one message
                 {"VER1DIS", {"VER|1", "DIS|"}},
                 {"SCU 10SCU 20", {"SCU| 10", "SCU| 20"}},
                 {"STGSCU 10", {"STG|", "SCU| 10"}},
                 {"DISSTGMSGa STG", {"DIS|", "STG|", "MSG|a STG"}},
                 {"SCU 5RED* Bob is ready to start the game", {"SCU| 5", "RED|* Bob is ready to start the game"}},
                 {"STGxyzSCU 1", {"STG|xyzSCU 1"}},
                 {"SCU 1scu 2", {"?SCU 1scu 2"}},  // a remainder that is no message is unrecognised with it
                 // Status lines: split after exactly the peer's own line, or before a lone "STG" or "DIS".
                 {"REF* Bob didn't accept the connection.DIS", {"REF|* Bob didn't accept the connection.", "DIS|"}},
                 {"RED* Zed is ready to start the gameSTG", {"RED|* Zed is ready to start the game", "STG|"}},
                 {"RED* Ann is ready to start the gameRED* B is ready to start the game",
                  {"RED|* Ann is ready to start the game", "RED|* B is ready to start the game"}},
                 {"STP* Ann has stopped playSCU 5", {"STP|* Ann has stopped play", "SCU| 5"}},
                 {"STP* Bo has stopped playSCU 5", {"STP|* Bo has stopped playSCU 5"}},  // someone else's line
                 {"RED* Ann is ready to start the gameMSGx", {"RED|* Ann is ready to start the game", "MSG|x"}},
                 {"RED* Zed is ready to start the gameMSGx is ready to start the gameSTG",
                  {"RED|* Zed is ready to start the gameMSGx is ready to start the game", "STG|"}},
                 {"RED* Zed is ready to start the gameSTG!", {"RED|* Zed is ready to start the gameSTG!"}},
                 {"REF* Ann didn't accept the connection. really", {"REF|* Ann didn't accept the connection. really"}},
                 {"REDxSTG", {"RED|xSTG"}}};
    for (const auto& c : cases) EXPECT_EQ(read(c.text), c.messages) << c.text;
    // A name that holds a status line's ending is one ready line of that peer.
    EXPECT_EQ(read("RED* Ann is ready to start the gameMSGx is ready to start the game",
                   "Ann is ready to start the gameMSGx"),
              Read{"RED|* Ann is ready to start the gameMSGx is ready to start the game"});
}

TEST(Protocol, NumbersAreSixteenBitAndTextThatCannotBeReadIsUnrecognised) {
    ReceiveReader scores("SCU 12VER 1 SCU-32768", "Ann");
    std::vector<std::int16_t> numbers;
    while (const auto m = scores.next()) numbers.push_back(m->number);
    EXPECT_EQ(numbers, (std::vector<std::int16_t>{12, 1, -32768}));
    for (const char* text : {"S", "ST", "stg", "XYZ", "SCU", "SCU12x", "SCU 99999", "VER", "VER1.5", "SCU abcSCU 5",
                             "VER40000STG", "SCU+"}) {
        EXPECT_EQ(read(text), Read{std::string("?") + text});
    }
    EXPECT_EQ(read(""), Read{});
    EXPECT_EQ(parseInteger(" +7\t"), 7);
    EXPECT_EQ(parseInteger("-"), std::nullopt);
    EXPECT_EQ(parseInteger("32768"), std::nullopt);
    EXPECT_EQ(parseInteger("7 7"), std::nullopt);
    EXPECT_TRUE(isKnownCode("DIS") && !isKnownCode("DI") && !isKnownCode("dis"));
}

}  // namespace
}  // namespace kestrin::protocol
