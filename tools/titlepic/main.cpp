// titlepic — paints the opening picture of the biorhythm program.
//
// Everything is drawn with QPainter: navy ground, title lettering, a torn
// sheet of old washi carrying a waka in vertical brush writing, maple
// leaves, and the caption strip along the bottom.  A fixed random seed keeps
// the output byte-for-byte stable between runs.
//
// Usage: titlepic [--installer-side side.bmp] [--uninstaller-side side.bmp]
//                 [title.bmp [title.png]]

#include <QCommandLineParser>
#include <QFile>
#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <numbers>
#include <random>
#include <vector>

namespace {

constexpr int W = 764;
constexpr int H = 629;
constexpr double PI = std::numbers::pi;

// ---------------------------------------------------------------------------
// Small helpers

// Own uniform mapping on top of mt19937 so the numbers do not depend on the
// standard library's distribution implementation.
class Rng {
public:
    explicit Rng(std::uint32_t seed) : gen_(seed) {}
    double uni() { return gen_() / 4294967296.0; }
    double range(double a, double b) { return a + (b - a) * uni(); }
    int irange(int a, int b) { return a + int(uni() * (b - a + 1)); }
    bool chance(double p) { return uni() < p; }

private:
    std::mt19937 gen_;
};

double smoothstep(double e0, double e1, double x)
{
    double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

QColor mix(const QColor &a, const QColor &b, double t, int alpha = 255)
{
    return QColor(int(a.red() + (b.red() - a.red()) * t),
                  int(a.green() + (b.green() - a.green()) * t),
                  int(a.blue() + (b.blue() - a.blue()) * t), alpha);
}

QPointF unitDir(double deg) // 0 deg = up, clockwise positive
{
    double r = deg * PI / 180.0;
    return {std::sin(r), -std::cos(r)};
}

double len(QPointF p) { return std::hypot(p.x(), p.y()); }

struct ValueNoise {
    int n;
    std::vector<float> v;
    ValueNoise(Rng &r, int size) : n(size), v(size * size)
    {
        for (auto &x : v)
            x = float(r.uni());
    }
    float lat(int x, int y) const
    {
        x %= n; y %= n;
        if (x < 0) x += n;
        if (y < 0) y += n;
        return v[y * n + x];
    }
    double at(double x, double y) const
    {
        int xi = int(std::floor(x)), yi = int(std::floor(y));
        double fx = x - xi, fy = y - yi;
        fx = fx * fx * (3 - 2 * fx);
        fy = fy * fy * (3 - 2 * fy);
        double a = lat(xi, yi) + (lat(xi + 1, yi) - lat(xi, yi)) * fx;
        double b = lat(xi, yi + 1) + (lat(xi + 1, yi + 1) - lat(xi, yi + 1)) * fx;
        return a + (b - a) * fy;
    }
    double fbm(double x, double y, int oct) const
    {
        double s = 0, amp = 0.5, norm = 0;
        for (int i = 0; i < oct; ++i) {
            s += amp * at(x, y);
            norm += amp;
            x *= 2.03; y *= 2.03;
            amp *= 0.5;
        }
        return s / norm;
    }
};

// Three passes of a box blur approximate a gaussian.
void blurPlane(std::vector<float> &a, int w, int h, int r)
{
    if (r <= 0)
        return;
    std::vector<float> tmp(a.size());
    const float inv = 1.0f / float(2 * r + 1);
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h; ++y) {
            const float *row = &a[y * w];
            float s = 0;
            for (int k = -r; k <= r; ++k)
                s += row[std::clamp(k, 0, w - 1)];
            for (int x = 0; x < w; ++x) {
                tmp[y * w + x] = s * inv;
                s += row[std::min(x + r + 1, w - 1)] - row[std::max(x - r, 0)];
            }
        }
        for (int x = 0; x < w; ++x) {
            float s = 0;
            for (int k = -r; k <= r; ++k)
                s += tmp[std::clamp(k, 0, h - 1) * w + x];
            for (int y = 0; y < h; ++y) {
                a[y * w + x] = s * inv;
                s += tmp[std::min(y + r + 1, h - 1) * w + x] - tmp[std::max(y - r, 0) * w + x];
            }
        }
    }
}

// Renders whatever `draw` paints on a canvas of `size`, keeps only its
// coverage, blurs it and returns it tinted with `col` — used for shadows and
// ink bleed.
QImage softLayer(const std::function<void(QPainter &)> &draw, QSize size, int radius, const QColor &col)
{
    const int w = size.width(), h = size.height();
    QImage m(w, h, QImage::Format_ARGB32_Premultiplied);
    m.fill(Qt::transparent);
    {
        QPainter p(&m);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p);
    }
    std::vector<float> a(w * h);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<const QRgb *>(m.constScanLine(y));
        for (int x = 0; x < w; ++x)
            a[y * w + x] = qAlpha(line[x]) / 255.0f;
    }
    blurPlane(a, w, h, radius);
    QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            int al = std::clamp(int(a[y * w + x] * col.alpha() + 0.5f), 0, 255);
            line[x] = qRgba(col.red() * al / 255, col.green() * al / 255, col.blue() * al / 255, al);
        }
    }
    return out;
}

// The size of whatever `p` paints on.
QSize canvas(const QPainter &p) { return QSize(p.device()->width(), p.device()->height()); }

void dropShadow(QPainter &p, const QPainterPath &path, QPointF off, int radius, const QColor &col)
{
    QImage sh = softLayer([&](QPainter &q) { q.fillPath(path.translated(off), Qt::black); }, canvas(p), radius,
                          col);
    p.drawImage(0, 0, sh);
}

