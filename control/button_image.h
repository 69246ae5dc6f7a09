// The images of a bitmap button: the normal (U), pressed (D), focus (F) and disabled (X) images
// named after the button's text, e.g. "OKU", "OKD", "OKF", "OKX".
#pragma once

enum class ButtonImage { Up = 0, Down = 1, Focus = 2, Disabled = 3 };
inline constexpr int kButtonImageCount = 4;

// The letter that follows the button's name in each image's name.
char ButtonImageLetter(ButtonImage image);

// The state a button is drawn in, and which of its images exist.
struct ButtonLook {
    bool m_bPressed = false;
    bool m_bFocus = false;
    bool m_bDisabled = false;
    bool m_bHasDown = false;
    bool m_bHasFocus = false;
    bool m_bHasDisabled = false;
};

// The image a draw uses: the pressed image if the button is pressed and that image exists, else
// the focus image if it has the focus and that image exists, else the disabled image if it is
// disabled and that image exists, else the normal image.
ButtonImage ChooseButtonImage(const ButtonLook& look);
