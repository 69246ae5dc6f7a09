// vrx3km.exe: the window on Windows.
#include "win32/config_app.h"
#include "win32/message_box.h"
#include "win32/shell_launcher.h"
#include "win32/site_binding.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // The message boxes and the desktop's programs of the whole run. The binding's paths are
    // relative to the working directory, which InitInstance makes the library folder before the
    // dialog reads it.
    CBoxPrompt prompt;
    ShellLauncher launcher;
    CSiteBinding binding(prompt, launcher);
    CConfigApp app;
    return app.InitInstance(binding, launcher);
}
