// Form models: toolkit-neutral stand-ins for the controls of the game's windows.
//
// The game logic reads and writes these objects; a view (Qt widgets in the program, nothing
// at all in the logic tests) mirrors them. Every property change notifies the control's
// observers at once, so that a view can show it before a modal box opens. What the player
// types or picks is written back into the model by the view before the handler runs.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrin::forms {

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kDarkRed{192, 0, 0};
inline constexpr Rgb kDarkBlue{0, 0, 192};
inline constexpr Rgb kLeaderGreen{0, 150, 0};
inline constexpr Rgb kTrailerRed{175, 0, 0};
inline constexpr Rgb kBlue{0, 0, 255};

// A list of callbacks that the views attach to; some lists tell their callbacks what changed.
template <typename... Args>
class BasicObservers {
public:
    using Callback = std::function<void(Args...)>;
    void add(Callback callback) { callbacks_.push_back(std::move(callback)); }
    void clear() { callbacks_.clear(); }
    void notify(Args... args) const {
        // Copy first: a callback may attach another.
        const auto callbacks = callbacks_;
        for (const auto& callback : callbacks) callback(args...);
    }

private:
    std::vector<Callback> callbacks_;
};
using Observers = BasicObservers<>;

class Form;

// What every visible control has: a name, enabled, visible, tooltip, text colour, focus.
class Control {
public:
    Control(Form& form, std::string name);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control() = default;

    const std::string& name() const { return name_; }
    Form& form() const { return form_; }

    bool enabled() const { return enabled_; }
    // A control that is disabled loses the keyboard focus, as on screen.
    void setEnabled(bool value);
    bool visible() const { return visible_; }
    void setVisible(bool value) { set(visible_, value); }
    const std::string& tooltip() const { return tooltip_; }
    void setTooltip(std::string value) { set(tooltip_, std::move(value)); }
    Rgb foreColor() const { return foreColor_; }
    void setForeColor(Rgb value) { set(foreColor_, value); }

    // Gives this control the keyboard focus. A disabled or hidden control cannot take it,
    // as on screen, and the call then does nothing.
    void setFocus();
    bool hasFocus() const;

    Observers& observers() { return observers_; }

protected:
    template <typename T>
    void set(T& field, T value) {
        if (field == value) return;
        field = std::move(value);
        observers_.notify();
    }
    void changed() const { observers_.notify(); }

private:
    Form& form_;
    std::string name_;
    bool enabled_ = true;
    bool visible_ = true;
    std::string tooltip_;
    Rgb foreColor_ = kBlack;
    Observers observers_;
};

// Labels, buttons, frames, check boxes and menu items: a control with a caption.
class CaptionControl : public Control {
public:
    using Control::Control;
    const std::string& caption() const { return caption_; }
    void setCaption(std::string value) { set(caption_, std::move(value)); }

private:
    std::string caption_;
};

class Label : public CaptionControl {
public:
    using CaptionControl::CaptionControl;
    // Free text kept with the label; the digit label keeps the previous digit here.
    std::string tag;
};

using Frame = CaptionControl;

// A button or a menu item: clicking runs its handler.
class Button : public CaptionControl {
public:
    using CaptionControl::CaptionControl;
    std::function<void()> onClick;
    void click() {
        if (onClick) onClick();
    }
};
using MenuItem = Button;

class CheckBox : public CaptionControl {
public:
    using CaptionControl::CaptionControl;
    int value() const { return value_; }  // 1 ticked, 0 clear
    void setValue(int value) { set(value_, value); }

private:
    int value_ = 0;
};

class Image : public Control {
public:
    using Control::Control;
};

// A filled bar whose width is measured in pixels.
class Shape : public Control {
public:
    using Control::Control;
    double width() const { return width_; }
    void setWidth(double value) { set(width_, value); }
    Rgb fillColor() const { return fillColor_; }
    void setFillColor(Rgb value) { set(fillColor_, value); }

private:
    double width_ = 0.0;
    Rgb fillColor_ = kBlack;
};

// A text box: its text, the caret position, and the handler of its keys.
class TextBox : public Control {
public:
    using Control::Control;
    const std::string& text() const { return text_; }
    // Replaces the whole text, cut to maxLength characters.
    void setText(std::string value);
    // Byte ranges of the text that players wrote (names, chat lines, everything the other
    // player sent), in order. The view sets each apart from the words around it (between
    // U+2068 and U+2069), so that a name or a chat line in a right-to-left script cannot
    // reorder the line; the text itself stays as it is. A new text that is not only added to
    // the old drops every range.
    struct Span {
        std::size_t begin = 0;
        std::size_t end = 0;
    };
    const std::vector<Span>& isolated() const { return isolated_; }
    // Adds to the end of the text, as a line added to the output log, without copying what is
    // there already; `apart` are ranges of `more` that players wrote. A caret
    // at the end stays at the end, after the new text; one anywhere else stays where it is.
    void append(std::string_view more, const std::vector<Span>& apart = {});
    std::size_t selStart() const { return selStart_; }
    void setSelStart(std::size_t value) { set(selStart_, value); }
    std::size_t maxLength = 0;  // in characters (Unicode code points); 0: no limit

