#include "main/command_gate.h"

#include "main/panel_pair.h"

bool CommandGate::take() {
    if (panels_.idle())
        return true;
    refuse(hooks_.jobRunning() ? Refusal::JobRunning : Refusal::FolderOpening);
    return false;
}

void CommandGate::report(PostResult result) {
    if (result == PostResult::Refused)
        refuse(Refusal::JobRunning);
    else if (result == PostResult::Full)
        refuse(Refusal::CommandsWaiting);
}
