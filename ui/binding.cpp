#include "ui/binding.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextCursor>

#include "core/main_form.h"
#include "ui/widgets.h"

#include <algorithm>

namespace kestrin::ui {

namespace {

// Marks a stretch of code during which a binding must not react to its own doing: while the
// view writes into a widget (its signals are not the player's), or while the player's input
// is written into the model (the model's notifications are not to be shown back yet).
struct Flag {
    explicit Flag(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~Flag() { flag_ = old_; }
    Flag(const Flag&) = delete;
    Flag& operator=(const Flag&) = delete;

private:
    bool& flag_;
    bool old_;
};

struct Guards {
    bool pushing = false;     // the view is writing into the widget
    bool fromWidget = false;  // the player's input is being written into the model
};

void syncCommon(const forms::Control& model, QWidget* widget) {
    if (widget->testAttribute(Qt::WA_ForceDisabled) == model.enabled()) {
        if (!model.enabled()) {
            // A control that loses its focus by being disabled leaves the window without a
            // focused control, rather than handing the focus on to the next one: Enter then
            // reaches no button by surprise (High Scores after a wrong guess, say).
            QWidget* focus = widget->window()->focusWidget();
            if (focus && (focus == widget || widget->isAncestorOf(focus))) focus->clearFocus();
        }
        widget->setEnabled(model.enabled());
    }
    if (widget->isVisibleTo(widget->parentWidget()) != model.visible()) widget->setVisible(model.visible());
    const QString tip = toQString(model.tooltip());
    if (widget->toolTip() != tip) widget->setToolTip(tip);
}

void setTextColour(QWidget* widget, QPalette::ColorRole role, forms::Rgb colour) {
    const QColor wanted = toQColor(colour);
    QPalette palette = widget->palette();
    if (palette.color(QPalette::Active, role) == wanted && palette.color(QPalette::Inactive, role) == wanted) return;
    // The disabled look keeps the style's grey, as a disabled label shows.
    palette.setColor(QPalette::Active, role, wanted);
    palette.setColor(QPalette::Inactive, role, wanted);
    widget->setPalette(palette);
}

// Caret positions: the models count bytes of UTF-8, the widgets count UTF-16 units.
int unitsBefore(const std::string& text, std::size_t bytes) {
    return static_cast<int>(toQString(std::string_view(text).substr(0, std::min(bytes, text.size()))).size());
}
std::size_t bytesBefore(const QString& text, int units) {
    return static_cast<std::size_t>(text.left(units).toUtf8().size());
}
int displayUnitsBefore(const std::string& text, std::size_t bytes) {
    return static_cast<int>(toQStringLines(std::string_view(text).substr(0, std::min(bytes, text.size()))).size());
}

QStringList toQStringList(const std::vector<std::string>& items) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(items.size()));
    for (const auto& item : items) list.append(toQString(item));
    return list;
}

}  // namespace

QColor toQColor(forms::Rgb colour) {
    return QColor(std::clamp(colour.r, 0, 255), std::clamp(colour.g, 0, 255), std::clamp(colour.b, 0, 255));
}

QString labelText(const std::string& caption) {
    QString text = toQString(caption);
    text.replace(QStringLiteral("&&"), QStringLiteral("&"));
    return text;
}

// ---- FormBinder ----

FormBinder::FormBinder(forms::Form& form, QWidget* window) : QObject(window), form_(form), window_(window) {
    QPointer<FormBinder> self(this);
    form_.observers().add([self] {
        if (self) self->syncForm();
    });
    form_.onCloseRequested = [self] {
        if (self && self->window_) self->window_->close();
    };
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { noteFocus(now); });
    syncForm();
}

FormBinder::~FormBinder() = default;

void FormBinder::setHeightHandler(std::function<void(int)> handler) {
    heightHandler_ = std::move(handler);
    shownHeight_ = -1;
    syncForm();
}

QWidget* FormBinder::widgetFor(const forms::Control* control) const {
    const auto found = widgets_.find(control);
    return found == widgets_.end() ? nullptr : found->second.data();
}

forms::Control* FormBinder::controlFor(const QWidget* widget) const {
    const auto found = controls_.find(widget);
    return found == controls_.end() ? nullptr : found->second;
}

void FormBinder::remember(forms::Control& model, QWidget* widget) {
    widgets_[&model] = widget;
    controls_[widget] = &model;
    if (widget->objectName().isEmpty()) widget->setObjectName(toQString(model.name()));
}

