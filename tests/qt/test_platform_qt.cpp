// Adapter tests against the real thing: QSettings in a temporary configuration folder, files
// in a temporary folder, QTcpServer/QTcpSocket on loopback with ephemeral ports, Qt timers.
#include "platform/failure.h"
#include "platform/qt/qt_address_table.h"
#include "platform/qt/qt_calendar.h"
#include "platform/qt/qt_desktop_shell.h"
#include "platform/qt/qt_folders.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/qt/qt_sockets.h"
#include "platform/qt/qt_sound.h"
#include "platform/qt/qt_text_files.h"
#include "platform/qt/qt_timer_driver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

namespace kestrin {
namespace {

constexpr int kWaitMs = 5000;

// The Failure an action throws; number 0 when it throws none.
Failure failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Failure& failure) {
        return failure;
    }
    return Failure(0, "");
}

std::string readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll().toStdString();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// --- Settings store -----------------------------------------------------------------------

// Points the user's configuration folder at a fresh temporary folder for one test.
class SettingsFolder : public ::testing::Test {
protected:
    void useConfigFolder(const QString& folder) {
        qputenv("XDG_CONFIG_HOME", folder.toUtf8());
        // QSettings remembers the folder of its first use in the process; tell it again.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
    }
    void SetUp() override {
        ASSERT_TRUE(config.isValid());
        previous = qgetenv("XDG_CONFIG_HOME");
        useConfigFolder(config.path());
    }
    void TearDown() override {
        if (previous.isEmpty())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", previous);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    }
    QTemporaryDir config;
    QByteArray previous;
};

TEST_F(SettingsFolder, AwkwardNamesRoundTripIntoOneFilePerApplication) {
    const std::vector<std::string> names = {"Anonymous", "a/b",   "a\\b",      "a=b;c", "[x]",
                                            "Zoë 🦅",    "",      "%41",       "General", " spaced ",
                                            "#hash",     "a//b/", "\\\\host\\"};
    {
        QtSettingsStore store;
        for (std::size_t i = 0; i < names.size(); ++i) {
            store.write("Kestrin", "Profiles\\" + names[i], "Statistics", "value " + std::to_string(i));
            store.write("KestrinSolo", "Scores\\", names[i], names[i] + "|" + std::to_string(i));
        }
        store.write("Kestrin", names[5], "", "empty key");
        store.write("Kestrin", "Program", "AutoStart", "@ByteArray(x), \"quoted\", ;comment");
        EXPECT_EQ(store.fileName("Kestrin"), config.filePath("Kestrin/Kestrin.ini").toStdString());
    }
    EXPECT_TRUE(QFileInfo::exists(config.filePath("Kestrin/Kestrin.ini")));
    EXPECT_TRUE(QFileInfo::exists(config.filePath("Kestrin/KestrinSolo.ini")));

    // A fresh store reads what the first one saved.
    QtSettingsStore store;
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(store.read("Kestrin", "Profiles\\" + names[i], "Statistics", "-"), "value " + std::to_string(i))
            << names[i];
        EXPECT_EQ(store.read("KestrinSolo", "Scores\\", names[i], "-"), names[i] + "|" + std::to_string(i));
        EXPECT_EQ(store.read("Kestrin", "Scores\\", names[i], "absent"), "absent");  // the other file
    }
    EXPECT_EQ(store.read("Kestrin", names[5], "", "-"), "empty key");
    EXPECT_EQ(store.read("Kestrin", "Program", "AutoStart", "-"), "@ByteArray(x), \"quoted\", ;comment");
}

TEST_F(SettingsFolder, ANameWithASlashCannotReachAnotherSection) {
    QtSettingsStore store;
    store.write("Kestrin", "Profiles\\a/b", "Statistics", "of a/b");
    store.write("Kestrin", "Profiles\\a", "b/Statistics", "key of a");
    EXPECT_EQ(store.read("Kestrin", "Profiles\\a/b", "Statistics", "-"), "of a/b");
    EXPECT_EQ(store.read("Kestrin", "Profiles\\a", "b/Statistics", "-"), "key of a");
    EXPECT_EQ(store.read("Kestrin", "Profiles\\a", "Statistics", "absent"), "absent");
    EXPECT_EQ(store.read("Kestrin", "Profiles", "a/b/Statistics", "absent"), "absent");
    EXPECT_EQ(store.read("Kestrin", "Profiles\\A/B", "Statistics", "absent"), "absent");
}

