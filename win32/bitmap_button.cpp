#include "win32/bitmap_button.h"

#include <cctype>

CBitmapButton::~CBitmapButton() {
    Release();
}

void CBitmapButton::Release() {
    for (HBITMAP& image : m_hImages) {
        if (image)
            DeleteObject(image);
        image = nullptr;
    }
}

bool CBitmapButton::AutoLoad(HWND button, const std::string& name) {
    Release();
    m_hButton = button;
    static const char kLetters[kImageCount] = {'U', 'D', 'F', 'X'};
    std::string upper;
    for (char c : name)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (int i = 0; i < kImageCount; ++i)
        m_hImages[i] = LoadBitmapW(instance, Wide(upper + kLetters[i]).c_str());
    InvalidateRect(m_hButton, nullptr, FALSE);
    return m_hImages[Up] != nullptr;
}

void CBitmapButton::SizeToContent() {
    BITMAP bitmap;
    if (m_hButton && m_hImages[Up] && GetObjectW(m_hImages[Up], sizeof bitmap, &bitmap))
        SetWindowPos(m_hButton, nullptr, 0, 0, bitmap.bmWidth, bitmap.bmHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CBitmapButton::Image CBitmapButton::ChooseImage(bool bPressed, bool bFocus, bool bDisabled,
                                                bool bHasDown, bool bHasFocus, bool bHasDisabled) {
    if (bPressed && bHasDown)
        return Down;
    if (bFocus && bHasFocus)
        return Focus;
    if (bDisabled && bHasDisabled)
        return Disabled;
    return Up;
}

void CBitmapButton::DrawItem(const DRAWITEMSTRUCT& item) const {
    const Image image =
        ChooseImage((item.itemState & ODS_SELECTED) != 0, (item.itemState & ODS_FOCUS) != 0,
                    (item.itemState & ODS_DISABLED) != 0, m_hImages[Down] != nullptr,
                    m_hImages[Focus] != nullptr, m_hImages[Disabled] != nullptr);
    const HBITMAP bitmap = m_hImages[image];
    if (!bitmap)
        return;
    const HDC memory = CreateCompatibleDC(item.hDC);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BITMAP size;
    GetObjectW(bitmap, sizeof size, &size);
    BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, size.bmWidth, size.bmHeight, memory, 0, 0,
           SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}
