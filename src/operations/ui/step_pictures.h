// The Copy page's own pictures, drawn at run time: every state of every step
// and the Pass, Wait and Fail pictures. Each tells its step by its label and
// its state by its colour and a mark, so that no two look alike.
#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

#include "operations/copy_page_model.h"

namespace burnmark {

// Sizes of the pictures in the main window's places.
inline constexpr QSize kOperationStepPictureSize(56, 72);
inline constexpr QSize kSourceStepPictureSize(64, 56);
inline constexpr QSize kStatusPictureSize(100, 56);

// "Erase", "Blank", "Program", "Verify", "Protect", "Read", "Confirm", and for
// the source steps "Type", "Load", "Save", "Edit".
QString StepLabel(CopyStep step);

// The colours of a state: ready neutral, highlight lighter, working amber,
// pass green, fail red, off grey.
struct StepColours {
    QColor fill;
    QColor border;
    QColor text;
};
StepColours StepStateColours(StepImage image);

// One picture of one step. A picture the step does not have (the source steps'
// pass and fail) is drawn all the same, so callers need not check.
// Drawn at the device pixel ratio given, so that they stay sharp on scaled screens.
QImage DrawStepPicture(CopyStep step, StepImage image, QSize size, qreal dpr = 1.0);
QImage DrawStatusPicture(StatusImage image, QSize size, qreal dpr = 1.0);

// The same as pixmaps, drawn once per step, state, size and pixel ratio.
QPixmap StepPicture(CopyStep step, StepImage image, QSize size, qreal dpr = 1.0);
QPixmap StatusPicture(StatusImage image, QSize size = kStatusPictureSize, qreal dpr = 1.0);

}  // namespace burnmark