QFont pickFont(const QString &family, double px, bool bold = false, bool italic = false)
{
    QFont f(family);
    f.setPixelSize(int(px));
    f.setBold(bold);
    f.setItalic(italic);
    f.setStyleStrategy(QFont::PreferAntialias);
    QFontInfo fi(f);
    if (!fi.family().startsWith(family))
        std::fprintf(stderr, "warning: font '%s' resolved to '%s'\n", qPrintable(family),
                     qPrintable(fi.family()));
    return f;
}

// ---------------------------------------------------------------------------
// Torn paper outline

void tearSegment(QPointF a, QPointF b, Rng &r, double rough, std::vector<QPointF> &out)
{
    QPointF d = b - a;
    double l = len(d);
    if (l < 2.2) {
        out.push_back(a);
        return;
    }
    QPointF n(-d.y() / l, d.x() / l);
    // fine scale gets relatively rougher: that is what makes it look torn
    double k = rough * (l < 14 ? 1.9 : (l < 40 ? 1.3 : 1.0));
    QPointF m = (a + b) / 2 + n * (l * k * (r.uni() - 0.5)) + d * (0.12 * (r.uni() - 0.5));
    tearSegment(a, m, r, rough, out);
    tearSegment(m, b, r, rough, out);
}

std::vector<QPointF> tornOutline(const std::vector<QPointF> &corners, Rng &r, double rough)
{
    std::vector<QPointF> pts;
    for (size_t i = 0; i < corners.size(); ++i)
        tearSegment(corners[i], corners[(i + 1) % corners.size()], r, rough, pts);
    for (auto &p : pts)
        p += QPointF(r.range(-0.45, 0.45), r.range(-0.45, 0.45));
    return pts;
}

QPainterPath polyPath(const std::vector<QPointF> &pts)
{
    QPainterPath p;
    p.moveTo(pts[0]);
    for (size_t i = 1; i < pts.size(); ++i)
        p.lineTo(pts[i]);
    p.closeSubpath();
    return p;
}

// ---------------------------------------------------------------------------
// Maple leaf

struct LeafColors {
    QColor centre, body, tips, vein, edge;
};

const std::array<LeafColors, 5> kLeafColors{{
    {QColor(238, 104, 34), QColor(204, 30, 26), QColor(140, 10, 18), QColor(255, 170, 110), QColor(95, 8, 10)},   // crimson
    {QColor(212, 120, 48), QColor(168, 58, 26), QColor(112, 34, 16), QColor(236, 160, 100), QColor(70, 20, 8)},   // red-brown
    {QColor(252, 178, 52), QColor(236, 110, 22), QColor(198, 52, 16), QColor(255, 214, 140), QColor(120, 36, 8)}, // orange
    {QColor(222, 66, 44), QColor(178, 16, 32), QColor(108, 6, 22), QColor(248, 140, 110), QColor(70, 4, 12)},     // deep red
    {QColor(246, 150, 40), QColor(214, 70, 24), QColor(160, 30, 20), QColor(255, 196, 120), QColor(96, 20, 8)},   // scarlet-orange
}};

struct Leaf {
    QPainterPath blade;
    std::vector<QPainterPath> halves; // one side of each lobe, for a creased look
    std::vector<QPointF> tips;
    std::vector<double> lobeAngles, lobeLens, sinusR;
    double size;
};

Leaf buildLeaf(Rng &r, double L, int lobes)
{
    Leaf lf;
    lf.size = L;
    std::vector<double> ang, lenf;
    if (lobes == 7) {
        ang = {-128, -84, -42, 0, 42, 84, 128};
        lenf = {0.46, 0.76, 0.94, 1.0, 0.94, 0.76, 0.46};
    } else {
        ang = {-100, -50, 0, 50, 100};
        lenf = {0.62, 0.9, 1.0, 0.9, 0.62};
    }
    const int n = int(ang.size());
    for (int i = 0; i < n; ++i) {
        ang[i] += r.range(-6, 6);
        lenf[i] *= L * r.range(0.92, 1.05);
    }
    // sinus points: index i sits to the left of lobe i; index n is right of the last lobe
    std::vector<QPointF> sinus(n + 1);
    sinus[0] = QPointF(-0.03 * L, 0.10 * L);
    sinus[n] = QPointF(0.03 * L, 0.10 * L);
    for (int i = 1; i < n; ++i) {
        double a = (ang[i - 1] + ang[i]) / 2;
        double rs = (0.30 * std::min(lenf[i - 1], lenf[i]) + 0.05 * L) * r.range(0.85, 1.12);
        sinus[i] = unitDir(a) * rs;
    }
    const double wfac = lobes == 7 ? 0.105 : 0.14;
    const int teeth = lobes == 7 ? 9 : 10;
    const int M = teeth * 8;

    std::vector<QPointF> outline;
    for (int i = 0; i < n; ++i) {
        QPointF T = unitDir(ang[i]) * lenf[i];
        QPointF axis = unitDir(ang[i]);
        lf.tips.push_back(T);
        auto edge = [&](QPointF S, bool forward) {
            std::vector<QPointF> e;
            QPointF d = T - S;
            double dl = len(d);
            QPointF nrm(-d.y() / dl, d.x() / dl);
            QPointF side = S - axis * (S.x() * axis.x() + S.y() * axis.y());
            if (nrm.x() * side.x() + nrm.y() * side.y() < 0)
                nrm = -nrm;
            double phase = r.uni() * 0.3;
            for (int k = 0; k <= M; ++k) {
                double t = forward ? double(k) / M : 1.0 - double(k) / M;
                double bulge = wfac * lenf[i] * std::pow(std::sin(PI * std::pow(t, 0.82)), 0.8);
                double amp = 0.04 * lenf[i] * smoothstep(0.08, 0.35, t) * (1.0 - 0.75 * t);
                double s1 = std::fmod(t * teeth + phase, 1.0);
                double s2 = std::fmod(t * teeth * 2 + phase, 1.0);
                double tooth = amp * (std::pow(s1, 1.4) + 0.35 * s2);
                e.push_back(S + d * t + nrm * (bulge + tooth));
            }
            return e;
        };
        auto left = edge(sinus[i], true);
        auto right = edge(sinus[i + 1], false);
        outline.insert(outline.end(), left.begin(), left.end());
        outline.insert(outline.end(), right.begin() + 1, right.end());

        QPainterPath half;
        half.moveTo(0, 0);
        for (auto &p : left)
            half.lineTo(p);
        half.closeSubpath();
        lf.halves.push_back(half);
    }
    lf.blade = polyPath(outline);
    lf.lobeAngles = ang;
    lf.lobeLens = lenf;
    for (int i = 1; i < n; ++i)
        lf.sinusR.push_back(len(sinus[i]));
    return lf;
}

