// The read-only text views: the output log of the main window, and the statistics page and
// the address list of the dialogs. The log grows by a line at a time for as long as the
// window lives, so the view adds only what is new and places the caret without reading the
// text whenever it can; what it needs for that, it keeps itself.
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>

#include "ui/binding.h"

namespace kestrin::ui {

namespace {

// The text from byte `from` to its end as the view shows it: CR LF as line breaks, and each
// range a player wrote set apart between U+2068 (first strong isolate) and U+2069 (pop
// directional isolate). Text from the other player can hold neither (it shows every
// directional control as a stand-in); this player's own name and chat line are theirs.
QString shownFrom(const forms::TextBox& model, std::size_t from) {
    const std::string_view text = model.text();
    const auto& isolated = model.isolated();
    auto span = std::ranges::lower_bound(isolated, from, {}, &forms::TextBox::Span::begin);
    QString shown;
    for (; span != isolated.end(); ++span) {
        shown += toQStringLines(text.substr(from, span->begin - from));
        shown += QChar(0x2068);
        shown += toQStringLines(text.substr(span->begin, span->end - span->begin));
        shown += QChar(0x2069);
        from = span->end;
    }
    return shown + toQStringLines(text.substr(from));
}

// How many of the view's units the first `bytes` of the text take, with the marks: two for
// each range set apart that ends within them, one for a range they end inside.
int unitsBefore(const forms::TextBox& model, std::size_t bytes) {
    int units = static_cast<int>(toQStringLines(std::string_view(model.text()).substr(0, bytes)).size());
    for (const forms::TextBox::Span span : model.isolated()) {
        if (span.begin >= bytes) break;
        units += span.end <= bytes ? 2 : 1;
    }
    return units;
}

}  // namespace

void FormBinder::bind(forms::TextBox& model, QPlainTextEdit* widget) {
    remember(model, widget);
    widget->setReadOnly(true);
    // Nobody edits the log, so nothing is kept for undoing every line added to it.
    widget->setUndoRedoEnabled(false);
    // Every line reads left to right, whatever script a received name or chat line is in.
    QTextOption direction = widget->document()->defaultTextOption();
    direction.setTextDirection(Qt::LeftToRight);
    widget->document()->setDefaultTextOption(direction);
    // What the widget shows: the model's text in bytes and in the widget's units, and the
    // caret last placed, in both.
    struct Shown {
        std::size_t bytes = 0;
        int units = 0;
        std::size_t caretBytes = 0;
        int caretUnits = 0;
        bool reveal = false;  // the caret is to be scrolled into view
    };
    auto shown = std::make_shared<Shown>();
    const QPointer<QPlainTextEdit> view(widget);

    auto showText = [&model, view, shown](std::size_t kept) {
        if (!view) return;
        const std::string& text = model.text();
        // Only added to since it was shown, and not in the middle of a character.
        if (kept > 0 && kept == shown->bytes && (static_cast<unsigned char>(text[kept]) & 0xC0) != 0x80) {
            // A "\r" shown last already shows as a line break: the "\n" that completes it
            // adds none.
            const QString part = shownFrom(model, text[kept - 1] == '\r' && text[kept] == '\n' ? kept + 1 : kept);
            // One edit, laid out once when it ends.
            QTextCursor end(view->document());
            end.beginEditBlock();
            end.movePosition(QTextCursor::End);
            end.insertText(part);
            end.endEditBlock();
            shown->units += static_cast<int>(part.size());
        } else {
            const QString all = shownFrom(model, 0);
            view->setPlainText(all);
            shown->units = static_cast<int>(all.size());
            shown->caretBytes = 0;
            shown->caretUnits = 0;
            shown->reveal = true;
        }
        shown->bytes = text.size();
    };
    auto sync = [&model, view, shown] {
        if (!view) return;
        syncCommon(model, view);
        const std::string& text = model.text();
        const std::size_t bytes = std::min(model.selStart(), text.size());
        int units = shown->caretUnits;
        if (bytes == text.size()) {
            units = shown->units;
        } else if (bytes != shown->caretBytes) {
            units = unitsBefore(model, bytes);
        }
        bool reveal = std::exchange(shown->reveal, false) || units != shown->caretUnits;
        shown->caretBytes = bytes;
        shown->caretUnits = units;
        const int caret = std::min(units, std::max(0, view->document()->characterCount() - 1));
        if (view->textCursor().position() != caret) {
            QTextCursor cursor = view->textCursor();
            cursor.setPosition(caret);
            view->setTextCursor(cursor);
            reveal = true;
        }
        if (reveal) view->ensureCursorVisible();
    };
    model.textObservers().add(showText);
    model.observers().add(sync);
    showText(0);
    sync();
}

}  // namespace kestrin::ui
