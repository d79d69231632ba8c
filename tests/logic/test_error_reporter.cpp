#include <gtest/gtest.h>

#include <new>

#include "shell/error_reporter.h"
#include "tests/support/doubles.h"

namespace kestrin {
namespace {

class ErrorReporterTest : public ::testing::Test {
protected:
    const std::vector<std::string>* log() const {
        const auto found = files.files.find("/prog/ErrorLog.txt");
        return found == files.files.end() ? nullptr : &found->second;
    }
    testing::ScriptedMessageBox boxes;
    testing::MemoryFiles files;
    testing::FixedCalendar calendar;
    ErrorReporter errors{boxes, files, calendar, "/prog"};
};

TEST_F(ErrorReporterTest, ShowsCriticalBoxThenLogsTheMomentItWasDismissed) {
    calendar.text = "05/12/2026 17:50:40";
    boxes.duringShow = [&] {
        EXPECT_EQ(log(), nullptr) << "the log waits for the box";
        calendar.text = "05/12/2026 17:50:45";
    };
    errors.ReportError("Main.cmdGuess", Failure(failures::kOverflow, "Overflow"));

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, "Kestrin Error 6 in Main.cmdGuess");
    EXPECT_EQ(boxes.shown[0].text,
              "The following error has occured:\r[ Overflow ]\rPlease report errors to support@vellam.example\r");
    EXPECT_EQ(boxes.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(boxes.shown[0].buttons, MessageButtons::Ok);
    ASSERT_NE(log(), nullptr);
    EXPECT_EQ(*log(), std::vector<std::string>{"05/12/2026 17:50:45 Error 6 in Main.cmdGuess - Overflow"});
}

TEST_F(ErrorReporterTest, ReportsAppendInOrderAndSkipZeroAndTwenty) {
    errors.ReportError("Main.tmrGame", 0, "");
    errors.ReportError("Main.tmrGame", 20, "Resume without error");
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(log(), nullptr) << "not even created";

    files.files["/prog/ErrorLog.txt"] = {"earlier line"};
    errors.ReportError("", 13, "Type mismatch");
    errors.ReportError("IP.Load", -5, "Odd");
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].title, "Kestrin Error 13 in Unknown");
    EXPECT_EQ(boxes.shown[1].title, "Kestrin Error -5 in IP.Load");
    EXPECT_EQ(*log(),
              (std::vector<std::string>{"earlier line", "05/12/2026 17:50:45 Error 13 in Unknown - Type mismatch",
                                        "05/12/2026 17:50:45 Error -5 in IP.Load - Odd"}));

    errors.setExecutableName("Kestrin2");  // a renamed copy names itself
    errors.ReportError("Main.tmrGame", 6, "Overflow");
    errors.setExecutableName("");
    errors.ReportError("Main.tmrGame", 6, "Overflow");
    EXPECT_EQ(boxes.shown[2].title, "Kestrin2 Error 6 in Main.tmrGame");
    EXPECT_EQ(boxes.shown[3].title, "Kestrin Error 6 in Main.tmrGame");
    EXPECT_EQ(log()->back(), "05/12/2026 17:50:45 Error 6 in Main.tmrGame - Overflow");

    files.failWrites = true;  // an unwritable log: the box still shows, nothing escapes
    EXPECT_NO_THROW(errors.ReportError("Main.Load", failures::kPathFileAccess, "Path/File access error"));
    EXPECT_EQ(boxes.shown.size(), 5u);
}

TEST_F(ErrorReporterTest, GuardReportsEveryKindOfFailureAndGoesOn) {
    bool finished = false;
    EXPECT_TRUE(errors.guard("Main.cmdBank", [&] { finished = true; }));
    EXPECT_TRUE(finished);
    EXPECT_FALSE(errors.guard("Main.cmdBank", [] { throwDivisionByZero(); }));
    EXPECT_FALSE(errors.guard("Main.tmrBank", [] { throw std::bad_alloc(); }));
    EXPECT_FALSE(errors.guard("Main.cmdSend", [] { throw std::logic_error("broken"); }));
    EXPECT_EQ(*log(), (std::vector<std::string>{
                          "05/12/2026 17:50:45 Error 11 in Main.cmdBank - Division by zero",
                          "05/12/2026 17:50:45 Error 7 in Main.tmrBank - Out of memory",
                          "05/12/2026 17:50:45 Error 51 in Main.cmdSend - broken",
                      }));
}

}  // namespace
}  // namespace kestrin
