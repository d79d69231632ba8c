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

// A view learns of every change a handler makes to a form model, and of nothing that did not
// change; the drop-down list's handler runs exactly when its text may have changed.
TEST(FormModels, TellTheirViewsOfEveryChange) {
    forms::Form form("frmTest");
    int formNotes = 0;
    form.observers().add([&] { ++formNotes; });
    form.setCaption("Kestrin");
    form.setCaption("Kestrin");
    form.setHeightTwips(4365);
    EXPECT_EQ(formNotes, 2);

    forms::ComboBox box(form, "cmbConnectTo");
    int notes = 0;
    int changes = 0;
    box.observers().add([&] { ++notes; });
    box.onChange = [&] { ++changes; };
    box.addItem("10.0.0.1");
    box.addItem("10.0.0.2");
    EXPECT_EQ(notes, 2);
    box.setListIndex(0);  // picking an entry sets the text and tells both
    EXPECT_EQ(box.text(), "10.0.0.1");
    EXPECT_EQ(notes, 3);
    EXPECT_EQ(changes, 1);
    box.setListIndex(7);  // no such entry: nothing chosen, the text stays
    EXPECT_EQ(box.listIndex(), -1);
    EXPECT_EQ(box.text(), "10.0.0.1");
    box.clear();
    EXPECT_EQ(box.text(), "");
    EXPECT_EQ(box.listCount(), 0u);
    EXPECT_EQ(notes, 5);
    EXPECT_EQ(changes, 3);
    box.clear();  // already empty: the view hears of it, the handler does not
    EXPECT_EQ(notes, 6);
    EXPECT_EQ(changes, 3);

    forms::Timer timer("tmrGame", 1000);
    int ticks = 0;
    timer.observers().add([&] { ++ticks; });
    timer.setEnabled(true);
    timer.setEnabled(true);
    timer.setInterval(500);
    timer.setInterval(500);
    EXPECT_EQ(ticks, 2);
}

}  // namespace
}  // namespace kestrin::testing
