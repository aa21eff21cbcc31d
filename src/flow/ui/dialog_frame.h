// What the five buffer dialogs share as windows: the dialog font, a title bar
// without buttons (they are left through OK or Cancel; Esc counts as
// Cancel), placement over the main window, and small builders for their
// rows of labels and buttons.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace burnmark {

// Sets the dialog's caption, font ("Times New Roman" 12 pixels, Liberation
// Serif where it is missing), flags and modality.
void SetUpBufferDialog(QDialog& dialog, const QString& caption, bool stayOnTop);

// A push button with its object name, text and tool tip.
QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& text,
                        const QString& hint);
QLabel* MakeLabel(QWidget* parent, const QString& text);

// Fixes the window to its layout's size, at least the given client size.
void FixDialogSize(QDialog& dialog, int width, int height);

}  // namespace burnmark
