// Dialog units: positions given in units of the dialog font, so the layout keeps its
// proportions with any font. One horizontal unit is a quarter of the average character width,
// one vertical unit an eighth of the character height. The average character width is taken
// over the 52 letters, as dialog layouts have always measured it: a font's own stored average
// counts many narrow glyphs and runs a fifth short of real text, which then clips the button
// and panel texts.
#pragma once

#include <QFontMetrics>
#include <QRect>
#include <QString>
#include <QWidget>

class DialogUnits {
public:
    explicit DialogUnits(const QFontMetrics& metrics)
        : m_dX(AverageCharWidth(metrics) / 4.0), m_dY(metrics.height() / 8.0) {}

    static double AverageCharWidth(const QFontMetrics& metrics) {
        return metrics.horizontalAdvance(
                   QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
               52.0;
    }

    int X(int units) const { return static_cast<int>(units * m_dX + 0.5); }
    int Y(int units) const { return static_cast<int>(units * m_dY + 0.5); }
    QRect Rect(int x, int y, int w, int h) const { return QRect(X(x), Y(y), X(w), Y(h)); }
    void Place(QWidget* widget, int x, int y, int w, int h) const {
        widget->setGeometry(Rect(x, y, w, h));
    }

private:
    double m_dX;
    double m_dY;
};