TEST_F(SettingsFolder, AWriteThatCannotBeSavedFailsAndTheStoreGoesOn) {
    // A configuration folder below a plain file cannot be created, not even by root.
    writeBytes(config.filePath("file"), "x");
    useConfigFolder(config.filePath("file/config"));
    QtSettingsStore store;
    const Failure failure = failureOf([&] { store.write("Kestrin", "Player", "LastIP", "10.0.0.1"); });
    EXPECT_EQ(failure.number(), failures::kPathFileAccess);
    EXPECT_NE(failure.description().find("Kestrin.ini"), std::string::npos) << failure.description();
    EXPECT_EQ(store.read("Kestrin", "Player", "LastIP", "none"), "none");

    // Once the folder can be written again, so can the settings.
    useConfigFolder(config.path());
    QtSettingsStore later;
    later.write("Kestrin", "Player", "LastIP", "10.0.0.2");
    EXPECT_EQ(QtSettingsStore().read("Kestrin", "Player", "LastIP", "none"), "10.0.0.2");
}

TEST_F(SettingsFolder, AHandEditedFileBreaksNeitherReadingNorWriting) {
    ASSERT_TRUE(QDir(config.path()).mkpath(QStringLiteral("Kestrin")));
    writeBytes(config.filePath("Kestrin/Kestrin.ini"),
               "[Program]\nGameSelect=a, b\nAutoStart=@Variant(\\0\\0\\0\\x7f)\n\xff\xfe[[[\n=\n"
               "[Scores%255C]\n1name=\xc3\n");
    QtSettingsStore store;
    EXPECT_EQ(store.read("Kestrin", "Program", "GameSelect", "0"), "a, b");
    store.read("Kestrin", "Program", "AutoStart", "0");  // any text, no crash
    store.read("Kestrin", "Scores\\", "1name", "");
    EXPECT_EQ(store.read("Kestrin", "Program", "Missing", "dflt"), "dflt");

    // Unreadable lines do not make the next write fail.
    store.write("Kestrin", "Program", "GameSelect", "1");
    EXPECT_EQ(QtSettingsStore().read("Kestrin", "Program", "GameSelect", "0"), "1");
}

// --- Text files ---------------------------------------------------------------------------

class TextFilesFolder : public ::testing::Test {
protected:
    std::string path(const char* name) const { return folder.filePath(QString::fromUtf8(name)).toStdString(); }
    QTemporaryDir folder;
    QtTextFiles files;
};

TEST_F(TextFilesFolder, AppendsWithCrLfAndReadsEveryLineBack) {
    const std::string list = path("ConnectTo.dat");
    EXPECT_FALSE(files.exists(list));
    files.appendLine(list, "10.0.0.1");
    files.appendLine(list, "");
    files.appendLine(list, "Zoë");
    EXPECT_EQ(readBytes(QString::fromStdString(list)), "10.0.0.1\r\n\r\nZoë\r\n");
    EXPECT_EQ(files.readLines(list), (std::vector<std::string>{"10.0.0.1", "", "Zoë"}));

    // createEmpty replaces nothing that exists.
    files.createEmpty(list);
    EXPECT_EQ(files.readLines(list).size(), 3U);
    files.createEmpty(path("PlayerName.dat"));
    EXPECT_TRUE(files.exists(path("PlayerName.dat")));
    EXPECT_TRUE(files.readLines(path("PlayerName.dat")).empty());
    EXPECT_TRUE(files.exists(folder.path().toStdString()));  // folders count as entries
}

