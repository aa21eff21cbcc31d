#include "widgets/ui/lcd_pain_box.h"

#include <QFont>
#include <QPainter>
#include <cmath>

namespace burnmark {

namespace {

const QColor kSheetBackground(145, 138, 142);
const QColor kSheetInk(28, 30, 34);

}  // namespace

TLcdPainBox::TLcdPainBox(QWidget* parent) : QWidget(parent) {
    const LcdPoint size = LcdDisplaySize();
    setFixedSize(size.x, size.y);
    sheet_ = MakeGlyphSheet(2.0);
}

QImage TLcdPainBox::MakeGlyphSheet(qreal dpr) {
    const int w = kLcdCellWidth * kLcdSheetGlyphs;
    const int h = kLcdCellHeight * kLcdSheetGlyphs;
    QImage sheet(qRound(w * dpr), qRound(h * dpr), QImage::Format_RGB32);
    sheet.setDevicePixelRatio(dpr);
    sheet.fill(kSheetBackground);
    QPainter p(&sheet);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont font(QStringLiteral("Liberation Mono"));
    font.setPixelSize(12);
    font.setStyleStrategy(QFont::PreferAntialias);
    p.setFont(font);
    p.setPen(kSheetInk);
    for (int code = 0; code < 256; ++code) {
        if (code < 32 || (code >= 127 && code < 160)) continue;
        const LcdPoint at = LcdGlyphOrigin(static_cast<uint8_t>(code));
        p.drawText(QRectF(at.x, at.y, kLcdCellWidth, kLcdCellHeight), Qt::AlignCenter,
                   QString(QChar(code)));
    }
    return sheet;
}

void TLcdPainBox::SetDataPictur(const QImage& sheet) {
    sheet_ = sheet;
    update();
}

bool TLcdPainBox::SetText(std::span<const uint8_t> block) {
    if (!text_.SetText(block)) return false;
    update();
    return true;
}

QImage TLcdPainBox::DrawAll(qreal dpr) {
    RED = LcdColourComponent(RED);
    GREEN = LcdColourComponent(GREEN);
    BLUE = LcdColourComponent(BLUE);

    // Whole device pixels per sheet pixel, so that the cells stay sharp.
    const qreal sheetDpr = sheet_.isNull() ? 1.0 : sheet_.devicePixelRatio();
    const int scale = std::max(1, static_cast<int>(std::ceil(std::max(dpr, sheetDpr) - 0.01)));
    QImage back(width() * scale, height() * scale, QImage::Format_RGB32);
    back.fill(Qt::white);
    QPainter p(&back);
    p.scale(scale, scale);
    p.setPen(QPen(Qt::black, 1.0 / scale));
    p.setBrush(QColor(RED, GREEN, BLUE));
    p.drawRect(QRectF(0, 0, width() - 1.0 / scale, height() - 1.0 / scale));

    if (!sheet_.isNull() && sheet_.width() > 0) {
        for (int row = 0; row < kLcdRows; ++row) {
            for (int column = 0; column < kLcdColumns; ++column) {
                const LcdPoint glyph = LcdGlyphOrigin(text_.Code(column, row));
                const LcdPoint cell = LcdCellOrigin(column, row);
                const QRectF source(glyph.x * sheetDpr, glyph.y * sheetDpr,
                                    kLcdCellWidth * sheetDpr, kLcdCellHeight * sheetDpr);
                const QRectF target(cell.x, cell.y, kLcdCellWidth, kLcdCellHeight);
                if (text_.IsCursor(column, row)) {
                    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
                } else {
                    p.setCompositionMode(QPainter::CompositionMode_Source);
                }
                p.drawImage(target, sheet_, source);
            }
        }
    }
    p.end();
    back.setDevicePixelRatio(scale);
    return back;
}

void TLcdPainBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(QRectF(rect()), DrawAll(devicePixelRatioF()));
}

}  // namespace burnmark
