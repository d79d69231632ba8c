#include "platform/forms.h"

#include <algorithm>

#include "platform/text.h"

namespace kestrin::forms {

Control::Control(Form& form, std::string name) : form_(form), name_(std::move(name)) {
    form_.controls_.push_back(this);
}

void Control::setEnabled(bool value) {
    if (!value && hasFocus()) form_.noteFocus(nullptr);
    set(enabled_, value);
}

void Control::setFocus() {
    if (!enabled_ || !visible_) return;
    form_.setFocus(this);
}

bool Control::hasFocus() const { return form_.focus() == this; }

void TextBox::setText(std::string value) {
    if (maxLength > 0) value = firstCharacters(value, maxLength);
    if (text_ == value) return;
    const bool added = value.size() > text_.size() && value.compare(0, text_.size(), text_) == 0;
    const std::size_t kept = added ? text_.size() : 0;
    text_ = std::move(value);
    if (!added) isolated_.clear();
    selStart_ = std::min(selStart_, text_.size());
    textChanged(kept);
}

void TextBox::append(std::string_view more, const std::vector<Span>& apart) {
    if (more.empty()) return;
    const std::size_t kept = text_.size();
    text_.append(more);
    for (const Span span : apart) {
        if (span.begin < span.end && span.end <= more.size()) isolated_.push_back({kept + span.begin, kept + span.end});
    }
    if (selStart_ == kept) selStart_ = text_.size();
    textChanged(kept);
}

void TextBox::textChanged(std::size_t kept) {
    textObservers_.notify(kept);
    changed();
}

void ComboBox::setText(std::string value) {
    if (text_ == value) return;
    text_ = std::move(value);
    changed();
}

void ComboBox::type(std::string value) {
    setText(std::move(value));
    if (onChange) onChange();
}

void ComboBox::clear() {
    items_.clear();
    listIndex_ = -1;
    text_.clear();
    changed();
}

void ComboBox::addItem(std::string entry) {
    items_.push_back(std::move(entry));
    changed();
}

void ComboBox::setListIndex(int index) {
    const auto found = static_cast<int>(found_.size());
    if (index < -1 || index >= found + static_cast<int>(items_.size())) index = -1;
    listIndex_ = index;
    if (index >= 0) text_ = index < found ? found_[index].value : items_[static_cast<std::size_t>(index - found)];
    changed();
    if (onChange) onChange();
}

void ComboBox::setFound(std::vector<Found> entries) {
    if (droppedDown_) {
        waitingFound_ = std::move(entries);
        return;
    }
    if (entries == found_) return;
    // The chosen row keeps pointing at the same own entry; a found one is no longer chosen.
    if (listIndex_ >= static_cast<int>(found_.size()))
        listIndex_ += static_cast<int>(entries.size()) - static_cast<int>(found_.size());
    else
        listIndex_ = -1;
    found_ = std::move(entries);
    changed();
}

void ComboBox::setDroppedDown(bool open) {
    droppedDown_ = open;
    if (!open && waitingFound_) {
        auto entries = std::move(*waitingFound_);
        waitingFound_.reset();
        setFound(std::move(entries));
    }
}

std::vector<std::string> ComboBox::rows() const {
    std::vector<std::string> rows;
    for (const Found& entry : found_) rows.push_back(entry.shown);
    rows.insert(rows.end(), items_.begin(), items_.end());
    return rows;
}

void ListBox::setListIndex(int index) {
    if (index < -1 || index >= static_cast<int>(items_.size())) index = -1;
    listIndex_ = index;
    changed();
    if (onClick) onClick();
}

void Timer::setEnabled(bool value) {
    if (enabled_ == value) return;
    enabled_ = value;
    observers_.notify();
}

void Form::setCaption(std::string value) {
    if (caption_ == value) return;
    caption_ = std::move(value);
    observers_.notify();
}

void Form::setHeightTwips(int value) {
    if (heightTwips_ == value) return;
    heightTwips_ = value;
    observers_.notify();
}

void Form::setFocus(Control* control) {
    focus_ = control;
    observers_.notify();
}

void Form::close() {
    if (onCloseRequested) onCloseRequested();
}

}  // namespace kestrin::forms