TEST_F(TextFilesFolder, ReadsBareLineFeedsUnendedLastLinesAndInvalidBytes) {
    writeBytes(folder.filePath("mixed.dat"), "a\r\nb\nc\rd\r\n\r\nlast");
    EXPECT_EQ(files.readLines(path("mixed.dat")), (std::vector<std::string>{"a", "b", "c\rd", "", "last"}));

    writeBytes(folder.filePath("bad.dat"), QByteArray("\xff\xfe\x80\r\nok\r\n\0x\r\n", 13));
    const auto lines = files.readLines(path("bad.dat"));
    ASSERT_EQ(lines.size(), 3U);
    EXPECT_FALSE(lines[0].empty());
    EXPECT_EQ(lines[1], "ok");

    QByteArray many;
    for (int i = 0; i < 100000; ++i) many += "player " + QByteArray::number(i) + "\r\n";
    writeBytes(folder.filePath("many.dat"), many);
    const auto manyLines = files.readLines(path("many.dat"));
    ASSERT_EQ(manyLines.size(), 100000U);
    EXPECT_EQ(manyLines.back(), "player 99999");
}

TEST_F(TextFilesFolder, FailuresCarryAFileNumberAndNameTheFile) {
    const Failure missing = failureOf([&] { files.readLines(path("none.dat")); });
    EXPECT_EQ(missing.number(), failures::kFileNotFound);
    EXPECT_NE(missing.description().find("none.dat"), std::string::npos);

    writeBytes(folder.filePath("plain"), "x");
    for (const auto& action : std::vector<std::function<void()>>{
             [&] { files.createEmpty(path("plain/inner.dat")); },
             [&] { files.appendLine(path("plain/inner.dat"), "x"); },
             [&] { files.readLines(folder.path().toStdString()); }}) {
        const Failure failure = failureOf(action);
        EXPECT_NE(failure.number(), 0);
        EXPECT_NE(failure.description().find(folder.path().toStdString()), std::string::npos)
            << failure.description();
    }

    if (geteuid() != 0) {  // root may write anywhere
        QFile::setPermissions(folder.filePath("plain"), QFileDevice::ReadOwner);
        EXPECT_EQ(failureOf([&] { files.appendLine(path("plain"), "x"); }).number(), failures::kPermissionDenied);
    }
}

// --- Sockets ------------------------------------------------------------------------------

// Records a socket's events in order.
struct Recorder {
    explicit Recorder(Socket& socket) {
        socket.onConnectionRequest = [this](std::int64_t id) { requests.push_back(id); };
        socket.onConnected = [this] { events.push_back("connected"); };
        socket.onDataArrival = [this, &socket] { text += socket.getData(); };
        socket.onPeerClosed = [this] { events.push_back("peer closed"); };
        socket.onError = [this](int number, const std::string& description) {
            events.push_back("error " + std::to_string(number) + " " + description);
        };
    }
    bool has(const std::string& event) const { return std::find(events.begin(), events.end(), event) != events.end(); }
    std::vector<std::int64_t> requests;
    std::vector<std::string> events;
    std::string text;
};

// A listening element on an ephemeral port of this machine.
std::unique_ptr<Socket> listenAnywhere(SocketFactory& factory) {
    auto listener = factory.create();
    listener->setLocalPort(0);
    listener->listen();
    return listener;
}