void FormBinder::syncForm() {
    if (!window_) return;
    const QString caption = toQString(form_.caption());
    if (window_->windowTitle() != caption) window_->setWindowTitle(caption);
    if (heightHandler_ && form_.heightTwips() != shownHeight_) {
        shownHeight_ = form_.heightTwips();
        heightHandler_(shownHeight_);
    }
    // The logic moved the focus: give it to the control's widget unless it holds it already.
    if (QWidget* wanted = widgetFor(form_.focus())) {
        forms::Control* holder = nullptr;
        for (QWidget* w = window_->focusWidget(); w && w != window_; w = w->parentWidget()) {
            if ((holder = controlFor(w))) break;
        }
        if (holder != form_.focus()) wanted->setFocus(Qt::OtherFocusReason);
    }
}

void FormBinder::noteFocus(QWidget* now) {
    if (!now || !window_ || now->window() != window_) return;
    for (QWidget* w = now; w && w != window_; w = w->parentWidget()) {
        if (forms::Control* control = controlFor(w)) {
            form_.noteFocus(control);
            return;
        }
    }
    form_.noteFocus(nullptr);
}

void FormBinder::bind(forms::Label& model, QLabel* widget) {
    remember(model, widget);
    widget->setTextFormat(Qt::PlainText);
    auto sync = [&model, w = QPointer<QLabel>(widget)] {
        if (!w) return;
        syncCommon(model, w);
        const QString text = labelText(model.caption());
        if (w->text() != text) {
            w->setText(text);
            widenToFit(w);
        }
        setTextColour(w, QPalette::WindowText, model.foreColor());
    };
    model.observers().add(sync);
    sync();
    widenToFit(widget);
}

void FormBinder::bind(forms::Frame& model, QGroupBox* widget) {
    remember(model, widget);
    auto sync = [&model, w = QPointer<QGroupBox>(widget)] {
        if (!w) return;
        syncCommon(model, w);
        const QString title = toQString(model.caption());
        if (w->title() != title) w->setTitle(title);
    };
    model.observers().add(sync);
    sync();
}

void FormBinder::bind(forms::Button& model, QPushButton* widget) {
    remember(model, widget);
    // Enter on a focused button clicks it, as the bank button relies on after a correct guess.
    widget->setAutoDefault(true);
    auto sync = [&model, w = QPointer<QPushButton>(widget)] {
        if (!w) return;
        syncCommon(model, w);
        const QString text = toQString(model.caption());
        if (w->text() != text) w->setText(text);
    };
    model.observers().add(sync);
    sync();
    connect(widget, &QPushButton::clicked, widget, [&model] { model.click(); });
}

void FormBinder::bind(forms::MenuItem& model, QAction* action) {
    auto sync = [&model, a = QPointer<QAction>(action)] {
        if (!a) return;
        if (a->isEnabled() != model.enabled()) a->setEnabled(model.enabled());
        if (a->isVisible() != model.visible()) a->setVisible(model.visible());
        const QString text = toQString(model.caption());
        if (a->text() != text) a->setText(text);
        const QString tip = toQString(model.tooltip());
        if (!tip.isEmpty() && a->toolTip() != tip) a->setToolTip(tip);
    };
    if (action->objectName().isEmpty()) action->setObjectName(toQString(model.name()));
    model.observers().add(sync);
    sync();
    connect(action, &QAction::triggered, action, [&model] { model.click(); });
}

void FormBinder::bind(forms::CheckBox& model, QCheckBox* widget) {
    remember(model, widget);
    auto guards = std::make_shared<Guards>();
    auto sync = [&model, w = QPointer<QCheckBox>(widget), guards] {
        if (!w || guards->fromWidget) return;
        Flag pushing(guards->pushing);
        syncCommon(model, w);
        const QString text = toQString(model.caption());
        if (w->text() != text) w->setText(text);
        const bool ticked = model.value() == 1;
        if (w->isChecked() != ticked) w->setChecked(ticked);
    };
    model.observers().add(sync);
    sync();
    connect(widget, &QCheckBox::toggled, widget, [&model, guards, sync](bool checked) {
        if (guards->pushing) return;
        {
            Flag fromWidget(guards->fromWidget);
            model.setValue(checked ? 1 : 0);
        }
        sync();
    });
}