    // Told of every change of the text, before the control's other observers, with how many
    // bytes at its front stayed as they were: all of the old text when the change only added
    // to its end, 0 otherwise. A view of a long log adds only what is new.
    BasicObservers<std::size_t>& textObservers() { return textObservers_; }

    std::function<void(int)> onKeyPress;  // character code, 13 for Enter
    void keyPress(int code) {
        if (onKeyPress) onKeyPress(code);
    }

private:
    void textChanged(std::size_t kept);

    std::string text_;
    std::vector<Span> isolated_;
    std::size_t selStart_ = 0;
    BasicObservers<std::size_t> textObservers_;
};

// An editable drop-down list (or, with editable false, a plain drop-down list): edit text
// plus an unsorted list of entries. The change handler runs on the player's edits and picks
// (type, setListIndex), not when the program sets the text.
class ComboBox : public Control {
public:
    using Control::Control;
    bool editable = true;

    const std::string& text() const { return text_; }
    void setText(std::string value);
    // The player typed: the text changes, then the change handler runs.
    void type(std::string value);

    void clear();  // removes every entry and empties the edit text
    void addItem(std::string entry);
    // The box's own entries (found entries not counted).
    std::size_t listCount() const { return items_.size(); }
    const std::string& list(std::size_t index) const { return items_.at(index); }
    const std::vector<std::string>& items() const { return items_; }

    // Entries that stand above the own ones, each showing one text and carrying another:
    // picking one puts its value in the box. While the list is open (`setDroppedDown`), new
    // found entries wait until it closes, so that no row moves under the player's pointer.
    struct Found {
        std::string shown, value;
        bool operator==(const Found&) const = default;
    };
    void setFound(std::vector<Found> entries);
    const std::vector<Found>& found() const { return found_; }
    void setDroppedDown(bool open);
    // What the list shows: the found entries, then the own ones.
    std::vector<std::string> rows() const;

    int listIndex() const { return listIndex_; }  // a row; -1: none chosen
    // The player picks a row: its text (a found entry's value) becomes the text, then the
    // change handler runs.
    void setListIndex(int index);

    std::function<void()> onChange;
    std::function<void(int)> onKeyPress;
    void keyPress(int code) {
        if (onKeyPress) onKeyPress(code);
    }

private:
    std::string text_;
    std::vector<std::string> items_;
    std::vector<Found> found_;
    std::optional<std::vector<Found>> waitingFound_;  // arrived while the list was open
    bool droppedDown_ = false;
    int listIndex_ = -1;
};

// A list box with one selection.
class ListBox : public Control {
public:
    using Control::Control;
    void addItem(std::string entry) {
        items_.push_back(std::move(entry));
        changed();
    }
    const std::vector<std::string>& items() const { return items_; }
    int listIndex() const { return listIndex_; }
    // Selecting an entry runs the click handler, as a click on it does.
    void setListIndex(int index);
    std::function<void()> onClick;

private:
    std::vector<std::string> items_;
    int listIndex_ = -1;
};

// A timer: while enabled it ticks every interval. Enabling a disabled timer starts a fresh
// full interval. A driver (the Qt event loop, or the virtual clock of the tests) runs it.
class Timer {
public:
    Timer(std::string name, int intervalMs) : name_(std::move(name)), interval_(intervalMs) {}
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    const std::string& name() const { return name_; }
    bool enabled() const { return enabled_; }
    void setEnabled(bool value);
    int interval() const { return interval_; }
    std::function<void()> onTick;
    void tick() {
        if (onTick) onTick();
    }
    Observers& observers() { return observers_; }

private:
    std::string name_;
    const int interval_;
    bool enabled_ = false;
    Observers observers_;
};

// A window: caption, whether it is shown, its outer height in twips (0: as designed), and
// which of its controls holds the keyboard focus.
class Form {
public:
    explicit Form(std::string name) : name_(std::move(name)) {}
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form() = default;

    const std::string& name() const { return name_; }
    const std::string& caption() const { return caption_; }
    void setCaption(std::string value);
    int heightTwips() const { return heightTwips_; }
    void setHeightTwips(int value);

    // Every control of the window, in the order they were made.
    const std::vector<Control*>& controls() const { return controls_; }

    Control* focus() const { return focus_; }
    void setFocus(Control* control);
    // A view reports a focus change made by the player; no notification goes back.
    void noteFocus(Control* control) { focus_ = control; }

    // Asks the view to close the window (a dialog that unloads itself).
    void close();
    std::function<void()> onCloseRequested;

    Observers& observers() { return observers_; }

private:
    std::string name_;
    std::string caption_;
    int heightTwips_ = 0;
    friend class Control;
    std::vector<Control*> controls_;
    Control* focus_ = nullptr;
    Observers observers_;
};

}  // namespace kestrin::forms

namespace kestrin {
// The character code of the Enter key, as text boxes and drop-down lists report it.
inline constexpr int kKeyEnter = 13;
inline constexpr int kKeyDown = 40;
}  // namespace kestrin
