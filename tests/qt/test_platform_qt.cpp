// Adapter tests against the real thing: the folders, QSettings in a temporary configuration
// folder, files in a temporary folder, Qt timers. The sockets are in test_socket_contract.cpp.
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>

#include "platform/qt/qt_folders.h"
#include "platform/qt/qt_settings_store.h"
#include "platform/qt/qt_text_files.h"
#include "platform/qt/qt_timer_driver.h"
#include "tests/support/doubles.h"

namespace kestrin::testing {
namespace {

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

TEST(QtFolders, OnlyACopyOfItsOwnWritesBesideTheProgramAnInstalledOneWritesToTheUserFolder) {
    QTemporaryDir program, data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    const Folders own = chooseFolders(program.path());
    EXPECT_EQ(own.program + " " + own.write, program.path().toStdString() + " " + program.path().toStdString());
    EXPECT_EQ(QDir(program.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    writeBytes(QDir(program.path()).filePath(kInstalledMarker), "installed\n");
    const Folders installed = chooseFolders(program.path());
    const QString userFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    EXPECT_EQ(installed.write, userFolder.toStdString());
    EXPECT_TRUE(QDir(userFolder).exists());  // made when missing
    qunsetenv("XDG_DATA_HOME");
}

// While it lives, no file may grow beyond 16 bytes, as on a full disk: saves fail, for root
// too. Nothing may be printed meanwhile (a log file would be cut short as well).
class FullDisk {
public:
    FullDisk() : previousSignal_(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit small = previous_;
        small.rlim_cur = 16;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FullDisk() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousSignal_);
    }

private:
    rlimit previous_{};
    void (*previousSignal_)(int);
};

// Points the user's configuration folder at a fresh temporary folder for one test.
class SettingsFolder : public ::testing::Test {
protected:
    static void useConfigFolder(const QString& folder) {
        qputenv("XDG_CONFIG_HOME", folder.toUtf8());
        // QSettings remembers the folder of its first use in the process; tell it again.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
    }
    void SetUp() override { useConfigFolder(config.path()); }
    void TearDown() override {
        qunsetenv("XDG_CONFIG_HOME");
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    }
    QTemporaryDir config;
};

TEST_F(SettingsFolder, AwkwardNamesRoundTripInOneFilePerApplicationAndStayInTheirSection) {
    const std::vector<std::string> names = {"a/b", "a\\b",    "a=b;c",    "[x]",   "Zoë 🦅", "",
                                            "%41", "General", " spaced ", "#hash", "a//b/",     "\\\\host\\"};
    {
        QtSettingsStore store;
        std::vector<SettingsStore::Write> scores;  // saved as one operation
        for (const std::string& name : names) {
            store.write("Kestrin", "Profiles\\" + name, "Statistics", "of " + name);
            scores.push_back({"Scores\\", name, "@ByteArray(x), \"q\", ;" + name});
        }
        store.writeAll("KestrinSolo", scores);
        store.write("Kestrin", "Profiles\\a", "b/Statistics", "key of a");
        EXPECT_EQ(store.fileName("Kestrin"), config.filePath("Kestrin/Kestrin.ini").toStdString());
    }
    EXPECT_TRUE(QFile::exists(config.filePath("Kestrin/KestrinSolo.ini")));
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

TEST_F(SettingsFolder, EveryUnsavedWriteFailsAndHandEditedLinesMakeNoSaveLookFailed) {
    // A configuration folder below a plain file cannot be created, not even by root.
    writeBytes(config.filePath("file"), "x");
    useConfigFolder(config.filePath("file/config"));
    const std::string failure = failureText([] { QtSettingsStore().write("Kestrin", "Player", "LastIP", "10.0.0.1"); });
    EXPECT_TRUE(failure.starts_with("75 ") && failure.find("Kestrin.ini") != std::string::npos) << failure;
    useConfigFolder(config.path());
    ASSERT_TRUE(QDir(config.path()).mkpath(QStringLiteral("Kestrin")));
    // Lines QSettings cannot read: values without "=", a section header cut short.
    const QByteArray handEdited(
        "[Program]\nGameSelect=a, b\nAutoStart=@Variant(\\0\\0\\0\\x7f)\n\xff\xfe[[[\n=\n"
        "no equals sign\n[Profiles%255CAnn\nStatistics=1|2\n");
    const QString file = config.filePath("Kestrin/Kestrin.ini");
    writeBytes(file, handEdited);
    QtSettingsStore store;
    EXPECT_EQ(store.read("Kestrin", "Program", "GameSelect", "0"), "a, b");
    store.read("Kestrin", "Program", "AutoStart", "0");  // any text, no crash
    // Every save that does not reach the disk fails, the first and every later one alike.
    std::string failures;
    {
        FullDisk full;
        for (const char* host : {"10.0.0.1", "10.0.0.2"}) {
            failures += failureText([&] { store.write("Kestrin", "Player", "LastIP", host); }).substr(0, 3);
            failures += failureText([&] {
                            store.writeAll("Kestrin", {{"Scores\\", "1name", "Ann"}, {"Scores\\", "1score", "70"}});
                        }).substr(0, 3);
        }
    }
    EXPECT_EQ(failures, "75 75 75 75 ");
    EXPECT_EQ(bytesOf(file), handEdited);
    // With room again the unreadable lines make no save look failed; the values that could
    // not be saved go to the disk with it.
    EXPECT_EQ(failureText([&] { store.write("Kestrin", "Program", "GameSelect", "1"); }), "0");
    QtSettingsStore fresh;
    EXPECT_EQ((std::vector<std::string>{fresh.read("Kestrin", "Program", "GameSelect", "0"),
                                        fresh.read("Kestrin", "Profiles\\Ann", "Statistics", "-"),
                                        fresh.read("Kestrin", "Player", "LastIP", "-"),
                                        fresh.read("Kestrin", "Scores\\", "1score", "-")}),
              (std::vector<std::string>{"1", "1|2", "10.0.0.2", "70"}));
}

TEST(QtTextFiles, WriteCrLfReadAnyLineEndKeepEveryByteAndOpenOnlyPlainFiles) {
    QTemporaryDir folder;
    const auto path = [&](const char* name) { return folder.filePath(QString::fromUtf8(name)).toStdString(); };
    QtTextFiles files;
    files.appendLine(path("ConnectTo.dat"), "10.0.0.1");
    files.appendLine(path("ConnectTo.dat"), "");
    files.appendLine(path("ConnectTo.dat"), "Zoë");
    files.createEmpty(path("ConnectTo.dat"));  // replaces nothing that exists
    EXPECT_EQ(bytesOf(folder.filePath("ConnectTo.dat")), QByteArray("10.0.0.1\r\n\r\nZoë\r\n"));
    EXPECT_EQ(files.readLines(path("ConnectTo.dat")), (std::vector<std::string>{"10.0.0.1", "", "Zoë"}));
    writeBytes(folder.filePath("mixed.dat"), "a\r\nb\nc\rd\r\n\r\nlast\r");
    files.appendLine(path("mixed.dat"), "new");  // the unended last line keeps its CR
    EXPECT_EQ(files.readLines(path("mixed.dat")), (std::vector<std::string>{"a", "b", "c\rd", "", "last\r", "new"}));
    // A line that is not UTF-8 is Windows-1252, every byte a character of its own.
    writeBytes(folder.filePath("bad.dat"), QByteArray("\xff\xfe\x80\x81\x9f\r\nok\r\n\0x\r\n", 15));
    EXPECT_EQ(files.readLines(path("bad.dat")), (std::vector<std::string>{"ÿþ€\u0081Ÿ", "ok", std::string("\0x", 2)}));
    EXPECT_EQ(failureText([&] { files.readLines(path("none.dat")); }), "53 File not found: " + path("none.dat"));
    // A FIFO would hold the program up until someone writes to it; it, a folder and a device fail at once instead.
    const std::string fifo = path("PlayerName.dat");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("folder.dat")));
    for (const std::string& odd : {fifo, path("folder.dat"), std::string("/dev/null")}) {
        EXPECT_TRUE(files.exists(odd));
        for (const std::function<void()>& use : std::initializer_list<std::function<void()>>{
                 [&] { files.readLines(odd); }, [&] { files.createEmpty(odd); },
                 [&] { files.appendLine(odd, "Ann"); }}) {
            const std::string failure = failureText(use);
            EXPECT_TRUE(failure.starts_with("75 ") && failure.find(odd) != std::string::npos) << failure;
        }
    }
}

TEST(QtTimerDriver, RunsExactlyWhileTheModelIsEnabledAndMayBeUnboundFromItsTick) {
    forms::Timer timer("tmrGame", 5);
    int ticks = 0;
    QtTimerDriver driver;
    driver.bind(timer);
    timer.onTick = [&] { ++ticks; };
    timer.setEnabled(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks >= 2; }, 5000));
    timer.setEnabled(false);
    EXPECT_FALSE(driver.isRunning(timer));
    timer.onTick = [&] {
        ++ticks;
        driver.unbind(timer);
    };
    ticks = 0;
    timer.setEnabled(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks == 1; }, 5000));
    EXPECT_FALSE(driver.isRunning(timer));
}

}  // namespace
}  // namespace kestrin::testing
