#include "control/button_image.h"

char ButtonImageLetter(ButtonImage image) {
    switch (image) {
    case ButtonImage::Down:
        return 'D';
    case ButtonImage::Focus:
        return 'F';
    case ButtonImage::Disabled:
        return 'X';
    case ButtonImage::Up:
        break;
    }
    return 'U';
}

ButtonImage ChooseButtonImage(const ButtonLook& look) {
    if (look.m_bPressed && look.m_bHasDown)
        return ButtonImage::Down;
    if (look.m_bFocus && look.m_bHasFocus)
        return ButtonImage::Focus;
    if (look.m_bDisabled && look.m_bHasDisabled)
        return ButtonImage::Disabled;
    return ButtonImage::Up;
}
