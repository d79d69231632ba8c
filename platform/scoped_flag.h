// A flag that is raised for as long as a scope lasts and lowered again when it ends, also when
// a handler fails inside it: "a box is open", "the view is writing into the widget".
#pragma once

namespace kestrin {

class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~ScopedFlag() { flag_ = old_; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    bool& flag_;
    bool old_;
};

}  // namespace kestrin