void FormBinder::bind(forms::TextBox& model, QLineEdit* widget) {
    remember(model, widget);
    auto guards = std::make_shared<Guards>();
    auto sync = [&model, w = QPointer<QLineEdit>(widget), guards] {
        if (!w || guards->fromWidget) return;
        Flag pushing(guards->pushing);
        syncCommon(model, w);
        const int maxLength = model.maxLength > 0 ? model.maxLength : 32767;
        if (w->maxLength() != maxLength) w->setMaxLength(maxLength);
        const QString text = toQString(model.text());
        if (w->text() != text) w->setText(text);
        const int caret = unitsBefore(model.text(), model.selStart());
        if (w->cursorPosition() != caret) w->setCursorPosition(caret);
    };
    // What the player typed, and where the caret is, go into the model before any handler.
    auto take = [&model, w = QPointer<QLineEdit>(widget), guards, sync] {
        if (!w || guards->pushing) return;
        {
            Flag fromWidget(guards->fromWidget);
            model.setText(toStdString(w->text()));
            model.setSelStart(bytesBefore(w->text(), w->cursorPosition()));
        }
        sync();
    };
    model.observers().add(sync);
    sync();
    connect(widget, &QLineEdit::textEdited, widget, take);
    connect(widget, &QLineEdit::cursorPositionChanged, widget, take);
    connect(widget, &QLineEdit::returnPressed, widget, [&model, take] {
        take();
        model.keyPress(kKeyEnter);
    });
}

void FormBinder::bind(forms::TextBox& model, QPlainTextEdit* widget) {
    remember(model, widget);
    widget->setReadOnly(true);
    // Nobody edits the log, so nothing is kept for undoing every line added to it.
    widget->setUndoRedoEnabled(false);
    // What the widget shows: the model's text revision and size when last shown, the length
    // in the widget's units, and the caret last placed, in bytes and units. Lines added to a
    // long log are added to the widget alone, and placing the caret reads none of the text
    // when it is at the end or where it was.
    struct Shown {
        bool any = false;
        std::uint64_t revision = 0;
        std::size_t bytes = 0;
        int units = 0;
        std::size_t caretBytes = 0;
        int caretUnits = 0;
    };
    auto shown = std::make_shared<Shown>();
    auto sync = [&model, w = QPointer<QPlainTextEdit>(widget), shown] {
        if (!w) return;
        syncCommon(model, w);
        const std::string& text = model.text();
        bool reveal = false;  // the caret is to be scrolled into view
        if (!shown->any || model.textRevision() != shown->revision) {
            // Only added to since it was shown, and not in the middle of a character.
            const bool added = shown->any && shown->bytes > 0 && text.size() > shown->bytes &&
                               model.textReplacedAt() <= shown->revision &&
                               (static_cast<unsigned char>(text[shown->bytes]) & 0xC0) != 0x80;
            if (added) {
                std::string_view more = std::string_view(text).substr(shown->bytes);
                // A "\r" shown last already shows as a line break: the "\n" that completes it
                // adds none.
                if (text[shown->bytes - 1] == '\r' && !more.empty() && more.front() == '\n') more.remove_prefix(1);
                const QString part = toQStringLines(more);
                if (!part.isEmpty()) {
                    // One edit, laid out once when it ends. A caret at the end moves on with
                    // the new text, as the model's does.
                    QTextCursor end(w->document());
                    end.beginEditBlock();
                    end.movePosition(QTextCursor::End);
                    end.insertText(part);
                    end.endEditBlock();
                    shown->units += static_cast<int>(part.size());
                }
            } else {
                const QString all = toQStringLines(text);
                w->setPlainText(all);
                shown->units = static_cast<int>(all.size());
                shown->caretBytes = 0;
                shown->caretUnits = 0;
                reveal = true;
            }
            shown->any = true;
            shown->revision = model.textRevision();
            shown->bytes = text.size();
        }
        const std::size_t bytes = std::min(model.selStart(), text.size());
        int units = 0;
        if (bytes == text.size()) {
            units = shown->units;
        } else if (bytes == shown->caretBytes) {
            units = shown->caretUnits;
        } else {
            units = displayUnitsBefore(text, bytes);
        }
        if (units != shown->caretUnits) reveal = true;
        shown->caretBytes = bytes;
        shown->caretUnits = units;
        const int caret = std::min(units, std::max(0, w->document()->characterCount() - 1));
        if (w->textCursor().position() != caret) {
            QTextCursor cursor = w->textCursor();
            cursor.setPosition(caret);
            w->setTextCursor(cursor);
            reveal = true;
        }
        if (reveal) w->ensureCursorVisible();
    };
    model.observers().add(sync);
    sync();
}

