// The fuse-map editor window: the "GAL Edit" sheet with the fuse grid, its
// row addresses and two scroll bars, the key legend, the map's size, the
// focused fuse's coordinates, the jump edit and the SUM, Fill and OK buttons.
// A frameless tool window over the main window, made once and bound to the one
// FuseMap; the Edit step shows it modally. Its state is FuseEditView's.
#pragma once

#include <QDialog>
#include <memory>

#include "fusemap/fuse_edit_view.h"
#include "fusemap/fuse_map.h"
#include "fusemap/fuse_map_editor.h"

class QLabel;
class QLineEdit;
class QScrollBar;
class QTableWidget;

namespace burnmark {

class TPalShowBox;

class Tform2 : public QDialog, public FuseMapEditor {
    Q_OBJECT

public:
    static constexpr int kWidth = 660;
    static constexpr int kHeight = 447;
    // Where the Edit step places it, from the main window's top left corner.
    static constexpr int kLeftFromMain = 96;
    static constexpr int kTopFromMain = 54;

    // map outlives the window; mainWindow is its parent and keeps it on top.
    Tform2(FuseMap& map, QWidget* mainWindow);
    ~Tform2() override;

    // For the map of a newly chosen device: back to its first fuse, ranges
    // and texts for its geometry (or none when it could not be built).
    void Rebind() override;
    // The Edit step: placed over the main window and shown modally until OK
    // (or Escape) hides it; the main window is repainted then.
    void ShowModalOver(QWidget& mainWindow);
    // ShowModalOver the window it was made for.
    void ShowModal() override;

    FuseEditView& View() { return *view_; }
    TPalShowBox* Grid() const { return grid_; }

    // Event handlers of the window's buttons.
    void check_sumClick();
    void GAL_Image6Click();
    void jump_bmpMouseUp();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildLayout();
    // Shows what the view holds.
    void Render();
    void JumpEditChange(const QString& text);

    std::unique_ptr<FuseEditView> view_;
    bool rendering_ = false;

    TPalShowBox* grid_ = nullptr;
    QTableWidget* rowLabels_ = nullptr;
    QScrollBar* hBar_ = nullptr;
    QScrollBar* vBar_ = nullptr;
    QLabel* squareLabel_ = nullptr;
    QLabel* xLabel_ = nullptr;
    QLabel* bigMap1Label_ = nullptr;
    QLabel* bitmap0Label_ = nullptr;
    QLineEdit* jumpEdit_ = nullptr;
    QWidget* jumpButton_ = nullptr;
};

}  // namespace burnmark
