// Where a frame lands in its video window: fit or fixed zoom, pixel aspect, pan, and the
// row order of the frame. Pure arithmetic, so that it can be tested without a display.
#include <algorithm>

#include "video/video_internal.h"

namespace zu::detail {

Layout computeLayout(const LayoutInput& in) {
    Layout out;
    const int W = in.winW, H = in.winH;
    // A zero or negative aspect term would collapse the picture; such a ratio means square.
    const bool aspectOk = in.aspectNum > 0 && in.aspectDen > 0;
    const double num = aspectOk ? in.aspectNum : 1, den = aspectOk ? in.aspectDen : 1;
    const bool fixed = in.zoomX > 0.f && in.zoomY > 0.f;

    if (!in.texture) {
        double zx, zy;
        if (fixed) {
            zx = in.zoomX * in.zx0 * num / den;
            zy = in.zoomY * in.zy0;
        } else {
            const int bw = std::max(1, static_cast<int>(in.w * in.zx0));
            const int bh = std::max(1, static_cast<int>(in.h * in.zy0));
            const double s = std::min(static_cast<double>(W) / bw, static_cast<double>(H) / bh);
            zx = s * in.zx0 * num / den;
            zy = s * in.zy0;
        }
        const int pw = static_cast<int>(in.w * zx), ph = static_cast<int>(in.h * zy);
        int vx = 0, vy = 0;
        out.pixelZoomX = static_cast<float>(zx);
        if (!in.topDown) {
            out.pixelZoomY = static_cast<float>(zy);
            if (ph < H) out.rasterY = (H - ph) / 2;
            if (ph > H) vy = -((ph - H) / 2);
        } else {
            // Rows go downwards from the raster position, which sits on the picture's top.
            out.pixelZoomY = static_cast<float>(-zy);
            out.rasterY = ph < H ? H - (H - ph) / 2 : H;
            if (ph > H) vy = (ph - H) / 2;
        }
        if (pw < W)
            out.rasterX = (W - pw) / 2;
        else if (in.frameWidth > W)
            vx = -((pw - W) / 2);
        out.vpX = in.offsetX + vx;
        out.vpY = vy - in.offsetY;
        out.vpW = W;
        out.vpH = H;
        out.ortho = true;
        return out;
    }

    double qw, qh;
    if (fixed) {
        qw = num * in.w * in.zx0 / den * in.zoomX;
        qh = static_cast<double>(in.zoomY) * in.h * in.zy0;
    } else {
        const double qw0 = num * in.w / den * in.zx0, qh0 = static_cast<double>(in.h) * in.zy0;
        const double s = qw0 > 0 && qh0 > 0 ? std::min(W / qw0, H / qh0) : 0.0;
        qw = s * qw0;
        qh = s * qh0;
    }
    out.vpX = in.offsetX + static_cast<int>((W - qw) * 0.5);
    out.vpY = static_cast<int>((H - qh) * 0.5) - in.offsetY;
    out.vpW = static_cast<int>(qw);
    out.vpH = static_cast<int>(qh);
    return out;
}

}  // namespace zu::detail
