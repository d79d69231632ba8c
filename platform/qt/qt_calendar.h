// The local date and time as the user's locale writes it: short date, a blank, long time.
#pragma once

#include "platform/services.h"

namespace kestrin {

class QtCalendar final : public Calendar {
public:
    std::string nowText() override;
};

}  // namespace kestrin
