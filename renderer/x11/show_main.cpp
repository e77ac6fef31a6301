// vessmark-show: the show on Linux.

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "add_to_xscreensaver.h"
#include "offscreen_show.h"
#include "onscreen_show.h"
#include "show_options.h"
#include "show_scene.h"

int main(int argc, char** argv)
{
    using namespace vessmark;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const ParsedOptions parsed = ParseShowOptions(arguments, std::getenv(ScreensaverWindowVariable), std::getenv(DrawPathVariable));
    if (parsed.Options.Help) {
        std::cout << ShowUsage();
        return ShowExitDone;
    }
    if (!parsed.Error.empty()) {
        std::cerr << "vessmark-show: " << parsed.Error << "\n";
        return parsed.ErrorExit;
    }
    if (parsed.Options.Mode == ShowMode::AddToXScreenSaver) {
        return AddToXScreenSaver(std::cout, std::cerr);
    }
    KeepFreedMemory();
    if (parsed.Options.Mode == ShowMode::Offscreen) {
        return RunOffscreenShow(parsed.Options, std::cout, std::cerr);
    }
    return RunOnscreenShow(parsed.Options, std::cout, std::cerr);
}
