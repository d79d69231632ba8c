// The wire text: every message built byte for byte, and receives taken apart into messages.
#include <gtest/gtest.h>

#include "link/protocol.h"
#include "link/receivers.h"
#include "platform/text.h"

namespace kestrin::protocol {
namespace {

TEST(Protocol, BuildsEveryMessageExactly) {
    EXPECT_EQ(connectionRequest("Bob"), "CONBob");
    EXPECT_EQ(hostName("Ann"), "NAMAnn");
    EXPECT_EQ(version(), "VER1");
    EXPECT_EQ(refusal("Ann"), "REF* Ann didn't accept the connection.");
    EXPECT_EQ(ready("Ann"), "RED* Ann is ready to start the game");
    EXPECT_EQ(startCountdown(), "STG");
    EXPECT_EQ(score(0), "SCU 0");
    EXPECT_EQ(score(12), "SCU 12");
    EXPECT_EQ(score(-5), "SCU-5");
    EXPECT_EQ(score(32767), "SCU 32767");
    EXPECT_EQ(score(-32768), "SCU-32768");
    EXPECT_EQ(chat(" hi  there "), "MSG hi  there ");
    EXPECT_EQ(chat(""), "MSG");
    EXPECT_EQ(stopped("Ann"), "STP* Ann has stopped play");
    EXPECT_EQ(disconnecting(), "DIS");
}

std::vector<Message> parseReceive(std::string_view text, const std::string& peer = "Ann") {
    std::vector<Message> messages;
    ReceiveReader reader(text, peer);
    while (auto message = reader.next()) messages.push_back(std::move(*message));
    return messages;
}

// code/payload/recognised of each message, for compact comparisons.
std::vector<std::string> read(std::string_view text) {
    std::vector<std::string> out;
    for (const Message& m : parseReceive(text)) out.push_back(m.recognised ? m.code + "|" + m.payload : "?" + m.text);
    return out;
}

TEST(Protocol, OneReceiveIsOneMessageWhenItParses) {
    EXPECT_EQ(read("STG"), std::vector<std::string>{"STG|"});
    EXPECT_EQ(read("MSG"), std::vector<std::string>{"MSG|"});
    EXPECT_EQ(read("MSGhi SCU 5"), std::vector<std::string>{"MSG|hi SCU 5"});
    EXPECT_EQ(read("REF* Ann didn't accept the connection.DIS"),
              (std::vector<std::string>{"REF|* Ann didn't accept the connection.", "DIS|"}));
    EXPECT_EQ(read("RED* Ann is ready to start the gameSTG"),
              (std::vector<std::string>{"RED|* Ann is ready to start the game", "STG|"}));
    EXPECT_EQ(read("RED* Ann is ready to start the gameRED* B is ready to start the game"),
              (std::vector<std::string>{"RED|* Ann is ready to start the game", "RED|* B is ready to start the game"}));
    EXPECT_EQ(read("STP* Ann has stopped playSCU 5"),
              (std::vector<std::string>{"STP|* Ann has stopped play", "SCU| 5"}));
    EXPECT_EQ(read("REF* Ann didn't accept the connection. really"),
              std::vector<std::string>{"REF|* Ann didn't accept the connection. really"});
    EXPECT_EQ(read("STGabc"), std::vector<std::string>{"STG|abc"});    // no code follows: one message
    EXPECT_EQ(read("REDxSTG"), std::vector<std::string>{"RED|xSTG"});  // no fixed ending: runs to the end
    const auto scores = parseReceive("SCU 12");
    ASSERT_EQ(scores.size(), 1u);
    EXPECT_EQ(scores[0].number, 12);
    EXPECT_EQ(parseReceive("VER 1 ")[0].number, 1);
    EXPECT_EQ(parseReceive("SCU-32768")[0].number, -32768);
}

TEST(Protocol, CoalescedMessagesSplitOnlyWhereTheSplitIsUnambiguous) {
    EXPECT_EQ(read("VER1DIS"), (std::vector<std::string>{"VER|1", "DIS|"}));
    EXPECT_EQ(read("SCU 10SCU 20"), (std::vector<std::string>{"SCU| 10", "SCU| 20"}));
    EXPECT_EQ(read("STGSCU 10"), (std::vector<std::string>{"STG|", "SCU| 10"}));
    EXPECT_EQ(read("DISSTGMSGa STG"), (std::vector<std::string>{"DIS|", "STG|", "MSG|a STG"}));
    EXPECT_EQ(read("SCU 5RED* Bob is ready to start the game"),
              (std::vector<std::string>{"SCU| 5", "RED|* Bob is ready to start the game"}));
    // A remainder that is no message is unrecognised on its own.
    EXPECT_EQ(read("STGxyzSCU 1"), std::vector<std::string>{"STG|xyzSCU 1"});
    EXPECT_EQ(read("SCU 1scu 2"), std::vector<std::string>{"?SCU 1scu 2"});
}

TEST(Protocol, TextThatCannotBeReadIsUnrecognised) {
    for (const char* text :
         {"", "S", "ST", "stg", "XYZ", "SCU", "SCU12x", "SCU 99999", "VER", "VER1.5", "SCU abcSCU 5", "VER40000STG"}) {
        const auto messages = parseReceive(text);
        if (std::string_view(text).empty()) {
            EXPECT_TRUE(messages.empty());
            continue;
        }
        ASSERT_EQ(messages.size(), 1u) << text;
        EXPECT_FALSE(messages[0].recognised) << text;
        EXPECT_EQ(messages[0].text, text);
    }
    EXPECT_EQ(parseInteger(" +7 "), 7);
    EXPECT_EQ(parseInteger("-"), std::nullopt);
    EXPECT_EQ(parseInteger("32768"), std::nullopt);
}

TEST(Protocol, ManyMessagesInOneReceiveAreReadInOnePass) {
    std::string flood;
    for (int i = 0; i < 100'000; ++i) flood += "SCU " + std::to_string(i % 30000);
    const auto messages = parseReceive(flood);
    ASSERT_EQ(messages.size(), 100'000u);
    EXPECT_EQ(messages.back().number, 99'999 % 30000);
}

TEST(Protocol, ShownTextIsCutBetweenCharacters) {
    EXPECT_EQ(kestrin::firstCharacters("Zoë Müller", 3), "Zoë");
    EXPECT_EQ(kestrin::firstCharacters("abc", 10), "abc");
    EXPECT_EQ(kestrin::firstCharacters("\xff\xfe"
                                       "ab",
                                       2),
              "\xff\xfe");  // stray bytes count one each
}

}  // namespace
}  // namespace kestrin::protocol
