#include "ui/system_menu.h"

#include <QWidget>

#ifdef Q_OS_WIN
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {
constexpr UINT kAboutCommand = 0x0010;
} // namespace

void AppendAboutItem(QWidget* window, const char* text) {
    HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(window->winId()), FALSE);
    if (menu == nullptr || text == nullptr || *text == '\0')
        return;
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kAboutCommand, text);
}

bool IsAboutCommand(const void* message) {
    const MSG* msg = static_cast<const MSG*>(message);
    return msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == kAboutCommand;
}
#else
void AppendAboutItem(QWidget*, const char*) {}

bool IsAboutCommand(const void*) {
    return false;
}
#endif