TEST(QtSockets, ListenConnectAcceptTalkAndClose) {
    QtSocketFactory factory;
    auto listener = listenAnywhere(factory);
    ASSERT_EQ(listener->state(), socket_state::kListening);
    const int port = listener->localPort();
    ASSERT_GT(port, 0);
    Recorder atListener(*listener);

    auto client = factory.create();
    Recorder atClient(*client);
    client->setRemoteHost("127.0.0.1");
    client->setRemotePort(port);
    client->connect();
    // Nothing is delivered from inside the call.
    EXPECT_TRUE(atClient.events.empty());
    EXPECT_TRUE(client->state() == socket_state::kConnecting || client->state() == socket_state::kResolvingHost);

    ASSERT_TRUE(QTest::qWaitFor([&] { return !atListener.requests.empty(); }, kWaitMs));
    auto accepted = factory.create();
    Recorder atAccepted(*accepted);
    accepted->accept(atListener.requests.front());
    EXPECT_EQ(accepted->state(), socket_state::kConnected);
    EXPECT_EQ(listener->state(), socket_state::kListening);  // keeps listening
    EXPECT_EQ(accepted->remoteHostIP(), "127.0.0.1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return atClient.has("connected"); }, kWaitMs));
    EXPECT_EQ(client->state(), socket_state::kConnected);

    client->sendData("CONZoë");
    ASSERT_TRUE(QTest::qWaitFor([&] { return atAccepted.text == "CONZoë"; }, kWaitMs)) << atAccepted.text;
    accepted->sendData("VER1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return atClient.text == "VER1"; }, kWaitMs)) << atClient.text;

    client->close();
    EXPECT_EQ(client->state(), socket_state::kClosed);
    ASSERT_TRUE(QTest::qWaitFor([&] { return atAccepted.has("peer closed"); }, kWaitMs));
    EXPECT_EQ(accepted->state(), socket_state::kClosing);
    EXPECT_EQ(failureOf([&] { accepted->sendData("x"); }).number(), 40006);
    accepted->close();
    EXPECT_EQ(accepted->state(), socket_state::kClosed);
    EXPECT_TRUE(atClient.events == std::vector<std::string>{"connected"});
}

TEST(QtSockets, ClosedOrDeletedSocketsHearNothingMore) {
    QtSocketFactory factory;
    auto listener = listenAnywhere(factory);
    Recorder atListener(*listener);
    auto client = factory.create();
    Recorder atClient(*client);
    client->setRemoteHost("127.0.0.1");
    client->setRemotePort(listener->localPort());
    client->connect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !atListener.requests.empty(); }, kWaitMs));
    auto accepted = factory.create();
    accepted->accept(atListener.requests.front());
    ASSERT_TRUE(QTest::qWaitFor([&] { return atClient.has("connected"); }, kWaitMs));

    // Text on its way to a socket that closes before it arrives raises no event.
    int arrivals = 0;
    accepted->onDataArrival = [&] { ++arrivals; };
    client->sendData("SCU 250");
    accepted->close();
    QTest::qWait(200);
    EXPECT_EQ(arrivals, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return atClient.has("peer closed"); }, kWaitMs));

    // A socket may delete itself from inside its own handler.
    client->close();
    client->setRemotePort(listener->localPort());
    client->connect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return atListener.requests.size() == 2; }, kWaitMs));
    accepted->accept(atListener.requests.back());
    accepted->onDataArrival = [&] { accepted.reset(); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return client->state() == socket_state::kConnected; }, kWaitMs));
    client->sendData("DIS");
    ASSERT_TRUE(QTest::qWaitFor([&] { return accepted == nullptr; }, kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return client->state() == socket_state::kClosing; }, kWaitMs));
}

TEST(QtSockets, AConnectionTakenLateStillDeliversWhatCameBeforeIt) {
    // The joiner is connected as soon as the system has the connection, and speaks first;
    // the host may take the request only later.
    QtSocketFactory factory;
    auto listener = listenAnywhere(factory);
    Recorder atListener(*listener);
    std::vector<std::unique_ptr<Socket>> clients;
    for (int i = 0; i < 2; ++i) {
        clients.push_back(factory.create());
        clients.back()->onConnected = [&, i] { clients[i]->sendData("CONJoiner" + std::to_string(i)); };
        clients.back()->setRemoteHost("127.0.0.1");
        clients.back()->setRemotePort(listener->localPort());
        clients.back()->connect();
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return atListener.requests.size() == 2; }, kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return clients[1]->state() == socket_state::kConnected; }, kWaitMs));
    clients[1]->close();  // the second joiner gives up before it is taken
    QTest::qWait(100);

    auto first = factory.create();
    Recorder atFirst(*first);
    first->accept(atListener.requests[0]);
    ASSERT_TRUE(QTest::qWaitFor([&] { return atFirst.text == "CONJoiner0"; }, kWaitMs)) << atFirst.text;

    auto second = factory.create();
    Recorder atSecond(*second);
    second->accept(atListener.requests[1]);
    ASSERT_TRUE(QTest::qWaitFor([&] { return atSecond.has("peer closed"); }, kWaitMs));
    EXPECT_EQ(atSecond.text, "CONJoiner1");
    EXPECT_EQ(second->state(), socket_state::kClosing);

    // A request can no longer be taken once its listener has closed.
    clients[1]->connect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return atListener.requests.size() == 3; }, kWaitMs));
    listener->close();
    EXPECT_EQ(failureOf([&] { factory.create()->accept(atListener.requests[2]); }).number(), 10022);
}

