// A push button drawn entirely from images: the normal (U), pressed (D), focus (F) and disabled
// (X) images named after the button, e.g. "OKU". Missing images fall back as ChooseImage says.
#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <QString>

class CBitmapButton : public QAbstractButton {
    Q_OBJECT
public:
    enum Image { Up = 0, Down = 1, Focus = 2, Disabled = 3 };

    explicit CBitmapButton(QWidget* parent = nullptr);

    // Loads the images ":/images/<NAME>U.xpm" and so on, the name in upper case (image names
    // ignore letter case). Returns false when the normal image is missing.
    bool LoadBitmaps(const QString& name);
    // Resizes the button to its normal image.
    void SizeToContent();

    // Which image a draw uses: pressed if pressed and present, else focus if focused and
    // present, else disabled if disabled and present, else the normal image.
    static Image ChooseImage(bool bPressed, bool bFocus, bool bDisabled, bool bHasDown,
                             bool bHasFocus, bool bHasDisabled);
    Image CurrentImage() const;
    bool HasImage(Image image) const { return !m_images[image].isNull(); }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_images[4];
};
