// The pictures of the splash window and of the custom logo. The program
// shows them from the stored files Temp1.cue and Temp0.cue; the generator
// tools/make_splash_pictures draws them here and writes those files (at
// twice the size they are shown at, so that they stay sharp on scaled
// screens). Any bitmap an operator stores there in their place is shown,
// fitted into its place.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <cstdint>
#include <span>

#include "widgets/ui/image_control.h"

namespace burnmark {

inline constexpr QSize kSplashSize(542, 382);
// The custom logo's place on the title bar (image SLogo).
inline constexpr QSize kCustomLogoSize(140, 44);
inline constexpr qreal kStoredPictureScale = 2.0;

QImage DrawSplashPicture(qreal scale = kStoredPictureScale);
QImage DrawCustomLogo(qreal scale = kStoredPictureScale);

// A Windows bitmap file of the picture: 24 bits per pixel behind the 14-byte
// file header and the 40-byte information header.
QByteArray EncodeBitmap(const QImage& picture);
// Decodes restored bitmap bytes; false when they are no bitmap.
bool DecodeBitmap(std::span<const uint8_t> bitmap, QImage& picture);

// The picture scaled into its control, keeping its proportions and centred,
// for the control's device pixel ratio.
PictureSource FittedPictureSource(QImage picture);

}  // namespace burnmark