TEST(QtSockets, FailuresNameTheSystemsReason) {
    QtSocketFactory factory;
    auto listener = listenAnywhere(factory);
    const int port = listener->localPort();

    auto second = factory.create();
    second->setLocalPort(port);
    const Failure taken = failureOf([&] { second->listen(); });
    EXPECT_EQ(taken.number(), failures::kNotListening);
    EXPECT_NE(taken.description().find("already in use"), std::string::npos) << taken.description();
    EXPECT_EQ(second->state(), socket_state::kClosed);
    EXPECT_EQ(failureOf([&] { listener->listen(); }).number(), 40020);

    // Nobody listens on the port any more: the attempt is refused, as an event.
    listener->close();
    auto client = factory.create();
    Recorder atClient(*client);
    EXPECT_EQ(failureOf([&] { client->connect(); }).number(), 11001);  // no host given
    EXPECT_EQ(failureOf([&] { client->sendData("x"); }).number(), 40006);
    client->setRemoteHost("127.0.0.1");
    client->setRemotePort(port);
    client->connect();
    EXPECT_EQ(failureOf([&] { client->connect(); }).number(), 40020);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !atClient.events.empty(); }, kWaitMs));
    EXPECT_EQ(atClient.events.front(), "error 10061 Connection refused");
    EXPECT_EQ(client->state(), socket_state::kError);
    client->close();
    EXPECT_EQ(client->state(), socket_state::kClosed);
}

// --- Timers, and the smaller services -----------------------------------------------------

TEST(QtTimerDriver, RunsExactlyWhileTheModelIsEnabled) {
    forms::Timer timer("tmrGame", 5);
    int ticks = 0;
    timer.onTick = [&] { ++ticks; };
    {
        QtTimerDriver driver;
        driver.bind(timer);
        EXPECT_FALSE(driver.isRunning(timer));
        timer.setEnabled(true);
        EXPECT_TRUE(driver.isRunning(timer));
        ASSERT_TRUE(QTest::qWaitFor([&] { return ticks >= 2; }, kWaitMs));
        timer.setInterval(0);
        EXPECT_FALSE(driver.isRunning(timer));
        timer.setInterval(5);
        EXPECT_TRUE(driver.isRunning(timer));
        timer.setEnabled(false);
        EXPECT_FALSE(driver.isRunning(timer));

        // A tick handler may unbind its own timer.
        timer.onTick = [&] { ++ticks; driver.unbind(timer); };
        ticks = 0;
        timer.setEnabled(true);
        ASSERT_TRUE(QTest::qWaitFor([&] { return ticks == 1; }, kWaitMs));
        EXPECT_FALSE(driver.isRunning(timer));
        driver.bind(timer);
    }
    timer.setEnabled(false);  // the driver is gone: nothing happens
    timer.setEnabled(true);
}

TEST(QtServices, AddressesCalendarFoldersSoundAndShellBehave) {
    const auto addresses = QtAddressTable().ipv4Addresses();
    EXPECT_NE(std::find(addresses.begin(), addresses.end(), std::array<std::uint8_t, 4>{127, 0, 0, 1}),
              addresses.end());

    const std::string now = QtCalendar().nowText();
    EXPECT_NE(now.find(' '), std::string::npos) << now;
    EXPECT_NE(now.find(':'), std::string::npos) << now;
    EXPECT_EQ(now.find("UTC"), std::string::npos) << now;

    const Folders folders = chooseFolders();
    EXPECT_EQ(folders.program, QCoreApplication::applicationDirPath().toStdString());
    EXPECT_FALSE(folders.write.empty());

    QTemporaryDir folder;
    QtSound sound;
    sound.playFile(folder.filePath("missing.wav").toStdString());  // silent, returns at once
    writeBytes(folder.filePath("broken.wav"), "RIFF....not a wave");
    sound.playFile(folder.filePath("broken.wav").toStdString());
    QTest::qWait(50);
    sound.playFile(folder.filePath("broken.wav").toStdString());

    EXPECT_FALSE(QtDesktopShell().open("Read Me.html", folder.path().toStdString()));
    EXPECT_FALSE(QtDesktopShell().open("", ""));
}

}  // namespace
}  // namespace kestrin
