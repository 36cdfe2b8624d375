#include "app/refusal_notice.h"

#include <algorithm>

std::string refusalText(Refusal why) {
    // No language key fits these: they are English.
    switch (why) {
    case Refusal::JobRunning:
        return "Busy: the running job must end first";
    case Refusal::CommandsWaiting:
        return "Busy: earlier commands are still waiting; this one was not taken";
    case Refusal::FolderOpening:
        return "Busy: a folder is still being opened; this command was not taken";
    case Refusal::SourceGone:
        return "Not done: the panel no longer shows the connection or folder this command was "
               "given in";
    }
    return {};
}

RefusalNotice::Clock::duration RefusalNotice::left(Clock::time_point now) const {
    if (!shownAt_)
        return Clock::duration::zero();
    return std::max(Clock::duration::zero(), *shownAt_ + kLeastShown - now);
}
