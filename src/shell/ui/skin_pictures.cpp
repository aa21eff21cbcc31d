#include "shell/ui/skin_pictures.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>

#include "shell/start_up.h"

namespace burnmark {

namespace {

struct FaceColours {
    QColor top, bottom, border, ink, ring;
};

FaceColours ColoursOf(SkinTone tone, SkinLook look) {
    switch (tone) {
        case SkinTone::Glass:
            switch (look) {
                case SkinLook::Normal:
                    return {"#3b4b66", "#263148", "#6a7fa3", "#eef3fb", {}};
                case SkinLook::Highlight:
                    return {"#5a6f96", "#3c4c6c", "#a8ccff", "#ffffff", "#7cc0ff"};
                case SkinLook::Pressed:
                    return {"#1b2233", "#263149", "#53678a", "#c3cde0", {}};
            }
            break;
        case SkinTone::Stop:
            switch (look) {
                case SkinLook::Normal:
                    return {"#e2544b", "#b0302a", "#7a1c16", "#ffffff", {}};
                case SkinLook::Highlight:
                    return {"#f3776e", "#cc463d", "#ffd6d2", "#ffffff", "#ffb4ad"};
                case SkinLook::Pressed:
                    return {"#9a2621", "#b9352e", "#6a1712", "#f1d4d2", {}};
            }
            break;
        case SkinTone::Run:
            switch (look) {
                case SkinLook::Normal:
                    return {"#4dbd67", "#2c8b44", "#1b5c2b", "#ffffff", {}};
                case SkinLook::Highlight:
                    return {"#73d38a", "#3da759", "#d6ffe0", "#ffffff", "#a9f0bb"};
                case SkinLook::Pressed:
                    return {"#24763a", "#33994e", "#154a22", "#d3eed9", {}};
            }
            break;
        case SkinTone::Plate:
            switch (look) {
                case SkinLook::Normal:
                    return {"#f8fafd", "#dbe3ee", "#7b8aa1", "#26354c", {}};
                case SkinLook::Highlight:
                    return {"#ffffff", "#eaf2fc", "#3b8cf0", "#143a6b", "#3b8cf0"};
                case SkinLook::Pressed:
                    return {"#c5cfdd", "#d9e0ea", "#627189", "#1a273a", {}};
            }
            break;
    }
    return {"#808080", "#606060", "#404040", "#ffffff", {}};
}

QImage BlankImage(QSize size, qreal dpr) {
    QImage image(
        QSize(std::max(1, qRound(size.width() * dpr)), std::max(1, qRound(size.height() * dpr))),
        QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    return image;
}

void Prepare(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

// The largest bold Liberation Sans, from startPixels down, whose text fits.
QFont FittedFont(const QString& text, qreal maxWidth, int startPixels, bool bold = true) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setBold(bold);
    for (int pixels = startPixels; pixels > 6; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetricsF(font).horizontalAdvance(text) <= maxWidth) break;
    }
    return font;
}

QPointF At(const QRectF& b, qreal x, qreal y) {
    return {b.left() + b.width() * x, b.top() + b.height() * y};
}

void DrawGlyph(QPainter& p, SkinGlyph glyph, const QRectF& b, const QColor& ink) {
    const qreal w = b.width();
    QPen pen(ink, std::max(1.2, w * 0.11), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.save();
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    auto line = [&](qreal x1, qreal y1, qreal x2, qreal y2) {
        p.drawLine(At(b, x1, y1), At(b, x2, y2));
    };
    auto disc = [&](qreal x, qreal y, qreal r) {
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawEllipse(At(b, x, y), w * r, w * r);
        p.restore();
    };
    auto arrowHead = [&](QPointF tip, qreal angleDegrees, qreal length) {
        const qreal a = qDegreesToRadians(angleDegrees);
        QPainterPath head;
        head.moveTo(tip);
        head.lineTo(tip - QPointF(std::cos(a - 0.5), std::sin(a - 0.5)) * length);
        head.lineTo(tip - QPointF(std::cos(a + 0.5), std::sin(a + 0.5)) * length);
        head.closeSubpath();
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPath(head);
        p.restore();
    };
    switch (glyph) {
        case SkinGlyph::None:
            break;
        case SkinGlyph::Parameters:
            line(0.06, 0.22, 0.94, 0.22);
            line(0.06, 0.5, 0.94, 0.5);
            line(0.06, 0.78, 0.94, 0.78);
            disc(0.32, 0.22, 0.12);
            disc(0.7, 0.5, 0.12);
            disc(0.46, 0.78, 0.12);
            break;
        case SkinGlyph::About:
            p.drawEllipse(At(b, 0.5, 0.5), w * 0.42, w * 0.42);
            disc(0.5, 0.3, 0.075);
            line(0.5, 0.46, 0.5, 0.74);
            break;
        case SkinGlyph::Exit: {
            const QRectF ring(At(b, 0.12, 0.14), QSizeF(w * 0.76, w * 0.76));
            p.drawArc(ring, 120 * 16, 300 * 16);
            line(0.5, 0.06, 0.5, 0.46);
            break;
        }
        case SkinGlyph::Stop:
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawRoundedRect(QRectF(At(b, 0.2, 0.2), QSizeF(w * 0.6, w * 0.6)), w * 0.08,
                              w * 0.08);
            break;
        case SkinGlyph::Run: {
            QPainterPath t;
            t.moveTo(At(b, 0.26, 0.16));
            t.lineTo(At(b, 0.84, 0.5));
            t.lineTo(At(b, 0.26, 0.84));
            t.closeSubpath();
            p.setPen(QPen(ink, w * 0.06, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(ink);
            p.drawPath(t);
            break;
        }
        case SkinGlyph::Repeat: {
            const QRectF ring(At(b, 0.14, 0.14), QSizeF(w * 0.72, w * 0.72));
            p.drawArc(ring, 90 * 16, 280 * 16);
            arrowHead(At(b, 0.62, 0.15), 0, w * 0.26);
            break;
        }
        case SkinGlyph::Sum:
            p.drawPolyline(
                QPolygonF({At(b, 0.8, 0.22), At(b, 0.8, 0.12), At(b, 0.22, 0.12), At(b, 0.55, 0.5),
                           At(b, 0.22, 0.88), At(b, 0.8, 0.88), At(b, 0.8, 0.78)}));
            break;
        case SkinGlyph::Block: {
            p.drawRoundedRect(QRectF(At(b, 0.1, 0.1), QSizeF(w * 0.5, w * 0.5)), w * 0.06,
                              w * 0.06);
            QColor fill = ink;
            fill.setAlphaF(0.35);
            p.setBrush(fill);
            p.drawRoundedRect(QRectF(At(b, 0.4, 0.4), QSizeF(w * 0.5, w * 0.5)), w * 0.06,
                              w * 0.06);
            break;
        }
        case SkinGlyph::Fill:
            p.drawRoundedRect(QRectF(At(b, 0.14, 0.1), QSizeF(w * 0.72, w * 0.8)), w * 0.06,
                              w * 0.06);
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            for (int i = 0; i < 3; ++i)
                p.drawRect(QRectF(At(b, 0.26, 0.42 + i * 0.15), QSizeF(w * 0.48, w * 0.09)));
            break;
        case SkinGlyph::Find:
            p.drawEllipse(At(b, 0.42, 0.42), w * 0.26, w * 0.26);
            line(0.62, 0.62, 0.88, 0.88);
            break;
        case SkinGlyph::FindNext:
            p.drawEllipse(At(b, 0.36, 0.4), w * 0.22, w * 0.22);
            line(0.52, 0.56, 0.68, 0.72);
            line(0.62, 0.2, 0.9, 0.2);
            arrowHead(At(b, 0.96, 0.2), 0, w * 0.2);
            break;
        case SkinGlyph::Ok:
            p.drawPolyline(QPolygonF({At(b, 0.16, 0.54), At(b, 0.4, 0.78), At(b, 0.86, 0.24)}));
            break;
        case SkinGlyph::Cancel:
            line(0.2, 0.2, 0.8, 0.8);
            line(0.8, 0.2, 0.2, 0.8);
            break;
        case SkinGlyph::Chip: {
            p.save();
            p.setPen(QPen(ink, std::max(1.0, w * 0.07), Qt::SolidLine, Qt::FlatCap));
            for (int i = 0; i < 4; ++i) {
                const qreal y = 0.24 + i * 0.175;
                line(0.06, y, 0.24, y);
                line(0.76, y, 0.94, y);
            }
            p.restore();
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawRoundedRect(QRectF(At(b, 0.24, 0.1), QSizeF(w * 0.52, w * 0.8)), w * 0.05,
                              w * 0.05);
            break;
        }
        case SkinGlyph::Load:
            p.drawPolyline(QPolygonF(
                {At(b, 0.12, 0.6), At(b, 0.12, 0.86), At(b, 0.88, 0.86), At(b, 0.88, 0.6)}));
            line(0.5, 0.08, 0.5, 0.5);
            arrowHead(At(b, 0.5, 0.7), 90, w * 0.3);
            break;
        case SkinGlyph::Erase: {
            p.save();
            p.translate(At(b, 0.5, 0.46));
            p.rotate(-40);
            const QRectF body(-w * 0.34, -w * 0.16, w * 0.68, w * 0.32);
            p.drawRoundedRect(body, w * 0.05, w * 0.05);
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawRoundedRect(QRectF(body.left(), body.top(), body.width() * 0.42, body.height()),
                              w * 0.05, w * 0.05);
            p.restore();
            line(0.14, 0.88, 0.86, 0.88);
            break;
        }
        case SkinGlyph::Blank: {
            QPen dashed = pen;
            dashed.setWidthF(std::max(1.0, w * 0.08));
            dashed.setDashPattern({1.6, 1.6});
            p.setPen(dashed);
            p.drawRect(QRectF(At(b, 0.14, 0.14), QSizeF(w * 0.72, w * 0.72)));
            break;
        }
        case SkinGlyph::Program: {
            QPainterPath bolt;
            bolt.moveTo(At(b, 0.6, 0.04));
            bolt.lineTo(At(b, 0.22, 0.56));
            bolt.lineTo(At(b, 0.48, 0.56));
            bolt.lineTo(At(b, 0.38, 0.96));
            bolt.lineTo(At(b, 0.8, 0.4));
            bolt.lineTo(At(b, 0.54, 0.4));
            bolt.closeSubpath();
            p.setPen(QPen(ink, w * 0.04, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(ink);
            p.drawPath(bolt);
            break;
        }
        case SkinGlyph::Verify:
            p.drawEllipse(At(b, 0.5, 0.5), w * 0.42, w * 0.42);
            p.drawPolyline(QPolygonF({At(b, 0.3, 0.52), At(b, 0.45, 0.67), At(b, 0.72, 0.36)}));
            break;
        case SkinGlyph::BugList:
            for (int i = 0; i < 3; ++i) {
                const qreal y = 0.22 + i * 0.28;
                disc(0.16, y, 0.07);
                line(0.34, y, 0.9, y);
            }
            break;
        case SkinGlyph::Security: {
            const QRectF shackle(At(b, 0.28, 0.06), QSizeF(w * 0.44, w * 0.5));
            p.drawArc(shackle, 0, 180 * 16);
            line(0.28, 0.31, 0.28, 0.46);
            line(0.72, 0.31, 0.72, 0.46);
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawRoundedRect(QRectF(At(b, 0.14, 0.44), QSizeF(w * 0.72, w * 0.5)), w * 0.07,
                              w * 0.07);
            break;
        }
    }
    p.restore();
}

// Drawn once per face, look, size and pixel ratio.
QPixmap Cached(const QString& key, const std::function<QImage()>& draw) {
    static QHash<QString, QPixmap> cache;
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.insert(key, QPixmap::fromImage(draw()));
    return it.value();
}

QString SizeKey(QSize size, qreal dpr) {
    return QStringLiteral("%1x%2@%3").arg(size.width()).arg(size.height()).arg(dpr);
}

// A light rounded panel: the pages lie on the dark window as cards.
void DrawCard(QPainter& p, const QRectF& r, qreal radius, QColor top, QColor bottom,
              QColor border) {
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    p.setPen(QPen(border, 1));
    p.setBrush(fill);
    p.drawRoundedRect(r, radius, radius);
}

void DrawBand(QPainter& p, const QRectF& r) {
    DrawCard(p, r, 6, QColor("#f7f9fc"), QColor("#eef2f8"), QColor("#c6d0de"));
}

void DrawCaption(QPainter& p, QPointF at, const QString& text, QColor colour = QColor("#5b6b84")) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(10);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QRectF(at, QSizeF(200, 13)), Qt::AlignLeft | Qt::AlignVCenter, text.toUpper());
}

void DrawPageBase(QPainter& p, QSize size) {
    DrawCard(p, QRectF(0.5, 0.5, size.width() - 1.0, size.height() - 1.0), 8, QColor("#edf1f7"),
             QColor("#dfe6f0"), QColor("#8596b0"));
}

// The socket of the programmer, drawn in the empty corner of the Copy page.
void DrawSocket(QPainter& p, const QRectF& r) {
    DrawCard(p, r, 5, QColor("#3a475c"), QColor("#2a3445"), QColor("#1d2532"));
    const int pins = 12;
    const qreal pitch = (r.height() - 16) / (pins - 1);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < pins; ++i) {
        const qreal y = r.top() + 8 + i * pitch;
        for (qreal x : {r.left() + 12, r.right() - 12}) {
            p.setBrush(QColor("#c9a54a"));
            p.drawEllipse(QPointF(x, y), 2.2, 2.2);
            p.setBrush(QColor("#151b25"));
            p.drawEllipse(QPointF(x, y), 1.0, 1.0);
        }
    }
    // The chip in the socket, with its notch.
    const QRectF chip = r.adjusted(22, 6, -22, -6);
    DrawCard(p, chip, 2, QColor("#202733"), QColor("#151a22"), QColor("#0c0f14"));
    p.setBrush(QColor("#2d3644"));
    p.drawEllipse(QPointF(chip.center().x(), chip.top()), 4, 4);
    QFont font(QStringLiteral("Liberation Mono"));
    font.setPixelSize(8);
    p.setFont(font);
    p.setPen(QColor("#8d99ab"));
    p.save();
    p.translate(chip.center());
    p.rotate(-90);
    p.drawText(QRectF(-chip.height() / 2, -6, chip.height(), 12), Qt::AlignCenter,
               QStringLiteral("48-PIN"));
    p.restore();
}

// Deterministic numbers for the backdrop's traces.
struct Lcg {
    uint32_t state;
    uint32_t Next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    qreal Unit() { return (Next() & 0xFFFF) / 65535.0; }
};

// The product's mark on the title bar.
void DrawProgrammerMark(QPainter& p) {
    QRadialGradient glow(QPointF(26, 22), 17);
    glow.setColorAt(0, QColor("#4f8fe8"));
    glow.setColorAt(1, QColor("#2a5bb0"));
    p.setPen(QPen(QColor("#8fbaf5"), 1));
    p.setBrush(glow);
    p.drawEllipse(QPointF(26, 24), 16, 16);
    DrawGlyph(p, SkinGlyph::Chip, QRectF(15, 13, 22, 22), QColor("#f4f8ff"));
    QFont name(QStringLiteral("Liberation Sans"));
    name.setPixelSize(20);
    name.setBold(true);
    p.setFont(name);
    p.setPen(QColor("#f2f6fc"));
    p.drawText(QRectF(50, 5, 220, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromLatin1(kProductCaption));
    QFont line(QStringLiteral("Liberation Sans"));
    line.setPixelSize(10);
    p.setFont(line);
    p.setPen(QColor("#9fb3d1"));
    p.drawText(QRectF(51, 28, 260, 14), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("USB universal device programmer"));
}

}  // namespace

QImage DrawButtonPicture(const ButtonFace& face, SkinLook look, QSize size, qreal dpr) {
    QImage out = BlankImage(size, dpr);
    QPainter p(&out);
    Prepare(p);
    const FaceColours c = ColoursOf(face.tone, look);
    const bool pressed = look == SkinLook::Pressed;
    // The pressed look sits one pixel lower and to the right.
    QRectF r(1, 1, size.width() - 2.0, size.height() - 2.0);
    if (pressed) r.adjust(1, 1, 0, 0);
    const qreal radius = std::min(r.width(), r.height()) * 0.2;

    // A soft shadow under a raised face; a pressed face has none.
    if (!pressed) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, face.tone == SkinTone::Plate ? 28 : 60));
        p.drawRoundedRect(r.translated(0, 1), radius, radius);
    }
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0, c.top);
    fill.setColorAt(1, c.bottom);
    p.setPen(QPen(c.border, 1));
    p.setBrush(fill);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);

    if (!pressed) {
        // A gloss over the upper half.
        QLinearGradient gloss(r.topLeft(), QPointF(r.left(), r.center().y()));
        gloss.setColorAt(0, QColor(255, 255, 255, face.tone == SkinTone::Plate ? 150 : 70));
        gloss.setColorAt(1, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(gloss);
        p.drawRoundedRect(r.adjusted(1.5, 1.5, -1.5, -r.height() / 2), radius * 0.8, radius * 0.8);
    }
    if (look == SkinLook::Highlight) {
        p.setPen(QPen(c.ring, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(1, 1, -1, -1), radius * 0.9, radius * 0.9);
    }

    const QRectF inner = r.adjusted(3, 3, -3, -3);
    if (face.label.isEmpty()) {
        const qreal g = std::min(inner.width(), inner.height()) * 0.78;
        DrawGlyph(p, face.glyph, QRectF(inner.center() - QPointF(g / 2, g / 2), QSizeF(g, g)),
                  c.ink);
    } else {
        const qreal labelHeight = std::max(11.0, inner.height() * 0.3);
        const QRectF labelArea(inner.left(), inner.bottom() - labelHeight, inner.width(),
                               labelHeight);
        if (face.glyph != SkinGlyph::None) {
            const qreal room = inner.height() - labelHeight - 2;
            const qreal g = std::min(inner.width() * 0.62, room * 0.9);
            const QPointF centre(inner.center().x(), inner.top() + room / 2 + 1);
            DrawGlyph(p, face.glyph, QRectF(centre - QPointF(g / 2, g / 2), QSizeF(g, g)), c.ink);
        }
        p.setPen(c.ink);
        p.setFont(FittedFont(face.label, labelArea.width(),
                             static_cast<int>(std::min(13.0, labelHeight - 1))));
        p.drawText(
            labelArea,
            face.glyph == SkinGlyph::None ? Qt::AlignCenter : Qt::AlignHCenter | Qt::AlignTop,
            face.label);
    }
    return out;
}

QPixmap ButtonPicture(const ButtonFace& face, SkinLook look, QSize size, qreal dpr) {
    const QString key = QStringLiteral("button/%1/%2/%3/%4/")
                            .arg(static_cast<int>(face.glyph))
                            .arg(face.label)
                            .arg(static_cast<int>(face.tone))
                            .arg(static_cast<int>(look)) +
                        SizeKey(size, dpr);
    return Cached(key, [&] { return DrawButtonPicture(face, look, size, dpr); });
}

PictureSource ButtonPictureSource(ButtonFace face, SkinLook look) {
    return [face = std::move(face), look](QSize size, qreal dpr) {
        return ButtonPicture(face, look, size, dpr);
    };
}

QImage DrawPageBackground(SkinPage page, QSize size, qreal dpr) {
    QImage out = BlankImage(size, dpr);
    QPainter p(&out);
    Prepare(p);
    DrawPageBase(p, size);
    switch (page) {
        case SkinPage::Copy:
            // Places in the Copy page's own coordinates (the panel lies at 8, 53).
            DrawCard(p, QRectF(3.5, 3.5, 74, 258), 6, QColor("#e4eaf3"), QColor("#d8e0eb"),
                     QColor("#bac6d7"));
            DrawSocket(p, QRectF(104.5, 10.5, 92, 82));
            DrawCaption(p, {232, 5}, QStringLiteral("Data file"));
            DrawCaption(p, {400, 47}, QStringLiteral("Device"));
            DrawCaption(p, {88, 99}, QStringLiteral("Operations"));
            DrawBand(p, QRectF(80.5, 112.5, 452, 100));
            DrawCaption(p, {180, 219}, QStringLiteral("Checksum"));
            DrawCaption(p, {84, 237}, QStringLiteral("Step progress"));
            DrawCaption(p, {56, 264}, QStringLiteral("Automatic run"));
            DrawBand(p, QRectF(48.5, 278.5, 484, 93));
            DrawCaption(p, {56, 322}, QStringLiteral("Banks"));
            break;
        case SkinPage::Edit: {
            DrawBand(p, QRectF(3.5, 321.5, 530, 53));
            // What shows where the two plates of the command row hide on hover.
            const ButtonFace ok{SkinGlyph::Chip, {}, SkinTone::Plate};
            const ButtonFace hex{SkinGlyph::BugList, {}, SkinTone::Plate};
            p.drawImage(QRectF(292, 330, 24, 24),
                        DrawButtonPicture(ok, SkinLook::Highlight, QSize(24, 24), dpr));
            p.drawImage(QRectF(322, 330, 24, 24),
                        DrawButtonPicture(hex, SkinLook::Highlight, QSize(24, 24), dpr));
            break;
        }
        case SkinPage::Create:
            DrawCaption(p, {16, 14}, QStringLiteral("Create"));
            DrawBand(p, QRectF(6.5, 32.5, size.width() - 13.0, 96));
            break;
        case SkinPage::Utility:
            DrawCaption(p, {16, 14}, QStringLiteral("Utility"));
            DrawBand(p, QRectF(6.5, 32.5, size.width() - 13.0, 116));
            DrawCaption(p, {16, 178}, QStringLiteral("Once"));
            DrawCaption(p, {232, 178}, QStringLiteral("Until Stop"));
            DrawBand(p, QRectF(6.5, 192.5, 208, 76));
            DrawBand(p, QRectF(222.5, 192.5, 208, 76));
            break;
        case SkinPage::Project:
            DrawCaption(p, {16, 14}, QStringLiteral("Projects"));
            break;
    }
    return out;
}

PictureSource PageBackgroundSource(SkinPage page) {
    return [page](QSize size, qreal dpr) {
        return Cached(QStringLiteral("page/%1/").arg(static_cast<int>(page)) + SizeKey(size, dpr),
                      [&] { return DrawPageBackground(page, size, dpr); });
    };
}

QImage DrawMainBackdrop(QSize pixels) {
    QImage out(pixels, QImage::Format_RGB32);
    QPainter p(&out);
    Prepare(p);
    // Drawn in the window's coordinates, whatever the size in pixels.
    const qreal sx = pixels.width() / 552.0;
    const qreal sy = pixels.height() / 440.0;
    p.scale(sx, sy);
    const QRectF all(0, 0, 552, 440);

    QLinearGradient base(all.topLeft(), all.bottomLeft());
    base.setColorAt(0, QColor("#1f2c42"));
    base.setColorAt(1, QColor("#101826"));
    p.fillRect(all, base);

    // Faint traces of a circuit board.
    Lcg random{0x5EED1234u};
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 70; ++i) {
        QPointF at(random.Unit() * 552, 50 + random.Unit() * 390);
        QPolygonF trace({at});
        for (int leg = 0; leg < 3; ++leg) {
            const qreal length = 20 + random.Unit() * 70;
            const int direction = static_cast<int>(random.Next() % 4);
            const QPointF steps[] = {{1, 0}, {0, 1}, {0.7071, 0.7071}, {0.7071, -0.7071}};
            at += steps[direction] * length;
            trace << at;
        }
        p.setPen(QPen(QColor(120, 160, 220, 16), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(trace);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(130, 170, 230, 22));
        p.drawEllipse(trace.front(), 2.0, 2.0);
        p.drawEllipse(trace.back(), 2.0, 2.0);
        p.setBrush(Qt::NoBrush);
    }

    // The title bar.
    QLinearGradient bar(QPointF(0, 0), QPointF(0, 50));
    bar.setColorAt(0, QColor("#2c3d5a"));
    bar.setColorAt(1, QColor("#1c283c"));
    p.fillRect(QRectF(0, 0, 552, 50), bar);
    p.fillRect(QRectF(0, 49, 552, 1), QColor("#0b111b"));
    p.fillRect(QRectF(0, 50, 552, 1), QColor("#3a4f70"));
    QLinearGradient sheen(QPointF(0, 0), QPointF(0, 22));
    sheen.setColorAt(0, QColor(255, 255, 255, 26));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRectF(0, 0, 552, 22), sheen);

    // Darker corners.
    QRadialGradient vignette(QPointF(276, 240), 380);
    vignette.setColorAt(0.55, QColor(0, 0, 0, 0));
    vignette.setColorAt(1, QColor(0, 0, 0, 90));
    p.fillRect(all, vignette);

    // The window's edge.
    p.setPen(QPen(QColor("#070b12"), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, 551, 439));
    p.setPen(QPen(QColor(255, 255, 255, 24), 1));
    p.drawRect(QRectF(1.5, 1.5, 549, 437));
    return out;
}

QImage ReadMainBackdrop(const QString& resource) {
    QImageReader reader(resource);
    const QImage image = reader.read();
    if (image.isNull()) return DrawMainBackdrop();
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage MainBackdrop() {
    static const QImage backdrop = ReadMainBackdrop(QString::fromLatin1(kMainBackdropResource));
    return backdrop;
}

PictureSource MainBackgroundSource(std::function<bool()> showCaption) {
    return [showCaption = std::move(showCaption)](QSize size, qreal dpr) {
        const bool caption = !showCaption || showCaption();
        return Cached(QStringLiteral("main/%1/").arg(caption) + SizeKey(size, dpr), [&] {
            QImage out = BlankImage(size, dpr);
            QPainter p(&out);
            Prepare(p);
            p.drawImage(QRectF(0, 0, size.width(), size.height()), MainBackdrop());
            if (caption) {
                // The product's name where a custom logo would show.
                DrawProgrammerMark(p);
            }
            return out;
        });
    };
}

}  // namespace burnmark
