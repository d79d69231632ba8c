#include "ui/binding.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QValidator>

#include <algorithm>

#include "platform/scoped_flag.h"
#include "ui/colours.h"
#include "ui/look.h"
#include "ui/widgets.h"

namespace kestrin::ui {

namespace {

// Colours a label's text in the theme; a disabled label (an unlit bank level) takes the theme's
// disabled text colour.
void setTextColour(QWidget* widget, forms::Rgb colour) {
    const QColor wanted = themed(colour, Ink::Text);
    const QColor disabled = themedDisabledText(QGuiApplication::palette());
    QPalette palette = widget->palette();
    if (palette.color(QPalette::Active, QPalette::WindowText) == wanted &&
        palette.color(QPalette::Inactive, QPalette::WindowText) == wanted &&
        palette.color(QPalette::Disabled, QPalette::WindowText) == disabled)
        return;
    palette.setColor(QPalette::Active, QPalette::WindowText, wanted);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, wanted);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
    widget->setPalette(palette);
}

// Caret positions: the models count bytes of UTF-8, the widgets count UTF-16 units.
int unitsBefore(const std::string& text, std::size_t bytes) {
    return static_cast<int>(toQString(std::string_view(text).substr(0, std::min(bytes, text.size()))).size());
}
std::size_t bytesBefore(const QString& text, int units) {
    return static_cast<std::size_t>(text.left(units).toUtf8().size());
}

QStringList toQStringList(const std::vector<std::string>& items) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(items.size()));
    for (const auto& item : items) list.append(toQString(item));
    return list;
}

// The guarded two-way sync of a control the player edits. `show` writes the model into the
// widget whenever the model changes; the function returned runs the player's input into the
// model (`take`) and then shows the model again. Neither reacts to the other's doing: what
// the view writes into the widget is not the player's input, and the model's notices while
// the input is taken are not shown back half-way.
template <typename Model, typename Widget, typename Show>
auto twoWay(Model& model, Widget* widget, Show show) {
    struct Guards {
        bool pushing = false;     // the view is writing into the widget
        bool fromWidget = false;  // the player's input is being written into the model
    };
    auto guards = std::make_shared<Guards>();
    auto sync = [&model, w = QPointer<Widget>(widget), guards, show] {
        if (!w || guards->fromWidget) return;
        ScopedFlag pushing(guards->pushing);
        syncCommon(model, w);
        show(model, w.data());
    };
    model.observers().add(sync);
    sync();
    return [guards, sync](const auto& take) {
        if (guards->pushing) return;
        {
            ScopedFlag fromWidget(guards->fromWidget);
            take();
        }
        sync();
    };
}

// Keeps a line edit to the model's length in characters (code points); Qt's own limit
// counts UTF-16 units, two for a character beyond the basic plane. Like that limit, it cuts
// what was just typed or pasted (the text before the caret), never what was there.
class CharacterLimit final : public QValidator {
public:
    CharacterLimit(std::size_t limit, QObject* parent) : QValidator(parent), limit_(limit) {}
    State validate(QString& input, int& pos) const override {
        auto over = static_cast<qsizetype>(input.toUcs4().size()) - static_cast<qsizetype>(limit_);
        int start = pos;
        for (; over > 0 && start > 0; --over) {
            const bool pair = start >= 2 && input[start - 1].isLowSurrogate() && input[start - 2].isHighSurrogate();
            start -= pair ? 2 : 1;
        }
        input.remove(start, pos - start);
        pos = start;
        return over > 0 ? Invalid : Acceptable;
    }

private:
    std::size_t limit_;
};

// Hands a widget's key presses to a function first; what it takes goes no further.
class KeyForwarder final : public QObject {
public:
    KeyForwarder(QObject* parent, std::function<bool(int key)> take) : QObject(parent), take_(std::move(take)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && take_(static_cast<QKeyEvent*>(event)->key())) return true;
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool(int key)> take_;
};

}  // namespace

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
    // A change of the desktop's theme reaches each window as ApplicationPaletteChange. (Not
    // PaletteChange: recolouring a widget sends it that, which would recolour it again.)
    window->installEventFilter(this);
    syncForm();
}

void FormBinder::followPalette(std::function<void()> recolour) {
    recolour();
    recolours_.push_back(std::move(recolour));
}

bool FormBinder::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::ApplicationPaletteChange) {
        for (const auto& recolour : recolours_) recolour();
    }
    return QObject::eventFilter(watched, event);
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
        setTextColour(w, model.foreColor());
    };
    model.observers().add(sync);
    followPalette(sync);
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
    auto input = twoWay(model, widget, [](forms::CheckBox& m, QCheckBox* w) {
        const QString text = toQString(m.caption());
        if (w->text() != text) w->setText(text);
        const bool ticked = m.value() == 1;
        if (w->isChecked() != ticked) w->setChecked(ticked);
    });
    connect(widget, &QCheckBox::toggled, widget,
            [&model, input](bool checked) { input([&] { model.setValue(checked ? 1 : 0); }); });
}

