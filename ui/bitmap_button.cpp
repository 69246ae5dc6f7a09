#include "ui/bitmap_button.h"

#include <QPainter>

CBitmapButton::CBitmapButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

bool CBitmapButton::LoadBitmaps(const QString& name) {
    static const char kLetters[4] = {'U', 'D', 'F', 'X'};
    const QString base = ":/images/" + name.toUpper();
    for (int i = 0; i < 4; ++i)
        m_images[i] = QPixmap(base + QChar(kLetters[i]) + ".xpm");
    update();
    return !m_images[Up].isNull();
}

void CBitmapButton::SizeToContent() {
    if (!m_images[Up].isNull())
        resize(m_images[Up].size());
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

CBitmapButton::Image CBitmapButton::CurrentImage() const {
    return ChooseImage(isDown(), hasFocus(), !isEnabled(), HasImage(Down), HasImage(Focus),
                       HasImage(Disabled));
}

QSize CBitmapButton::sizeHint() const {
    return m_images[Up].isNull() ? QSize(72, 40) : m_images[Up].size();
}

void CBitmapButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPixmap& image = m_images[CurrentImage()];
    if (!image.isNull())
        painter.drawPixmap(0, 0, image);
}
