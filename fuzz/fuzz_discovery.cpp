// A libFuzzer target for finding games nearby: datagrams from a stranger on the LAN reach a
// whole copy of the game that waits for an opponent (it answers queries on port 10600 and
// lists the answers it hears on the port it asks from).
//
// The input is a little program of records:
//   a byte with bit 7 set: the clock moves on (its low seven bits + 1) x 100 ms;
//   any other byte b: a datagram of the next (b & 0x3F) x 4 + (next byte & 3) bytes, sent
//   to the copy's query port when bit 6 of b is clear, to its asking port when it is set.
//
// What must hold whatever arrives:
//   - nothing is thrown out of the copy's handlers;
//   - the list of games found holds at most 20 rows, each bounded (a 100-character name,
//     the address);
//   - the copy answers at most 20 queries in each second, and nothing but its own answer;
//   - the copy's log stays as it was (a stranger's datagram writes nothing).
// A broken rule aborts with a line that says which.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "link/discovery.h"
#include "tests/support/memory_datagrams.h"
#include "tests/support/rig.h"

namespace {

using namespace kestrin;
using namespace kestrin::testing;

[[noreturn]] void broken(const char* rule, const std::string& detail = {}) {
    std::fprintf(stderr, "\n*** Kestrin discovery: %s%s%s\n", rule, detail.empty() ? "" : ": ", detail.c_str());
    std::abort();
}

// Names are cut to 100 characters of up to four bytes; the row adds " — " and an address.
constexpr std::size_t kLongestRow = kLongestFoundName * 4 + 40;

void play(const std::uint8_t* data, std::size_t size) {
    MemoryDatagrams air;
    MemoryNetwork network;
    VirtualClock clock;
    auto annAir = air.machine("10.0.0.1");
    auto strangerAir = air.machine("10.0.0.9");
    Rig ann(&network, &clock, "10.0.0.1", nullptr, annAir.get());
    clock.beforeTick = [&] { air.deliver(); };
    // The stranger hears the copy's queries on the shared port, and speaks from another.
    auto ear = strangerAir->create();
    int askingPort = 0;
    ear->bind(kDiscoveryPort, true);
    ear->onDatagram = [&](const std::string&, int port, const std::string&) { askingPort = port; };
    auto mouth = strangerAir->create();
    mouth->bind(0, false);
    std::int64_t answers = 0;
    mouth->onDatagram = [&](const std::string& from, int, const std::string& text) {
        ++answers;
        if (from != "10.0.0.1" || text != "KESTRIN HERE 1 600 Ann") broken("an answer that is not the copy's", text);
    };
    ann.choose("Ann", kMultiPlayer);
    air.deliver();
    if (askingPort == 0) broken("the copy did not ask");
    const std::string log = ann.form().txtOutput.text();

    std::int64_t elapsedMs = 0;
    for (std::size_t at = 0; at < size;) {
        const std::uint8_t op = data[at++];
        if ((op & 0x80) != 0) {
            const int ms = ((op & 0x7F) + 1) * 100;
            clock.advance(ms);
            elapsedMs += ms;
        } else {
            const std::size_t length = (op & 0x3F) * 4u + (at < size ? data[at++] & 3u : 0u);
            const std::string text(reinterpret_cast<const char*>(data + at), std::min(length, size - at));
            at += text.size();
            mouth->send("10.0.0.1", (op & 0x40) != 0 ? askingPort : kDiscoveryPort, text);
        }
        air.deliver();
        // The copy's seconds start with the input: 20 answers in each one begun.
        if (answers > kMostAnswersPerSecond * (1 + elapsedMs / 1000)) broken("more than 20 answers a second");
        const auto rows = ann.form().cmbConnectTo.rows();
        if (rows.size() > static_cast<std::size_t>(kMostGamesFound)) broken("more than 20 games found");
        for (const std::string& row : rows)
            if (row.size() > kLongestRow) broken("a row too long", row);
        if (ann.form().txtOutput.text() != log) broken("the log changed", ann.form().txtOutput.text());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        play(data, size);
    } catch (const std::exception& error) {
        broken("a handler threw", error.what());
    }
    return 0;
}
