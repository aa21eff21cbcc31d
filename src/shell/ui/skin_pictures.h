// The main window's own pictures: the faces of the picture buttons in their
// three looks, the page backgrounds and the window's background. All are drawn
// here with QPainter at the device pixel ratio they are shown at, and kept once
// drawn. The window's background is a JPEG made by a small generator from
// DrawMainBackdrop; it is decoded through Qt's image reader and drawn here
// instead when no JPEG reader is present.
#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

#include "widgets/ui/image_control.h"

namespace burnmark {

// The three pictures of a stack: the top one, the highlight below it (lighter,
// with a ring) and the pressed one at the bottom (darker, one pixel lower and
// to the right).
enum class SkinLook { Normal, Highlight, Pressed };

// The colours of a face: dark glass on the window's bar, red Stop, green Run,
// and light plates on the pages.
enum class SkinTone { Glass, Stop, Run, Plate };

enum class SkinGlyph {
    None,
    Parameters,
    About,
    Exit,
    Stop,
    Run,
    Repeat,
    Sum,
    Block,
    Fill,
    Find,
    FindNext,
    Ok,
    Cancel,
    Chip,
    Load,
    Erase,
    Blank,
    Program,
    Verify,
    BugList,
    Security,
};

struct ButtonFace {
    SkinGlyph glyph = SkinGlyph::None;
    QString label;  // drawn under the glyph; empty for buttons with a caption of their own
    SkinTone tone = SkinTone::Plate;
};

QImage DrawButtonPicture(const ButtonFace& face, SkinLook look, QSize size, qreal dpr = 1.0);
QPixmap ButtonPicture(const ButtonFace& face, SkinLook look, QSize size, qreal dpr);
PictureSource ButtonPictureSource(ButtonFace face, SkinLook look);

// The page backgrounds.
enum class SkinPage { Copy, Edit, Create, Utility, Project };
QImage DrawPageBackground(SkinPage page, QSize size, qreal dpr = 1.0);
PictureSource PageBackgroundSource(SkinPage page);

// The window's background without its caption, in pixels (twice the window's
// size, so that it stays sharp on scaled screens).
inline constexpr QSize kMainBackdropPixels(1104, 880);
QImage DrawMainBackdrop(QSize pixels = kMainBackdropPixels);
// The resource the generator's JPEG is kept as.
inline constexpr const char* kMainBackdropResource = ":/burnmark/main_background.jpg";
// The background as the program shows it: the JPEG through Qt's image reader,
// or drawn when it cannot be read (no JPEG reader present). Read once.
QImage MainBackdrop();
QImage ReadMainBackdrop(const QString& resource);
// The background with the product caption drawn over it (left out while the
// custom logo shows).
PictureSource MainBackgroundSource(std::function<bool()> showCaption);

}  // namespace burnmark
