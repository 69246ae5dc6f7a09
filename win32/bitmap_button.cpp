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
    std::string upper;
    for (char c : name)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (std::size_t i = 0; i < m_hImages.size(); ++i)
        m_hImages[i] = LoadBitmapW(
            instance, Wide(upper + ButtonImageLetter(static_cast<ButtonImage>(i))).c_str());
    InvalidateRect(m_hButton, nullptr, FALSE);
    return Image(ButtonImage::Up) != nullptr;
}

void CBitmapButton::SizeToContent() {
    BITMAP bitmap;
    const HBITMAP up = Image(ButtonImage::Up);
    if (m_hButton && up && GetObjectW(up, sizeof bitmap, &bitmap))
        SetWindowPos(m_hButton, nullptr, 0, 0, bitmap.bmWidth, bitmap.bmHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CBitmapButton::DrawItem(const DRAWITEMSTRUCT& item) const {
    const HBITMAP bitmap = Image(ChooseButtonImage(
        {(item.itemState & ODS_SELECTED) != 0, (item.itemState & ODS_FOCUS) != 0,
         (item.itemState & ODS_DISABLED) != 0, Image(ButtonImage::Down) != nullptr,
         Image(ButtonImage::Focus) != nullptr, Image(ButtonImage::Disabled) != nullptr}));
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