void paintLeaf(QPainter &p, Rng &r, QPointF pos, double L, double angleDeg, int palette, int lobes = 7,
               bool shadow = true)
{
    const LeafColors &c = kLeafColors[palette % kLeafColors.size()];
    Leaf lf = buildLeaf(r, L, lobes);
    QTransform tf;
    tf.translate(pos.x(), pos.y());
    tf.rotate(angleDeg);

    // petiole
    QPainterPath stem;
    double bend = r.range(-0.25, 0.25) * L;
    stem.moveTo(0, 0.05 * L);
    stem.cubicTo(0.02 * L, 0.3 * L, bend, 0.45 * L, bend * 1.2, 0.62 * L);
    QPainterPath stemShape;
    {
        QPainterPathStroker st;
        st.setWidth(std::max(1.6, 0.045 * L));
        st.setCapStyle(Qt::RoundCap);
        stemShape = st.createStroke(stem);
    }

    if (shadow) {
        QPainterPath all = tf.map(lf.blade.united(stemShape));
        dropShadow(p, all, QPointF(3 + L * 0.05, 4 + L * 0.06), int(2 + L * 0.05), QColor(0, 0, 20, 150));
    }

    p.save();
    p.setTransform(tf, true);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(stemShape, mix(c.edge, c.body, 0.45));

    QRadialGradient g(QPointF(0, 0), L * 1.02);
    g.setColorAt(0.0, c.centre);
    g.setColorAt(0.18, mix(c.centre, c.body, 0.5));
    g.setColorAt(0.55, c.body);
    g.setColorAt(1.0, c.tips);
    p.fillPath(lf.blade, g);

    // mottled ageing inside the blade
    p.setClipPath(lf.blade);
    int spots = r.irange(2, 6);
    for (int i = 0; i < spots; ++i) {
        QPointF sp(r.range(-0.7, 0.7) * L, r.range(-0.8, 0.2) * L);
        double sr = r.range(0.06, 0.22) * L;
        QRadialGradient sg(sp, sr);
        QColor sc = r.chance(0.5) ? c.tips : c.centre;
        sc.setAlpha(r.irange(40, 90));
        sg.setColorAt(0, sc);
        sc.setAlpha(0);
        sg.setColorAt(1, sc);
        p.fillRect(QRectF(sp.x() - sr, sp.y() - sr, 2 * sr, 2 * sr), sg);
    }
    // crease: one half of every lobe a little darker
    for (auto &h : lf.halves)
        p.fillPath(h, QColor(40, 0, 0, 34));
    // gloss
    QLinearGradient gl(QPointF(-L, -L), QPointF(L, L));
    gl.setColorAt(0.0, QColor(255, 240, 200, 0));
    gl.setColorAt(0.38, QColor(255, 240, 200, 38));
    gl.setColorAt(0.6, QColor(255, 240, 200, 0));
    gl.setColorAt(1.0, QColor(30, 0, 0, 40));
    p.fillRect(QRectF(-L, -L, 2 * L, 2 * L), gl);

    // veins
    QColor vc = c.vein;
    for (size_t i = 0; i < lf.tips.size(); ++i) {
        QPointF axis = unitDir(lf.lobeAngles[i]);
        double lobeLen = lf.lobeLens[i];
        vc.setAlpha(150);
        QPen vp(vc, std::max(0.7, 0.028 * L), Qt::SolidLine, Qt::RoundCap);
        p.setPen(vp);
        p.drawLine(QPointF(0, 0), axis * (lobeLen * 0.9));
        vc.setAlpha(70);
        p.setPen(QPen(vc, std::max(0.5, 0.014 * L), Qt::SolidLine, Qt::RoundCap));
        for (double t = 0.32; t < 0.86; t += 0.13) {
            QPointF base = axis * (lobeLen * t);
            double w = 0.11 * lobeLen * std::sin(PI * std::pow(t, 0.8));
            for (int s = -1; s <= 1; s += 2) {
                double a = lf.lobeAngles[i] + s * 48;
                p.drawLine(base, base + unitDir(a) * w);
            }
        }
    }
    p.setClipping(false);

    QColor ec = c.edge;
    ec.setAlpha(150);
    p.setPen(QPen(ec, 0.7));
    p.setBrush(Qt::NoBrush);
    p.drawPath(lf.blade);
    p.restore();
}

// ---------------------------------------------------------------------------
// Picture layers

// Navy, a little lighter in the middle and darker towards the corners.
// `reach` is the radius of the vignette.
void paintGround(QPainter &p, QSize size, double reach)
{
    const int w = size.width(), h = size.height();
    p.fillRect(0, 0, w, h, QColor(0, 0, 128));
    QRadialGradient v(QPointF(w / 2.0, h * 0.46), reach);
    v.setColorAt(0.0, QColor(0, 0, 140));
    v.setColorAt(0.55, QColor(0, 0, 128));
    v.setColorAt(0.8, QColor(0, 0, 116));
    v.setColorAt(1.0, QColor(0, 0, 84));
    p.fillRect(0, 0, w, h, v);
}

