// vrx3km.exe: the window on Windows.
#include "win32/config_app.h"
#include "win32/shell_binding.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    CShellBinding binding;
    CConfigApp app;
    return app.InitInstance(binding);
}
