// The small platform services the game logic uses. Each has a Qt implementation in
// platform/qt and a test double in tests/support.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrin {

// The per-user settings store: text values addressed by application name, section and key.
// Names are used exactly as the game gives them ("Scores\", "Profiles\" and any player
// name); the store keeps them apart however they are spelled. A write that cannot be saved
// throws a Failure.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::string read(const std::string& application, const std::string& section, const std::string& key,
                             const std::string& defaultValue) = 0;
    virtual void write(const std::string& application, const std::string& section, const std::string& key,
                       const std::string& value) = 0;

    // Several values of one application, saved as one operation: all of them reach the store
    // or the call throws. A store that can save once for all of them (a file) does so.
    struct Write {
        std::string section;
        std::string key;
        std::string value;
    };
    virtual void writeAll(const std::string& application, const std::vector<Write>& writes) {
        for (const Write& one : writes) write(application, one.section, one.key, one.value);
    }
};

enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageButtons { Ok, YesNo };
enum class MessageResult { Ok, Yes, No };

// A modal message box. While it is open the event loop keeps running (timers tick, sockets
// deliver), so callers must stay correct when other handlers run inside the call.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual MessageResult show(const std::string& text, const std::string& title, MessageButtons buttons,
                               MessageIcon icon) = 0;
};

// Sounds: a wave file played asynchronously (silent when the file is missing or there is no
// audio device; never blocks), and the system beep.
class Sound {
public:
    virtual ~Sound() = default;
    virtual void playFile(const std::string& path) = 0;
    virtual void beep() = 0;
};

// The desktop shell: opens a file, a web address or a mailto: address with the program the
// user has chosen for it. Returns false when it could not be handed over.
class DesktopShell {
public:
    virtual ~DesktopShell() = default;
    virtual bool open(const std::string& target, const std::string& workingFolder) = 0;
};

// The machine's configured IPv4 addresses, one per interface entry, loopback included, each
// as four octets, first octet first, in any order.
class AddressTable {
public:
    virtual ~AddressTable() = default;
    virtual std::vector<std::array<std::uint8_t, 4>> ipv4Addresses() = 0;
};

// Random numbers: uniform in [0, 1) in single precision, reseeded from the time of day
// before each draw.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual float next() = 0;
};

// Text files in the system's 8-bit encoding with CR LF line ends. Inside the program text
// is UTF-8; the implementation converts at the edge. Every call opens and closes the file.
// Errors throw a Failure with a file error number.
class TextFiles {
public:
    virtual ~TextFiles() = default;
    // True when a directory entry (a file or a folder) has this path.
    virtual bool exists(const std::string& path) = 0;
    // Every line, without its line end; a last line without a line end is read as well.
    virtual std::vector<std::string> readLines(const std::string& path) = 0;
    // Creates the file empty (zero bytes), replacing nothing that exists.
    virtual void createEmpty(const std::string& path) = 0;
    // Appends the text and CR LF, creating the file when it is missing.
    virtual void appendLine(const std::string& path, const std::string& text) = 0;
};

// The local date and time as the user's locale writes a date-and-time value: short date, a
// blank, long time.
class Calendar {
public:
    virtual ~Calendar() = default;
    virtual std::string nowText() = 0;
};

// Where the program's files are: the program folder holds the executable and the files it
// reads (sounds, the read-me page); the write folder receives the files it writes (list
// files, the error log). The write folder is the program folder unless that folder is not
// writable, in which case it is the per-user data folder. The choice is made once at start.
struct Folders {
    std::string program;
    std::string write;
};

// Joins a folder and a file name with the platform's separator.
std::string joinPath(const std::string& folder, const std::string& name);

}  // namespace kestrin