void FormBinder::bind(forms::TextBox& model, QLineEdit* widget) {
    remember(model, widget);
    if (model.maxLength > 0) widget->setValidator(new CharacterLimit(model.maxLength, widget));
    auto input = twoWay(model, widget, [](forms::TextBox& m, QLineEdit* w) {
        const QString text = toQString(m.text());
        if (w->text() != text) w->setText(text);
        const int caret = unitsBefore(m.text(), m.selStart());
        if (w->cursorPosition() != caret) w->setCursorPosition(caret);
    });
    // What the player typed, and where the caret is, go into the model before any handler.
    auto take = [&model, w = QPointer<QLineEdit>(widget), input] {
        input([&] {
            if (!w) return;
            model.setText(toStdString(w->text()));
            model.setSelStart(bytesBefore(w->text(), w->cursorPosition()));
        });
    };
    connect(widget, &QLineEdit::textEdited, widget, take);
    connect(widget, &QLineEdit::cursorPositionChanged, widget, take);
    connect(widget, &QLineEdit::returnPressed, widget, [&model, take] {
        take();
        model.keyPress(kKeyEnter);
    });
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
    auto input = twoWay(model, widget, [](forms::ComboBox& m, QComboBox* w) {
        const QStringList items = toQStringList(m.rows());
        bool same = w->count() == items.size();
        for (int i = 0; same && i < items.size(); ++i) same = w->itemText(i) == items[i];
        if (!same) {
            w->clear();
            w->addItems(items);
        }
        if (w->currentIndex() != m.listIndex()) w->setCurrentIndex(m.listIndex());
        const QString text = toQString(m.text());
        if (m.editable && w->currentText() != text) w->setEditText(text);
    });

    // An entry picked from the list: the model selects it, which sets its text. In an
    // editable box, Enter on a typed text that equals an entry also "activates" that entry;
    // that is no new choice (and must not undo what the Enter key's handler has just done).
    auto pick = [&model, w = QPointer<QComboBox>(widget), input](int index) {
        if (!w || index < 0) return;
        const auto found = static_cast<int>(model.found().size());
        const std::string picked =
            index < found ? model.found()[static_cast<std::size_t>(index)].value : toStdString(w->itemText(index));
        const bool sameText = model.editable && model.text() == picked;
        if (sameText || (!model.editable && model.listIndex() == index)) return;
        input([&] { model.setListIndex(index); });
    };
    connect(widget, &QComboBox::activated, widget, pick);
    if (!model.editable) connect(widget, &QComboBox::currentIndexChanged, widget, pick);

    if (auto* box = dynamic_cast<DropDownBox*>(widget)) {
        box->onDroppedDown = [&model](bool open) { model.setDroppedDown(open); };
    }
    if (QLineEdit* edit = widget->lineEdit()) {
        // Down is the model's while it has found entries (it picks the first); otherwise the
        // box's own.
        edit->installEventFilter(new KeyForwarder(edit, [&model](int key) {
            if (key != Qt::Key_Down || model.found().empty()) return false;
            model.keyPress(kKeyDown);
            return true;
        }));
        auto take = [&model, w = QPointer<QComboBox>(widget), input] {
            input([&] {
                if (w) model.type(toStdString(w->currentText()));
            });
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
    auto input = twoWay(model, widget, [](forms::ListBox& m, QListWidget* w) {
        const QStringList items = toQStringList(m.items());
        bool same = w->count() == items.size();
        for (int i = 0; same && i < items.size(); ++i) same = w->item(i)->text() == items[i];
        if (!same) {
            w->clear();
            w->addItems(items);
        }
        if (w->currentRow() != m.listIndex()) w->setCurrentRow(m.listIndex());
    });
    connect(widget, &QListWidget::currentRowChanged, widget, [&model, input](int row) {
        if (row != model.listIndex()) input([&] { model.setListIndex(row); });  // runs the page handler
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
    // The model's width is in pixels at the reference font; the bar grows with the layout.
    auto sync = [&model, w = QPointer<BarWidget>(widget), scale = layoutScale()] {
        if (!w) return;
        syncCommon(model, w);
        w->setBar(model.width() * scale, themed(model.fillColor(), Ink::Graphic));
    };
    model.observers().add(sync);
    followPalette(sync);
}

}  // namespace kestrin::ui