QPainterPath paperShape(Rng &r)
{
    std::vector<QPointF> corners = {
        {150, 148}, {236, 143}, {330, 139}, {452, 144}, {546, 137}, {622, 135}, // top
        {628, 230}, {633, 345}, {627, 452}, {630, 548},                         // right
        {540, 553}, {430, 558}, {322, 551}, {214, 558}, {180, 559},             // bottom
        {164, 538}, {143, 521},                                                 // torn-off corner
        {147, 420}, {152, 312}, {146, 226},                                     // left
    };
    return polyPath(tornOutline(corners, r, 0.22));
}

void paintPaper(QPainter &p, Rng &r, const QPainterPath &shape)
{
    // shadow under the sheet
    dropShadow(p, shape, QPointF(7, 9), 7, QColor(0, 0, 16, 190));

    const QPolygonF outline = shape.toFillPolygon();
    double area = 0;
    for (int i = 0; i + 1 < outline.size(); ++i)
        area += outline[i].x() * outline[i + 1].y() - outline[i + 1].x() * outline[i].y();
    const double outward = area > 0 ? -1.0 : 1.0;

    // fibres sticking out of the torn edge, drawn under the sheet
    auto fringe = [&](int count, double minL, double maxL, QColor col, double inset) {
        for (int i = 0; i < count; ++i) {
            int k = r.irange(0, int(outline.size()) - 2);
            QPointF a = outline[k], b = outline[k + 1];
            QPointF d = b - a;
            double dl = len(d);
            if (dl < 0.01)
                continue;
            QPointF n(d.y() / dl * outward, -d.x() / dl * outward);
            QPointF s = a + d * r.uni() - n * inset;
            double l = r.range(minL, maxL);
            QPointF dir = n + QPointF(d.x() / dl, d.y() / dl) * r.range(-0.9, 0.9);
            dir /= len(dir);
            QColor cc = col;
            cc.setAlpha(r.irange(col.alpha() / 2, col.alpha()));
            p.setPen(QPen(cc, r.range(0.35, 0.8), Qt::SolidLine, Qt::RoundCap));
            QPainterPath f;
            f.moveTo(s);
            QPointF e = s + dir * l;
            f.quadTo((s + e) / 2 + QPointF(r.range(-1, 1), r.range(-1, 1)), e);
            p.drawPath(f);
        }
    };
    p.setBrush(Qt::NoBrush);
    fringe(1500, 0.8, 3.5, QColor(232, 220, 192, 170), 1.0);
    fringe(260, 3.0, 8.0, QColor(222, 208, 176, 120), 1.0);

    // paper body: mottled washi colour with grain
    ValueNoise coarse(r, 64), fine(r, 128);
    QImage tex(W, H, QImage::Format_RGB32);
    const QColor light(241, 230, 203), dark(214, 192, 148), burnt(188, 150, 96);
    for (int y = 0; y < H; ++y) {
        auto *line = reinterpret_cast<QRgb *>(tex.scanLine(y));
        for (int x = 0; x < W; ++x) {
            double m = coarse.fbm(x / 70.0, y / 70.0, 5);
            double g = fine.fbm(x / 3.0, y / 4.5, 2); // fine grain
            double tone = std::clamp((m - 0.32) * 1.6, 0.0, 1.0);
            double age = smoothstep(0.2, 1.0, (x - 150) / 480.0 * 0.4 + (y - 140) / 420.0 * 0.6) * 0.35;
            QColor c = mix(light, dark, tone * 0.75 + age * 0.5);
            double n = (g - 0.5) * 10 + (r.uni() - 0.5) * 7;
            line[x] = qRgb(std::clamp(int(c.red() + n), 0, 255), std::clamp(int(c.green() + n), 0, 255),
                           std::clamp(int(c.blue() + n * 1.1), 0, 255));
        }
    }

    p.save();
    p.setClipPath(shape);
    p.drawImage(0, 0, tex);

    // long kozo fibres in the sheet
    for (int i = 0; i < 900; ++i) {
        QPointF s(r.range(140, 640), r.range(130, 565));
        double a = r.range(0, 360);
        double l = r.range(5, 26);
        QPointF e = s + unitDir(a) * l;
        QPointF c = (s + e) / 2 + QPointF(r.range(-4, 4), r.range(-4, 4));
        bool lighter = r.chance(0.6);
        QColor fc = lighter ? QColor(252, 246, 230, r.irange(40, 90)) : QColor(160, 132, 88, r.irange(25, 55));
        p.setPen(QPen(fc, r.range(0.4, 0.9), Qt::SolidLine, Qt::RoundCap));
        QPainterPath f;
        f.moveTo(s);
        f.quadTo(c, e);
        p.drawPath(f);
    }

    // water stains: soft blobs and a tide ring
    ValueNoise blobNoise(r, 32);
    auto blob = [&](QPointF c, double rad, double wob) {
        QPainterPath b;
        const int steps = 90;
        double off = r.range(0, 30);
        for (int i = 0; i < steps; ++i) {
            double t = 2 * PI * i / steps;
            double rr = rad * (1 + wob * (blobNoise.fbm(off + std::cos(t) * 1.6, off + std::sin(t) * 1.6, 3) - 0.5) * 2);
            QPointF q = c + QPointF(std::cos(t), std::sin(t)) * rr;
            if (i == 0)
                b.moveTo(q);
            else
                b.lineTo(q);
        }
        b.closeSubpath();
        return b;
    };
    struct Stain { QPointF c; double r; int a; };
    const Stain stains[] = {{{528, 478}, 44, 30}, {{236, 206}, 34, 24}, {{430, 318}, 70, 12},
                            {{598, 214}, 22, 28}, {{206, 478}, 30, 26}, {{372, 522}, 28, 20}};
    for (const auto &s : stains) {
        QPainterPath b = blob(s.c, s.r, 0.35);
        QRadialGradient sg(s.c, s.r * 1.2);
        sg.setColorAt(0, QColor(196, 150, 80, s.a / 3));
        sg.setColorAt(0.7, QColor(190, 140, 70, s.a * 2 / 3));
        sg.setColorAt(1, QColor(176, 124, 58, s.a));
        p.fillPath(b, sg);
        p.setPen(QPen(QColor(160, 112, 52, s.a / 2 + 6), 0.9));
        p.setBrush(Qt::NoBrush);
        p.drawPath(b);
    }
    {
        QPainterPath ring = blob(QPointF(548, 262), 27, 0.18);
        p.setPen(QPen(QColor(140, 96, 46, 70), 1.6));
        p.setBrush(QColor(170, 130, 80, 14));
        p.drawPath(ring);
        QPainterPath ring2 = blob(QPointF(300, 488), 22, 0.22);
        p.setPen(QPen(QColor(140, 96, 46, 55), 1.3));
        p.drawPath(ring2);
        p.setBrush(Qt::NoBrush);
    }
    // foxing
    for (int i = 0; i < 120; ++i) {
        QPointF s(r.range(145, 635), r.range(135, 560));
        double rad = r.range(0.4, 2.2);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(130, 84, 40, r.irange(30, 95)));
        p.drawEllipse(s, rad, rad * r.range(0.7, 1.2));
    }
    // an old fold across the sheet
    auto fold = [&](QPointF a, QPointF b) {
        QPointF d = b - a;
        double dl = len(d);
        QPointF n(-d.y() / dl, d.x() / dl);
        QLinearGradient fg(a - n * 6, a + n * 6);
        fg.setColorAt(0.0, QColor(120, 90, 50, 0));
        fg.setColorAt(0.45, QColor(120, 90, 50, 24));
        fg.setColorAt(0.52, QColor(255, 250, 236, 40));
        fg.setColorAt(1.0, QColor(255, 250, 236, 0));
        QPolygonF band{a - n * 6, b - n * 6, b + n * 6, a + n * 6};
        p.setPen(Qt::NoPen);
        p.setBrush(fg);
        p.drawPolygon(band);
    };
    fold(QPointF(392, 120), QPointF(386, 580));
    fold(QPointF(120, 352), QPointF(660, 346));

    // darker, aged rim
    p.setBrush(Qt::NoBrush);
    const std::array<std::pair<double, int>, 7> rim{{{46, 7}, {34, 8}, {24, 10}, {15, 14}, {9, 20}, {5, 28}, {2.4, 46}}};
    for (auto [w, a] : rim) {
        p.setPen(QPen(QColor(128, 84, 36, a), w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(shape);
    }
    p.restore();

    // crisp torn edge and pale fibres lying over it
    p.setPen(QPen(QColor(118, 82, 44, 150), 0.8));
    p.drawPath(shape);
    fringe(900, 0.8, 3.0, QColor(244, 234, 210, 120), 1.8);
}

// Vertical writing: each glyph upright, one below the other.
struct Column {
    QString text;
    double x, y;      // centre line, top
    double size;
};

QRectF writeColumn(QPainter &p, Rng &r, const QString &family, const Column &col, const QColor &ink,
                   QPainterPath &inkPath)
{
    double y = col.y;
    QRectF ext;
    const int n = int(col.text.size());
    for (int i = 0; i < n; ++i) {
        QChar ch = col.text[i];
        bool kana = ch.unicode() >= 0x3040 && ch.unicode() <= 0x30ff;
        double sz = col.size * (kana ? 0.9 : 1.04) * r.range(0.95, 1.05);
        QFont f = pickFont(family, sz);
        QPainterPath g;
        g.addText(0, 0, f, QString(ch));
        QRectF br = g.boundingRect();
        // brush writing leans and wanders slightly
        QTransform t;
        t.translate(col.x + r.range(-1.8, 1.8), y + br.height() / 2);
        t.rotate(r.range(-2.5, 2.5));
        t.translate(-br.center().x(), -br.center().y());
        QPainterPath placed = t.map(g);
        inkPath.addPath(placed);
        // ink runs drier down the column
        QColor c = ink;
        c.setAlpha(int(250 - 45.0 * i / std::max(1, n - 1)));
        p.fillPath(placed, c);
        p.strokePath(placed, QPen(c, 0.6));
        ext = ext.isNull() ? placed.boundingRect() : ext.united(placed.boundingRect());
        y += br.height() + col.size * r.range(0.16, 0.26);
    }
    return ext;
}

void paintPoem(QPainter &p, Rng &r, const QPainterPath &paper)
{
    const QString brush = QStringLiteral("AoyagiKouzanFontT");
    // 在原業平 — ちはやぶる 神代もきかず 竜田川 からくれなゐに 水くくるとは
    const std::vector<Column> cols = {
        {QStringLiteral("ちはやぶる"), 560, 178, 58},
        {QStringLiteral("神代もきかず"), 488, 206, 56},
        {QStringLiteral("竜田川"), 416, 256, 60},
        {QStringLiteral("からくれなゐに"), 346, 186, 54},
        {QStringLiteral("水くくるとは"), 276, 226, 56},
    };
    const QColor ink(22, 18, 16);

    // ink soaks a little into the fibres: draw a soft halo first
    QPainterPath inkAll;
    {
        QImage scratch(W, H, QImage::Format_ARGB32_Premultiplied);
        scratch.fill(Qt::transparent);
        QPainter sp(&scratch);
        sp.setRenderHint(QPainter::Antialiasing);
        Rng copy = r; // same glyph placement as the real pass
        for (const auto &c : cols)
            writeColumn(sp, copy, brush, c, ink, inkAll);
    }
    QImage halo = softLayer([&](QPainter &q) { q.fillPath(inkAll, Qt::black); }, QSize(W, H), 1,
                            QColor(50, 36, 24, 90));
    p.save();
    p.setClipPath(paper);
    p.drawImage(1, 1, halo);
    p.restore();

    QPainterPath dummy;
    for (const auto &c : cols) {
        QRectF e = writeColumn(p, r, brush, c, ink, dummy);
        std::printf("column %-8s x %.0f..%.0f  y %.0f..%.0f\n", qPrintable(c.text.left(2)), e.left(), e.right(),
                    e.top(), e.bottom());
    }

    // poet's name, smaller and lower
    QPainterPath nm;
    QRectF ne = writeColumn(p, r, brush, {QStringLiteral("在原業平"), 208, 318, 32}, QColor(30, 24, 20), nm);
    std::printf("poet     x %.0f..%.0f  y %.0f..%.0f\n", ne.left(), ne.right(), ne.top(), ne.bottom());

    // name seal (白文印): red square, characters left white, read right column first
    const double s = 40;
    QPointF tl(208 - s / 2, ne.bottom() + 16);
    std::vector<QPointF> sc = {tl, tl + QPointF(s, 0), tl + QPointF(s, s), tl + QPointF(0, s)};
    QPainterPath seal = polyPath(tornOutline(sc, r, 0.035));
    p.save();
    p.setClipPath(seal);
    p.fillPath(seal, QColor(196, 34, 30, 235));
    QFont sf = pickFont(QStringLiteral("IPAMincho"), 16, true);
    const QString sealChars = QStringLiteral("在原業平");
    const QPointF cell[4] = {{0.74, 0.27}, {0.74, 0.73}, {0.26, 0.27}, {0.26, 0.73}};
    for (int i = 0; i < 4; ++i) {
        QPainterPath g;
        g.addText(0, 0, sf, QString(sealChars[i]));
        QRectF br = g.boundingRect();
        QPointF c = tl + QPointF(cell[i].x() * s, cell[i].y() * s);
        QPainterPath gp = g.translated(c - br.center());
        p.fillPath(gp, QColor(246, 236, 214));
        QPen stroke(QColor(246, 236, 214), 0.8);
        p.strokePath(gp, stroke);
    }
    // uneven stamping
    for (int i = 0; i < 70; ++i) {
        QPointF q = tl + QPointF(r.uni() * s, r.uni() * s);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(240, 224, 200, r.irange(40, 140)));
        double rr = r.range(0.3, 1.1);
        p.drawEllipse(q, rr, rr);
    }
    p.restore();
    p.setPen(QPen(QColor(196, 34, 30, 200), 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(seal);
}

void paintTitle(QPainter &p)
{
    QFont f = pickFont(QStringLiteral("KouzanBrushFont"), 78);
    f.setLetterSpacing(QFont::PercentageSpacing, 86);
    QPainterPath t;
    t.addText(0, 0, f, QStringLiteral("バイオリズム"));
    QRectF br = t.boundingRect();
    t.translate(W / 2.0 - br.center().x(), 20 - br.top());
    br = t.boundingRect();
    std::printf("title    x %.0f..%.0f  y %.0f..%.0f\n", br.left(), br.right(), br.top(), br.bottom());

    dropShadow(p, t, QPointF(4, 5), 3, QColor(0, 0, 0, 220));
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.strokePath(t, QPen(QColor(20, 10, 0), 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.strokePath(t, QPen(QColor(150, 70, 0), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QLinearGradient g(0, br.top(), 0, br.bottom());
    g.setColorAt(0.0, QColor(255, 252, 170));
    g.setColorAt(0.45, QColor(255, 228, 40));
    g.setColorAt(1.0, QColor(240, 168, 0));
    p.fillPath(t, g);
    p.strokePath(t, QPen(QBrush(g), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.restore();

    QFont sf = pickFont(QStringLiteral("C059"), 27, true, true);
    QPainterPath s;
    s.addText(0, 0, sf, QStringLiteral("Biorhythm"));
    QRectF sb = s.boundingRect();
    s.translate(br.right() - sb.right() - 4, br.bottom() + 10 - sb.top());
    std::printf("subtitle x %.0f..%.0f  y %.0f..%.0f\n", s.boundingRect().left(), s.boundingRect().right(),
                s.boundingRect().top(), s.boundingRect().bottom());
    dropShadow(p, s, QPointF(2, 2), 1, QColor(0, 0, 0, 230));
    p.strokePath(s, QPen(QColor(40, 0, 0), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.fillPath(s, QColor(236, 36, 36));
}

void paintCaption(QPainter &p)
{
    QFont f = pickFont(QStringLiteral("IPAMincho"), 18);
    const QString text = QStringLiteral("こころとからだのリズム");
    QFontMetricsF fm(f);
    double y = 222;
    p.setPen(QColor(245, 245, 250));
    for (QChar ch : text) {
        QPainterPath g;
        g.addText(0, 0, f, QString(ch));
        QRectF br = g.boundingRect();
        QPointF at(24 - br.center().x(), y + 10 - br.center().y());
        p.fillPath(g.translated(at + QPointF(1.2, 1.2)), QColor(0, 0, 30, 200));
        p.fillPath(g.translated(at), QColor(246, 246, 252));
        y += 20;
    }
    std::printf("caption  y 222..%.0f\n", y);
}

// The program's crest: a gold ring holding the three rhythm curves, centred
// on `c` with radius `R` (20 in the title picture).
void paintCrest(QPainter &p, QPointF c, double R)
{
    const double k = R / 20;
    p.setPen(Qt::NoPen);
    QRadialGradient bg(c, R);
    bg.setColorAt(0, QColor(20, 40, 120));
    bg.setColorAt(1, QColor(0, 10, 70));
    p.setBrush(bg);
    p.drawEllipse(c, R, R);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(232, 196, 90), 2.4 * k));
    p.drawEllipse(c, R - 1.2 * k, R - 1.2 * k);
    p.setPen(QPen(QColor(232, 196, 90), 0.8 * k));
    p.drawEllipse(c, R - 4.2 * k, R - 4.2 * k);
    p.save();
    QPainterPath clip;
    clip.addEllipse(c, R - 5 * k, R - 5 * k);
    p.setClipPath(clip);
    const QColor wave[3] = {QColor(255, 80, 80), QColor(90, 220, 120), QColor(110, 200, 255)};
    const double period[3] = {23, 28, 33};
    for (int j = 0; j < 3; ++j) {
        QPainterPath w;
        for (int i = 0; i <= 40; ++i) {
            double x = c.x() - R + 2 * R * i / 40.0;
            double y = c.y() - 9.0 * k * std::sin(2 * PI * (x - c.x()) / k * 28 / period[j] / 30.0 + j * 2.1);
            if (i == 0)
                w.moveTo(x, y);
            else
                w.lineTo(x, y);
        }
        p.setPen(QPen(wave[j], 1.5 * k, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(w);
    }
    p.restore();
}

void paintFooter(QPainter &p)
{
    paintCrest(p, QPointF(36, 598), 20);

    // motto
    QFont f = pickFont(QStringLiteral("IPAGothic"), 17);
    QPainterPath t;
    t.addText(0, 0, f, QStringLiteral("身体・感情・知性　三つのリズムで毎日を"));
    QRectF tb = t.boundingRect();
    t.translate(66 - tb.left(), 598 - tb.center().y());
    std::printf("motto    x %.0f..%.0f\n", t.boundingRect().left(), t.boundingRect().right());
    p.fillPath(t.translated(1.2, 1.2), QColor(0, 0, 30, 220));
    p.fillPath(t, QColor(150, 206, 255));

    // banner
    QRectF bn(488, 580, 258, 36);
    QPainterPath bp;
    bp.addRoundedRect(bn, 3, 3);
    dropShadow(p, bp, QPointF(3, 3), 3, QColor(0, 0, 0, 160));
    QLinearGradient bgc(bn.topLeft(), bn.bottomLeft());
    bgc.setColorAt(0, QColor(34, 34, 38));
    bgc.setColorAt(0.5, QColor(6, 6, 8));
    bgc.setColorAt(1, QColor(0, 0, 0));
    p.fillPath(bp, bgc);
    p.setPen(QPen(QColor(150, 150, 160), 1));
    p.drawPath(bp);
    p.setPen(QPen(QColor(110, 30, 30), 1));
    p.drawRect(bn.adjusted(3.5, 3.5, -3.5, -3.5));

    QFont bf = pickFont(QStringLiteral("Nimbus Sans"), 22, true);
    bf.setLetterSpacing(QFont::AbsoluteSpacing, 2.2);
    QPainterPath w;
    w.addText(0, 0, bf, QStringLiteral("BIORHYTHM"));
    QFont vf = pickFont(QStringLiteral("Nimbus Sans"), 17, true);
    QPainterPath v;
    v.addText(0, 0, vf, QStringLiteral("Ver 1.00"));
    QRectF wb = w.boundingRect(), vb = v.boundingRect();
    double gap = 16;
    double x0 = bn.center().x() - (wb.width() + gap + vb.width()) / 2;
    double base = bn.center().y() + wb.height() / 2;
    w.translate(x0 - wb.left(), base);
    v.translate(x0 + wb.width() + gap - vb.left(), base);
    p.fillPath(w, QColor(250, 250, 250));
    p.fillPath(v, QColor(236, 40, 40));
}

void paintLeaves(QPainter &p, Rng &r)
{
    struct L { double x, y, size, angle; int pal, lobes; };
    const L leaves[] = {
        // upper left
        {58, 96, 60, -32, 0, 7},
        {30, 182, 34, -80, 1, 7},
        {120, 40, 30, 38, 3, 7},
        {132, 138, 44, 16, 2, 7},
        {176, 160, 22, 60, 4, 5},
        // upper right
        {670, 124, 56, 28, 3, 7},
        {606, 150, 38, -18, 2, 7},
        {730, 196, 34, 72, 1, 7},
        {638, 76, 24, -44, 0, 5},
        // right edge
        {712, 300, 48, 104, 0, 7},
        {650, 368, 38, 146, 4, 7},
        {730, 410, 28, 58, 1, 5},
        // lower left
        {62, 504, 54, 200, 3, 7},
        {136, 536, 38, 160, 2, 7},
        {114, 468, 26, 230, 1, 5},
        // a fallen leaf resting on the sheet
        {590, 514, 26, 152, 0, 7},
    };
    for (const auto &l : leaves)
        paintLeaf(p, r, QPointF(l.x, l.y), l.size, l.angle, l.pal, l.lobes);
}

// ---------------------------------------------------------------------------
// The installer's side pictures: the left strip of its welcome and finish
// pages, 164 × 314 as NSIS's Modern UI lays them out. Only ground, leaves and
// crest, nothing that needs a font; the page's own text stands beside them.

const QSize kSide(164, 314);
constexpr double kSideReach = 210; // the vignette reaches the corners as in the title

struct PlacedLeaf {
    double x, y, size, angle;
    int pal, lobes;
};

// Leaves drifting down the strip, the larger ones at the top, and the crest
// at the foot.
void paintInstallerSide(QPainter &p, Rng &r)
{
    paintGround(p, kSide, kSideReach);
    const PlacedLeaf leaves[] = {
        {28, 40, 46, -28, 0, 7},  {134, 28, 36, 34, 3, 7},  {94, 98, 30, 62, 2, 7},
        {22, 142, 24, -70, 4, 5}, {138, 160, 32, 110, 1, 7}, {62, 202, 28, 150, 0, 7},
        {128, 232, 20, 200, 2, 5}, {30, 254, 22, 40, 3, 7},
    };
    for (const auto &l : leaves)
        paintLeaf(p, r, QPointF(l.x, l.y), l.size, l.angle, l.pal, l.lobes);
    paintCrest(p, QPointF(82, 286), 17);
}

// The same ground at the season's end: the crest at the top, one last leaf
// falling and the rest lying at the foot.
void paintUninstallerSide(QPainter &p, Rng &r)
{
    paintGround(p, kSide, kSideReach);
    paintCrest(p, QPointF(82, 34), 17);
    const PlacedLeaf leaves[] = {
        {104, 150, 20, 132, 4, 7}, {30, 262, 28, 250, 1, 7},  {84, 284, 32, 196, 0, 7},
        {140, 270, 26, 120, 3, 7}, {58, 300, 22, 80, 2, 5},   {118, 306, 24, 300, 4, 7},
        {10, 306, 20, 170, 3, 7},  {156, 310, 18, 20, 2, 5},
    };
    for (const auto &l : leaves)
        paintLeaf(p, r, QPointF(l.x, l.y), l.size, l.angle, l.pal, l.lobes);
}

bool writeBmp24(const QImage &img, const QString &path)
{
    QImage src = img.convertToFormat(QImage::Format_RGB888);
    const int w = src.width(), h = src.height();
    const int stride = (w * 3 + 3) & ~3;
    const std::uint32_t imageSize = std::uint32_t(stride) * h;
    QByteArray out;
    out.reserve(54 + int(imageSize));
    auto u16 = [&](std::uint16_t v) { out.append(char(v & 0xff)); out.append(char(v >> 8)); };
    auto u32 = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) out.append(char((v >> (8 * i)) & 0xff)); };
    // BITMAPFILEHEADER
    out.append("BM", 2);
    u32(54 + imageSize);
    u16(0);
    u16(0);
    u32(54);
    // BITMAPINFOHEADER
    u32(40);
    u32(std::uint32_t(w));
    u32(std::uint32_t(h)); // positive: rows stored bottom-up
    u16(1);
    u16(24);
    u32(0); // BI_RGB
    u32(imageSize);
    u32(3780); // 96 dpi
    u32(3780);
    u32(0);
    u32(0);
    for (int y = h - 1; y >= 0; --y) {
        const uchar *s = src.constScanLine(y);
        for (int x = 0; x < w; ++x) {
            out.append(char(s[3 * x + 2]));
            out.append(char(s[3 * x + 1]));
            out.append(char(s[3 * x + 0]));
        }
        for (int k = w * 3; k < stride; ++k)
            out.append('\0');
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    return f.write(out) == out.size();
}

// Paints one picture on a canvas of `size`, each with its own fixed seed so
// that it comes out the same whichever others are painted with it.
QImage paintPicture(QSize size, std::uint32_t seed, const std::function<void(QPainter &, Rng &)> &draw)
{
    Rng rng(seed);
    QImage img(size, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    draw(p, rng);
    return img;
}

void paintTitlePicture(QPainter &p, Rng &rng)
{
    paintGround(p, QSize(W, H), 560);
    QPainterPath paper = paperShape(rng);
    paintPaper(p, rng, paper);
    paintPoem(p, rng, paper);
    paintLeaves(p, rng);
    paintTitle(p);
    paintCaption(p);
    paintFooter(p);
}

bool save(const QImage &img, const QString &path)
{
    bool ok = path.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive) ? writeBmp24(img, path)
                                                                       : img.save(path, "PNG");
    if (!ok)
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QCommandLineParser cl;
    cl.setApplicationDescription(QStringLiteral("Paints the title picture and the installer's side pictures."));
    cl.addHelpOption();
    QCommandLineOption installer(QStringLiteral("installer-side"),
                                 QStringLiteral("The installer's welcome and finish picture (164 x 314 BMP)."),
                                 QStringLiteral("file"));
    QCommandLineOption uninstaller(QStringLiteral("uninstaller-side"),
                                   QStringLiteral("The uninstaller's welcome and finish picture (164 x 314 BMP)."),
                                   QStringLiteral("file"));
    cl.addOptions({installer, uninstaller});
    cl.addPositionalArgument(QStringLiteral("title.bmp"), QStringLiteral("The title picture (764 x 629 BMP)."));
    cl.addPositionalArgument(QStringLiteral("title.png"), QStringLiteral("A PNG copy of it."), QStringLiteral("[title.png]"));
    cl.process(app);
    const QStringList titleFiles = cl.positionalArguments();
    if (titleFiles.size() > 2 || (titleFiles.isEmpty() && !cl.isSet(installer) && !cl.isSet(uninstaller))) {
        std::fprintf(stderr, "%s", qPrintable(cl.helpText()));
        return 2;
    }

    if (!titleFiles.isEmpty()) {
        QImage img = paintPicture(QSize(W, H), 0x6d6f6d69u, paintTitlePicture);
        for (const QString &f : titleFiles)
            if (!save(img, f))
                return 1;
    }
    if (cl.isSet(installer) && !save(paintPicture(kSide, 0x6b6f7961u, paintInstallerSide), cl.value(installer)))
        return 1;
    if (cl.isSet(uninstaller) && !save(paintPicture(kSide, 0x6f636869u, paintUninstallerSide), cl.value(uninstaller)))
        return 1;
    return 0;
}
