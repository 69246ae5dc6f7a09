// An owner-drawn push button painted from bitmap resources: NAME followed by U (normal), D
// (pressed), F (keyboard focus) and X (disabled). The pressed image is drawn when the button is
// pressed and that image exists, else the focus image when it has the focus and that image
// exists, else the disabled image when it is disabled and that image exists, else the normal
// image.
#pragma once

#include "win32/text.h"

#include <string>

class CBitmapButton {
public:
    CBitmapButton() = default;
    ~CBitmapButton();
    CBitmapButton(const CBitmapButton&) = delete;
    CBitmapButton& operator=(const CBitmapButton&) = delete;

    enum Image { Up, Down, Focus, Disabled, kImageCount };

    // Takes over the button control (BS_OWNERDRAW) and loads NAME U, D, F and X from the
    // program's resources (names ignore letter case); true when the normal image exists.
    bool AutoLoad(HWND button, const std::string& name);
    // Makes the button the size of its normal image.
    void SizeToContent();
    // Paints the button for its owner's WM_DRAWITEM.
    void DrawItem(const DRAWITEMSTRUCT& item) const;

    HWND Handle() const { return m_hButton; }
    static Image ChooseImage(bool bPressed, bool bFocus, bool bDisabled, bool bHasDown,
                             bool bHasFocus, bool bHasDisabled);

private:
    void Release();

    HWND m_hButton = nullptr;
    HBITMAP m_hImages[kImageCount] = {};
};
