// TLcdPainBox: a character display of 20 x 4 cells, each drawn from a glyph
// sheet of 16 x 16 glyphs of 9 x 13 pixels; the cursor's cell is drawn
// inverted against the background. No window of the program places one.
#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <span>

#include "widgets/lcd_cells.h"

namespace burnmark {

class TLcdPainBox : public QWidget {
    Q_OBJECT

public:
    explicit TLcdPainBox(QWidget* parent = nullptr);

    // The background colour's components; each is brought into 0..255 when drawn.
    int32_t RED = 145;
    int32_t GREEN = 138;
    int32_t BLUE = 142;

    // Copies a glyph sheet in (16 x 16 glyphs of 9 x 13 pixels at its device
    // pixel ratio); a null sheet draws no glyphs.
    void SetDataPictur(const QImage& sheet);
    const QImage& Picture_Data() const { return sheet_; }

    // The cell codes in row order, then the cursor's cell index. A block
    // shorter than that is ignored. True when taken.
    bool SetText(std::span<const uint8_t> block);
    const LcdText& Text() const { return text_; }

    // The whole display as it is drawn, at a device pixel ratio.
    QImage DrawAll(qreal dpr = 1.0);

    // A glyph sheet of our own from Liberation Mono: dark characters on the
    // display's background, codes 32 to 126 and 160 to 255.
    static QImage MakeGlyphSheet(qreal dpr = 1.0);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage sheet_;
    LcdText text_;
};

}  // namespace burnmark
