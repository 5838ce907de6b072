// SPDX-License-Identifier: GPL-3.0-or-later
#include "FitPicture.h"

QRect FitPicture(QSize picture, QSize area)
{
    const int w = picture.width(), h = picture.height();
    const int cw = area.width(), ch = area.height();
    if (w <= 0 || h <= 0)
        return {};
    int fw = w, fh = h;
    if (w > cw || h > ch) {
        const double a = double(w) / double(h);
        if (w > h) {
            fw = cw;
            fh = int(cw / a);
            if (fh > ch) {
                fh = ch;
                fw = int(ch * a);
            }
        } else {
            fh = ch;
            fw = int(ch * a);
            if (fw > cw) {
                fw = cw;
                fh = int(cw / a);
            }
        }
    }
    return QRect((cw - fw) / 2, (ch - fh) / 2, fw, fh);
}
