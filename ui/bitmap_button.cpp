#include "ui/bitmap_button.h"

#include <QPainter>

CBitmapButton::CBitmapButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

bool CBitmapButton::LoadBitmaps(const QString& name) {
    const QString base = ":/images/" + name.toUpper();
    for (std::size_t i = 0; i < m_images.size(); ++i)
        m_images[i] =
            QPixmap(base + QChar(ButtonImageLetter(static_cast<ButtonImage>(i))) + ".xpm");
    update();
    return HasImage(ButtonImage::Up);
}

void CBitmapButton::SizeToContent() {
    if (HasImage(ButtonImage::Up))
        resize(Image(ButtonImage::Up).size());
}

ButtonImage CBitmapButton::CurrentImage() const {
    return ChooseButtonImage({isDown(), hasFocus(), !isEnabled(), HasImage(ButtonImage::Down),
                              HasImage(ButtonImage::Focus), HasImage(ButtonImage::Disabled)});
}

QSize CBitmapButton::sizeHint() const {
    return HasImage(ButtonImage::Up) ? Image(ButtonImage::Up).size() : QSize(72, 40);
}

void CBitmapButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPixmap& image = Image(CurrentImage());
    if (!image.isNull())
        painter.drawPixmap(0, 0, image);
}
