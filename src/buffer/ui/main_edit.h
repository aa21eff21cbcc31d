// The buffer editor: the "8 Bits", "16 Bits" and "Buffer Information" pages
// over the data buffer, with the address, hex and character grids of 16 rows,
// the scroll bars and the popup menu. The view state lives in EditorView; this
// window draws it, hands it the operator's keys, clicks and scrolling, and
// redraws when the view or the buffer changes.
//
// It is a child widget of the main window's Edit area, which places it.
#pragma once

#include <QWidget>
#include <functional>
#include <span>

#include "buffer/data_buffer.h"
#include "buffer/editor_view.h"
#include "platform/ports.h"

class QAction;
class QLabel;
class QMenu;
class QScrollBar;
class QTabWidget;

namespace burnmark {

class EditorGridWidget;

// The popup menu items whose work lies outside the editor: the load and save
// flows, the buffer dialogs and the search. An empty hook does nothing.
struct MainEditHooks {
    std::function<void()> LoadFile;    // "Load"
    std::function<void()> SaveFile;    // "Save"
    std::function<void()> GetSum;      // "Sum"
    std::function<void()> FillData;    // "Fill"
    std::function<void()> Block;       // "Block"
    std::function<void()> Search;      // "Search"
    std::function<void()> SearchNext;  // "Search Next"
};

class TMainEdit : public QWidget {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 526;
    static constexpr int kClientHeight = 305;

    // The buffer and the ports outlive the editor.
    TMainEdit(DataBuffer& buffer, Messages& messages, QWidget* parent = nullptr);
    ~TMainEdit() override;

    EditorView& View() { return view_; }
    DataBuffer& Buffer() { return buffer_; }
    void SetHooks(MainEditHooks hooks) { hooks_ = std::move(hooks); }

    EditorPage ActivePage() const;
    // Makes a page active (the Edit step picks the page by the data width).
    void SetActivePage(EditorPage page);

    // Redraws both pages from the buffer.
    void RefreshGrids();
    // Shows 256 bytes of the caller's memory with addresses from 0 until the
    // next redraw (a read's first block).
    void ShowMemoryBlock(std::span<const uint8_t> block);
    // Repaints every page (the main window shows the Edit area).
    void PaintDC();

    // One wheel event over the main window: when `hover` is one of the grids
    // or scroll bars of the page shown, the view scrolls. True when it did.
    bool RouteWheel(QObject* hover, int delta);

    QMenu* PopupMenu() const { return popupMenu_; }
    void OpenPopupMenu(QPoint globalPosition);

    // The popup menu's items; the main window's Edit-area commands run the same.
    void LoadFileClick();
    void SaveFileClick();
    void GetSumClick();
    void FillDataClick();
    void BlockClick();
    void SearchClick();
    void SearchNextClick();
    void EvenClick();
    void OddClick();
    void SwapByteClick();

    // The page control's change: the information page reads its texts anew,
    // a data page is redrawn.
    void MainEditPageChange();

protected:
    // FormActivate: the data mode goes to "CommonDataSelect" as the editor comes up.
    void showEvent(QShowEvent* event) override;
    // Disabled (the program is busy): nothing can be written.
    void changeEvent(QEvent* event) override;
    // FormCloseQuery and FormClose.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct DataSheet {
        QWidget* sheet = nullptr;
        EditorGridWidget* address = nullptr;
        EditorGridWidget* hex = nullptr;
        EditorGridWidget* chars = nullptr;
        QScrollBar* bar = nullptr;
    };

    void BuildDataSheet(DataSheet& sheet, EditorPage page, const char* sheetName,
                        const char* addressName, const char* hexName, const char* charsName,
                        const char* barName);
    void BuildInformationSheet();
    void BuildPopupMenu();
    QAction* AddItem(QMenu* menu, const char* name, const char* caption,
                     void (TMainEdit::*click)());
    void ViewChanged(bool bufferChanged);
    void SyncScrollBars();
    void ShowInformation();
    static void Run(const std::function<void()>& hook);

    DataBuffer& buffer_;
    Messages& messages_;
    EditorView view_;
    MainEditHooks hooks_;

    QTabWidget* mainEditPage_ = nullptr;
    DataSheet sheets_[2];
    QWidget* bufInfSheet_ = nullptr;
    QLabel* lastLoadFileNameLabel_ = nullptr;
    QLabel* startAddLabel_ = nullptr;
    QLabel* endAddressLabel_ = nullptr;
    QLabel* fileFormatLabel_ = nullptr;
    QLabel* bufSizeLabel_ = nullptr;
    QLabel* checkSumLabel_ = nullptr;
    QLabel* sumSaddLabel_ = nullptr;
    QWidget* panel1_ = nullptr;
    QMenu* popupMenu_ = nullptr;
};

}  // namespace burnmark