void FormBinder::bind(forms::ComboBox& model, QComboBox* widget) {
    remember(model, widget);
    widget->setEditable(model.editable);
    if (model.editable) {
        // An unsorted list of what was typed before: nothing is added or completed by itself.
        widget->setInsertPolicy(QComboBox::NoInsert);
        widget->setCompleter(nullptr);
        widget->setDuplicatesEnabled(true);
    }
    auto guards = std::make_shared<Guards>();
    auto sync = [&model, w = QPointer<QComboBox>(widget), guards] {
        if (!w || guards->fromWidget) return;
        Flag pushing(guards->pushing);
        syncCommon(model, w);
        const QStringList items = toQStringList(model.items());
        bool same = w->count() == items.size();
        for (int i = 0; same && i < items.size(); ++i) same = w->itemText(i) == items[i];
        if (!same) {
            w->clear();
            w->addItems(items);
        }
        if (w->currentIndex() != model.listIndex()) w->setCurrentIndex(model.listIndex());
        if (model.editable) {
            const QString text = toQString(model.text());
            if (w->currentText() != text) w->setEditText(text);
        }
    };
    model.observers().add(sync);
    sync();

    // An entry picked from the list: the model selects it, which sets its text. In an
    // editable box, Enter on a typed text that equals an entry also "activates" that entry;
    // that is no new choice (and must not undo what the Enter key's handler has just done).
    auto pick = [&model, w = QPointer<QComboBox>(widget), guards, sync](int index) {
        if (!w || guards->pushing || index < 0) return;
        const bool sameText = model.editable && model.text() == toStdString(w->itemText(index));
        const bool same = sameText || (!model.editable && model.listIndex() == index);
        if (same) return;
        {
            Flag fromWidget(guards->fromWidget);
            model.setListIndex(index);
        }
        sync();
    };
    connect(widget, &QComboBox::activated, widget, pick);
    if (!model.editable) connect(widget, &QComboBox::currentIndexChanged, widget, pick);

    if (QLineEdit* edit = widget->lineEdit()) {
        auto take = [&model, w = QPointer<QComboBox>(widget), guards, sync] {
            if (!w || guards->pushing) return;
            {
                Flag fromWidget(guards->fromWidget);
                model.setText(toStdString(w->currentText()));
            }
            sync();
        };
        connect(edit, &QLineEdit::textEdited, widget, take);
        connect(edit, &QLineEdit::returnPressed, widget, [&model, take] {
            take();
            model.keyPress(kKeyEnter);
        });
    }
}

void FormBinder::bind(forms::ListBox& model, QListWidget* widget) {
    remember(model, widget);
    widget->setSelectionMode(QAbstractItemView::SingleSelection);
    auto guards = std::make_shared<Guards>();
    auto sync = [&model, w = QPointer<QListWidget>(widget), guards] {
        if (!w || guards->fromWidget) return;
        Flag pushing(guards->pushing);
        syncCommon(model, w);
        const QStringList items = toQStringList(model.items());
        bool same = w->count() == items.size();
        for (int i = 0; same && i < items.size(); ++i) same = w->item(i)->text() == items[i];
        if (!same) {
            w->clear();
            w->addItems(items);
        }
        if (w->currentRow() != model.listIndex()) w->setCurrentRow(model.listIndex());
    };
    model.observers().add(sync);
    sync();
    connect(widget, &QListWidget::currentRowChanged, widget, [&model, guards, sync](int row) {
        if (guards->pushing || row == model.listIndex()) return;
        {
            Flag fromWidget(guards->fromWidget);
            model.setListIndex(row);  // runs the page handler
        }
        sync();
    });
}

void FormBinder::bind(forms::Image& model, QLabel* widget) {
    remember(model, widget);
    auto sync = [&model, w = QPointer<QLabel>(widget)] {
        if (w) syncCommon(model, w);
    };
    model.observers().add(sync);
    sync();
}

void FormBinder::bind(forms::Shape& model, BarWidget* widget) {
    remember(model, widget);
    auto sync = [&model, w = QPointer<BarWidget>(widget)] {
        if (!w) return;
        syncCommon(model, w);
        w->setBar(model.width(), toQColor(model.fillColor()));
    };
    model.observers().add(sync);
    sync();
}

}  // namespace kestrin::ui
