// Adapter tests against the real thing: QSettings in a temporary configuration folder, files
// in a temporary folder, QTcpServer/QTcpSocket on loopback with ephemeral ports, Qt timers.
#include "platform/failure.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/qt/qt_sockets.h"
#include "platform/qt/qt_text_files.h"
#include "platform/qt/qt_timer_driver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

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
        previous.isEmpty() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", previous);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    }
    QTemporaryDir config;
    QByteArray previous;
};

TEST_F(SettingsFolder, AwkwardNamesRoundTripInOneFilePerApplicationAndStayInTheirSection) {
    const std::vector<std::string> names = {"a/b", "a\\b", "a=b;c", "[x]", "Zoë 🦅", "", "%41", "General",
                                            " spaced ", "#hash", "a//b/", "\\\\host\\"};
    {
        QtSettingsStore store;
        for (const std::string& name : names) {
            store.write("Kestrin", "Profiles\\" + name, "Statistics", "of " + name);
            store.write("KestrinSolo", "Scores\\", name, "@ByteArray(x), \"q\", ;" + name);
        }
        store.write("Kestrin", "Profiles\\a", "b/Statistics", "key of a");
        EXPECT_EQ(store.fileName("Kestrin"), config.filePath("Kestrin/Kestrin.ini").toStdString());
    }
    EXPECT_TRUE(QFileInfo::exists(config.filePath("Kestrin/Kestrin.ini")));
    EXPECT_TRUE(QFileInfo::exists(config.filePath("Kestrin/KestrinSolo.ini")));

    // A fresh store reads what the first one saved, each value under its own names only.
    QtSettingsStore store;
    for (const std::string& name : names) {
        EXPECT_EQ(store.read("Kestrin", "Profiles\\" + name, "Statistics", "-"), "of " + name) << name;
        EXPECT_EQ(store.read("KestrinSolo", "Scores\\", name, "-"), "@ByteArray(x), \"q\", ;" + name) << name;
        EXPECT_EQ(store.read("Kestrin", "Scores\\", name, "absent"), "absent");  // the other file
    }
    EXPECT_EQ(store.read("Kestrin", "Profiles\\a", "b/Statistics", "-"), "key of a");
    EXPECT_EQ(store.read("Kestrin", "Profiles\\a", "Statistics", "absent"), "absent");
    EXPECT_EQ(store.read("Kestrin", "Profiles", "a/b/Statistics", "absent"), "absent");
}

TEST_F(SettingsFolder, AnUnwritableFolderFailsTheWriteAndAHandEditedFileStillReads) {
    // A configuration folder below a plain file cannot be created, not even by root.
    writeBytes(config.filePath("file"), "x");
    useConfigFolder(config.filePath("file/config"));
    const Failure failure = failureOf([] { QtSettingsStore().write("Kestrin", "Player", "LastIP", "10.0.0.1"); });
    EXPECT_EQ(failure.number(), failures::kPathFileAccess);
    EXPECT_NE(failure.description().find("Kestrin.ini"), std::string::npos) << failure.description();

    useConfigFolder(config.path());
    ASSERT_TRUE(QDir(config.path()).mkpath(QStringLiteral("Kestrin")));
    writeBytes(config.filePath("Kestrin/Kestrin.ini"),
               "[Program]\nGameSelect=a, b\nAutoStart=@Variant(\\0\\0\\0\\x7f)\n\xff\xfe[[[\n=\n");
    QtSettingsStore store;
    EXPECT_EQ(store.read("Kestrin", "Program", "GameSelect", "0"), "a, b");
    store.read("Kestrin", "Program", "AutoStart", "0");  // any text, no crash
    store.write("Kestrin", "Program", "GameSelect", "1");
    EXPECT_EQ(QtSettingsStore().read("Kestrin", "Program", "GameSelect", "0"), "1");
}

// --- Text files ---------------------------------------------------------------------------

