// An owner-drawn push button painted from bitmap resources: NAME followed by U (normal), D
// (pressed), F (keyboard focus) and X (disabled), the image chosen as ChooseButtonImage
// (control/button_image.h) says.
#pragma once

#include "control/button_image.h"
#include "win32/text.h"

#include <array>
#include <string>

class CBitmapButton {
public:
    CBitmapButton() = default;
    ~CBitmapButton();
    CBitmapButton(const CBitmapButton&) = delete;
    CBitmapButton& operator=(const CBitmapButton&) = delete;

    // Takes over the button control (BS_OWNERDRAW) and loads NAME U, D, F and X from the
    // program's resources (names ignore letter case); true when the normal image exists.
    bool AutoLoad(HWND button, const std::string& name);
    // Makes the button the size of its normal image.
    void SizeToContent();
    // Paints the button for its owner's WM_DRAWITEM.
    void DrawItem(const DRAWITEMSTRUCT& item) const;

    HWND Handle() const { return m_hButton; }

private:
    void Release();
    HBITMAP Image(ButtonImage image) const { return m_hImages.at(static_cast<std::size_t>(image)); }

    HWND m_hButton = nullptr;
    std::array<HBITMAP, kButtonImageCount> m_hImages = {};
};
