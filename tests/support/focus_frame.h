// Checks what a picture area shows against what it keeps: with the focus,
// a frame in the highlight colour along the edges of the shown part, over
// the background only; without it, nothing but the kept image. Controls on
// the area are left out.
#pragma once

#include <QImage>
#include <QPalette>
#include <QString>
#include <QWidget>
#include <cmath>

#include "toolkit/picture_box.h"

namespace testing_support {

// The first device pixel that breaks the rule, described; empty when none
// does. shown: the area's grab; background: its background colour.
inline QString FocusFrameFault(const tk::PictureBox& picture, const QImage& shown, QRgb background, bool focused) {
    const QImage kept = picture.Image();
    const qreal ratio = kept.devicePixelRatio();
    const int frame = static_cast<int>(std::lround(tk::PictureBox::kFocusFrameWidth * ratio));
    const QRgb mark = picture.palette().color(QPalette::Highlight).rgb() | 0xFF000000;
    if (mark == (background | 0xFF000000)) return "the mark has the background colour";
    QList<QRect> controls;
    for (const QWidget* child : picture.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (child->isVisible())
            controls << QRectF(QPointF(child->pos()) * ratio, QSizeF(child->size()) * ratio).toAlignedRect();
    int marked = 0;
    for (int y = 0; y < kept.height(); ++y) {
        for (int x = 0; x < kept.width(); ++x) {
            bool underControl = false;
            for (const QRect& control : controls) underControl = underControl || control.contains(x, y);
            if (underControl) continue;
            const QRgb was = kept.pixel(x, y) | 0xFF000000;
            const bool inFrame = x < frame || y < frame || x >= kept.width() - frame || y >= kept.height() - frame;
            const QRgb want = focused && inFrame && was == (background | 0xFF000000) ? mark : was;
            const QRgb got = shown.pixel(x, y) | 0xFF000000;
            if (got != want)
                return QString("device pixel %1,%2 is #%3, expected #%4 (kept: #%5)")
                    .arg(x).arg(y).arg(got & 0xFFFFFF, 6, 16, QChar('0')).arg(want & 0xFFFFFF, 6, 16, QChar('0'))
                    .arg(was & 0xFFFFFF, 6, 16, QChar('0'));
            marked += got == mark;
        }
    }
    if (focused && marked < 2 * frame * (kept.width() + kept.height()) / 2)
        return QString("only %1 pixels show the mark").arg(marked);
    return {};
}

}  // namespace testing_support
