// A push button drawn entirely from images: the normal (U), pressed (D), focus (F) and disabled
// (X) images named after the button, e.g. "OKU". Missing images fall back as ChooseButtonImage
// (control/button_image.h) says.
#pragma once

#include "control/button_image.h"

#include <QAbstractButton>
#include <QPixmap>
#include <QString>

#include <array>

class CBitmapButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CBitmapButton(QWidget* parent = nullptr);

    // Loads the images ":/images/<NAME>U.xpm" and so on, the name in upper case (image names
    // ignore letter case). Returns false when the normal image is missing.
    bool LoadBitmaps(const QString& name);
    // Resizes the button to its normal image.
    void SizeToContent();

    // The image a draw uses now.
    ButtonImage CurrentImage() const;
    bool HasImage(ButtonImage image) const { return !Image(image).isNull(); }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QPixmap& Image(ButtonImage image) const {
        return m_images.at(static_cast<std::size_t>(image));
    }

    std::array<QPixmap, kButtonImageCount> m_images;
};