TEST(QtTextFiles, WritesCrLfReadsAnyLineEndAndSurvivesInvalidBytes) {
    QTemporaryDir folder;
    const auto path = [&](const char* name) { return folder.filePath(QString::fromUtf8(name)).toStdString(); };
    QtTextFiles files;
    files.appendLine(path("ConnectTo.dat"), "10.0.0.1");
    files.appendLine(path("ConnectTo.dat"), "");
    files.appendLine(path("ConnectTo.dat"), "Zoë");
    files.createEmpty(path("ConnectTo.dat"));  // replaces nothing that exists
    QFile written(folder.filePath("ConnectTo.dat"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll().toStdString(), "10.0.0.1\r\n\r\nZoë\r\n");
    EXPECT_EQ(files.readLines(path("ConnectTo.dat")), (std::vector<std::string>{"10.0.0.1", "", "Zoë"}));

    writeBytes(folder.filePath("mixed.dat"), "a\r\nb\nc\rd\r\n\r\nlast");
    EXPECT_EQ(files.readLines(path("mixed.dat")), (std::vector<std::string>{"a", "b", "c\rd", "", "last"}));
    writeBytes(folder.filePath("bad.dat"), QByteArray("\xff\xfe\x80\r\nok\r\n\0x\r\n", 13));
    const auto lines = files.readLines(path("bad.dat"));
    ASSERT_EQ(lines.size(), 3U);
    EXPECT_EQ(lines[1], "ok");

    const Failure missing = failureOf([&] { files.readLines(path("none.dat")); });
    EXPECT_EQ(missing.number(), failures::kFileNotFound);
    EXPECT_NE(missing.description().find("none.dat"), std::string::npos);
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

std::unique_ptr<Socket> listenAnywhere(SocketFactory& factory) {
    auto listener = factory.create();
    listener->setLocalPort(0);
    listener->listen();
    return listener;
}

// What only the real sockets do (the contract shared with the in-memory network is in
// test_socket_contract.cpp): the joiner is connected before the host takes the request.
TEST(QtSockets, TalkBothWaysOnLoopbackAndCloseToTheClosedState) {
    QtSocketFactory factory;
    auto listener = listenAnywhere(factory);
    ASSERT_EQ(listener->state(), socket_state::kListening);
    Recorder atListener(*listener);
    auto client = factory.create();
    Recorder atClient(*client);
    client->setRemoteHost("127.0.0.1");
    client->setRemotePort(listener->localPort());
    client->connect();
    EXPECT_TRUE(atClient.events.empty());  // nothing is delivered from inside the call

    // The joiner is connected as soon as the system has the connection and speaks first;
    // the host takes the request later and still gets the text.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !atListener.requests.empty() && atClient.has("connected"); }, kWaitMs));
    client->sendData("CONZoë");
    QTest::qWait(50);
    auto accepted = factory.create();
    Recorder atAccepted(*accepted);
    accepted->accept(atListener.requests.front());
    EXPECT_EQ(accepted->state(), socket_state::kConnected);
    EXPECT_EQ(listener->state(), socket_state::kListening);
    EXPECT_EQ(accepted->remoteHostIP(), "127.0.0.1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return atAccepted.text == "CONZoë"; }, kWaitMs)) << atAccepted.text;
    accepted->sendData("VER1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return atClient.text == "VER1"; }, kWaitMs)) << atClient.text;

    // A socket may delete itself from inside its own handler; the peer sees it close.
    accepted->onDataArrival = [&] { accepted.reset(); };
    client->sendData("DIS");
    ASSERT_TRUE(QTest::qWaitFor([&] { return accepted == nullptr && atClient.has("peer closed"); }, kWaitMs));
    EXPECT_EQ(client->state(), socket_state::kClosing);
    EXPECT_EQ(failureOf([&] { client->sendData("x"); }).number(), 40006);
    client->close();
    EXPECT_EQ(client->state(), socket_state::kClosed);
}

// --- Timers -------------------------------------------------------------------------------

TEST(QtTimerDriver, RunsExactlyWhileTheModelIsEnabledAndMayBeUnboundFromItsTick) {
    forms::Timer timer("tmrGame", 5);
    int ticks = 0;
    QtTimerDriver driver;
    driver.bind(timer);
    timer.onTick = [&] { ++ticks; };
    timer.setEnabled(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks >= 2; }, kWaitMs));
    timer.setInterval(0);
    EXPECT_FALSE(driver.isRunning(timer));
    timer.setInterval(5);
    timer.setEnabled(false);
    EXPECT_FALSE(driver.isRunning(timer));

    timer.onTick = [&] { ++ticks; driver.unbind(timer); };
    ticks = 0;
    timer.setEnabled(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks == 1; }, kWaitMs));
    EXPECT_FALSE(driver.isRunning(timer));
}

}  // namespace
}  // namespace kestrin
