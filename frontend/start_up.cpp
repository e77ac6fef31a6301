#include "start_up.h"

#include "command_line.h"

namespace vessmark {

StartJob ChooseStartJob(StartUpPlatform& platform, const std::string& argumentText)
{
    if (platform.InstanceWindowExists() || platform.InstanceLockHeld()) {
        return StartJob::End;
    }
    const char letter = SwitchLetter(argumentText);
    if (letter == 'P') {
        return StartJob::Preview; // never takes the lock: an open preview blocks nothing
    }
    platform.LoadSettings();
    if (!platform.RendererExists()) {
        platform.ShowMessage(RendererMissingText);
        return StartJob::End;
    }
    if (letter == 'C') {
        return platform.TakeInstanceLock() ? StartJob::Settings : StartJob::End;
    }
    if (!argumentText.empty() && letter != 'S') {
        return StartJob::End;
    }
    return platform.TakeInstanceLock() ? StartJob::Show : StartJob::End;
}

} // namespace vessmark
