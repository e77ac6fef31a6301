// Vessmark.dll: despite its name a stand-alone program. Whatever its command
// line holds, it runs the full-screen show and exits with 0.

#include "gl_probe.h"
#include "saver_host.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (vessmark::IsOpenGlProbe()) {
        return vessmark::RunOpenGlProbe(instance); // a copy started by a show, not a show
    }
    static vessmark::SaverHost host; // large and program-wide: not on the stack
    host.Instance = instance;
    return vessmark::RunSaverWindow(host);
}
