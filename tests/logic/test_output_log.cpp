// The output log's text box: lines added to its end, what a view learns of each change, and
// where the caret goes.
#include <gtest/gtest.h>

#include <string>

#include "platform/forms.h"

namespace kestrin::testing {
namespace {

struct OutputLogTest : ::testing::Test {
    OutputLogTest() {
        log.observers().add([this] { ++notified; });
        log.onChange = [this] { ++changes; };
    }
    forms::Form form{"frmMain"};
    forms::TextBox log{form, "txtOutput"};
    int notified = 0;
    int changes = 0;
};

TEST_F(OutputLogTest, AppendAddsAtTheEndAndTellsAViewOnlyTextWasAdded) {
    log.setText("* one");
    const auto replaced = log.textReplacedAt();
    const auto before = log.textRevision();
    notified = changes = 0;

    log.append("\r\n* two");
    log.append("\r\n* three");
    EXPECT_EQ(log.text(), "* one\r\n* two\r\n* three");
    EXPECT_EQ(notified, 2);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(log.textRevision(), before + 2);
    EXPECT_EQ(log.textReplacedAt(), replaced);  // the first five bytes a view showed still stand

    log.append("");  // nothing to add: nobody hears of it
    EXPECT_EQ(notified, 2);
    EXPECT_EQ(log.textRevision(), before + 2);

    // A new text given whole: a replacement, unless it only adds to the end.
    log.setText(log.text() + "\r\n* four");
    EXPECT_EQ(log.textReplacedAt(), replaced);
    log.setText("* other");
    EXPECT_EQ(log.textReplacedAt(), log.textRevision());
    log.setText("");
    EXPECT_EQ(log.textReplacedAt(), log.textRevision());
}

TEST_F(OutputLogTest, ACaretAtTheEndStaysAtTheEndAndOneElsewhereStays) {
    log.append("* one");
    EXPECT_EQ(log.selStart(), log.text().size());
    notified = 0;
    // The game's way of adding a line: the line, then the caret to the end, which is one
    // notification since the caret is there already.
    log.append("\r\n* two");
    log.setSelStart(log.text().size());
    EXPECT_EQ(notified, 1);

    log.setSelStart(2);
    log.append("\r\n* three");
    EXPECT_EQ(log.selStart(), 2u);
}

TEST_F(OutputLogTest, AppendKeepsWithinTheMaximumLength) {
    log.maxLength = 8;
    log.append("12345");
    log.append("6789");
    EXPECT_EQ(log.text(), "12345678");
    notified = 0;
    log.append("9");
    EXPECT_EQ(log.text(), "12345678");
    EXPECT_EQ(notified, 0);
}

}  // namespace
}  // namespace kestrin::testing
