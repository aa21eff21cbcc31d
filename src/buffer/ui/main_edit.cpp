#include "buffer/ui/main_edit.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QShowEvent>
#include <QTabWidget>
#include <QTextLayout>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <cmath>

#include "buffer/ui/editor_grid.h"

namespace burnmark {

namespace {

// Sheet layout: the address, hex and character grids side by side under a
// small margin, the scroll bar beside the characters along the 16 data rows.
constexpr int kTop = 4;
constexpr int kAddressX = 6, kAddressWidth = 58;
constexpr int kHexX = 68, kHexWidth = 288;
constexpr int kCharsX = 360, kCharsWidth = 144;
constexpr int kBarX = 507, kBarWidth = 14;

const QColor kSheet(0xF4, 0xF6, 0xF9);

// The picture in the page control's corner: a chip and the editor's caption.
class DcPanel : public QWidget {
public:
    explicit DcPanel(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("DC_Panel"));
        setFixedSize(sizeHint());
    }
    // The page control lays its corner out by the hint.
    QSize sizeHint() const override { return QSize(96, 20); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF body(6.5, 4.5, 16, 11);
        painter.setPen(QPen(QColor(0x6B, 0x77, 0x86), 1));
        for (int pin = 0; pin < 4; ++pin) {
            const qreal x = body.left() + 2.5 + pin * 3.5;
            painter.drawLine(QPointF(x, body.top() - 2.5), QPointF(x, body.top()));
            painter.drawLine(QPointF(x, body.bottom()), QPointF(x, body.bottom() + 2.5));
        }
        QPainterPath chip;
        chip.addRoundedRect(body, 1.5, 1.5);
        painter.fillPath(chip, QColor(0x3A, 0x44, 0x52));
        painter.setBrush(QColor(0x9A, 0xA6, 0xB5));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPointF(body.left() + 3, body.top() + 3), 1.2, 1.2);
        QFont caption(QStringLiteral("Liberation Sans"));
        caption.setPixelSize(11);
        painter.setFont(caption);
        painter.setPen(QColor(0x55, 0x60, 0x6E));
        painter.drawText(QRect(28, 0, width() - 28, height()), Qt::AlignVCenter | Qt::AlignLeft,
                         QStringLiteral("Dump Edit"));
    }
};

// The last file's path over the whole width of its cell, wrapped at its
// folder separators and, where a name is wider than a line, anywhere, so
// that every character of it is shown; the row grows by the lines it needs.
class PathLabel : public QLabel {
public:
    PathLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        const QMargins m = contentsMargins();
        return Lay(width - m.left() - m.right(), nullptr) + m.top() + m.bottom();
    }
    QSize sizeHint() const override {
        const int width = fontMetrics().horizontalAdvance(text()) + 1;
        return QSize(width, heightForWidth(width));
    }
    QSize minimumSizeHint() const override {
        const int width = fontMetrics().averageCharWidth() * 4;
        return QSize(width, fontMetrics().height());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(foregroundRole()));
        Lay(contentsRect().width(), &painter);
    }

private:
    // The text's height at the width; drawn when a painter is given.
    int Lay(int width, QPainter* painter) const {
        QTextLayout layout(text(), font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        qreal y = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(std::max(width, 1));
            line.setPosition(QPointF(0, y));
            y += line.height();
        }
        layout.endLayout();
        if (painter) layout.draw(painter, contentsRect().topLeft());
        return static_cast<int>(std::ceil(y));
    }
};

QLabel* MakeLabel(const char* name, const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    if (name) label->setObjectName(QString::fromLatin1(name));
    return label;
}

}  // namespace

TMainEdit::TMainEdit(DataBuffer& buffer, Messages& messages, QWidget* parent)
    : QWidget(parent), buffer_(buffer), messages_(messages), view_(buffer) {
    setObjectName(QStringLiteral("MainEdit"));
    setWindowTitle(QStringLiteral("Dump Edit"));
    setFixedSize(kClientWidth, kClientHeight);
    // Opaque: the main window's displays that lie under the Edit area must not
    // show through beside the tabs.
    setAutoFillBackground(true);
    // Stands in for "Times New Roman".
    QFont font(QStringLiteral("Liberation Serif"));
    font.setPixelSize(13);
    setFont(font);

    mainEditPage_ = new QTabWidget(this);
    mainEditPage_->setObjectName(QStringLiteral("MainEditPage"));
    mainEditPage_->setGeometry(0, 0, kClientWidth, kClientHeight);
    mainEditPage_->setDocumentMode(false);
    BuildDataSheet(sheets_[0], EditorPage::Bits8, "Edit8BitSheet", "AddressGB8bit", "HexCodeSG8bit",
                   "ASCIICode8bitSG", "Edit8BitScrollBar");
    BuildDataSheet(sheets_[1], EditorPage::Bits16, "Edit16BitSheet", "AddressSG16Bit",
                   "HexCodeSG16Bit", "ASCIICode16BisSG", "Edit16BitScrollBar");
    mainEditPage_->addTab(sheets_[0].sheet, QStringLiteral("8 Bits"));
    mainEditPage_->addTab(sheets_[1].sheet, QStringLiteral("16 Bits"));
    BuildInformationSheet();
    mainEditPage_->addTab(bufInfSheet_, QStringLiteral("Buffer Information"));
    mainEditPage_->setCornerWidget(new DcPanel(mainEditPage_), Qt::TopRightCorner);
    connect(mainEditPage_, &QTabWidget::currentChanged, this, [this] { MainEditPageChange(); });

    BuildPopupMenu();
    // The Options button's panel is hidden in the form; a right click on a
    // grid opens the same menu.
    panel1_ = new QFrame(this);
    panel1_->setObjectName(QStringLiteral("Panel1"));
    panel1_->setGeometry(kClientWidth - 90, 0, 90, 22);
    auto* options = new QToolButton(panel1_);
    options->setObjectName(QStringLiteral("Options"));
    options->setText(QStringLiteral("Options..."));
    options->setAutoRaise(true);
    options->setGeometry(0, 0, 90, 22);
    connect(options, &QToolButton::released, this, [this, options] {
        OpenPopupMenu(options->mapToGlobal(QPoint(30, options->height())));
    });
    panel1_->hide();

    view_.SetRedrawHook([this](bool bufferChanged) { ViewChanged(bufferChanged); });
    view_.SetReadOnly(!isEnabled());
    SyncScrollBars();
}

TMainEdit::~TMainEdit() {
    view_.SetRedrawHook(nullptr);
    // The grids hand their keys and focus changes to the view: they go while it is there.
    delete mainEditPage_;
}

void TMainEdit::BuildDataSheet(DataSheet& s, EditorPage page, const char* sheetName,
                               const char* addressName, const char* hexName, const char* charsName,
                               const char* barName) {
    s.sheet = new QWidget;
    s.sheet->setObjectName(QString::fromLatin1(sheetName));
    s.sheet->setAutoFillBackground(true);
    QPalette palette = s.sheet->palette();
    palette.setColor(QPalette::Window, kSheet);
    s.sheet->setPalette(palette);

    auto grid = [&](EditorGrid kind, const char* name, int x, int width) {
        auto* widget = new EditorGridWidget(view_, page, kind, width, s.sheet);
        widget->setObjectName(QString::fromLatin1(name));
        widget->move(x, kTop);
        connect(widget, &EditorGridWidget::PopupRequested, this, &TMainEdit::OpenPopupMenu);
        return widget;
    };
    s.address = grid(EditorGrid::Address, addressName, kAddressX, kAddressWidth);
    s.hex = grid(EditorGrid::Hex, hexName, kHexX, kHexWidth);
    s.chars = grid(EditorGrid::Chars, charsName, kCharsX, kCharsWidth);
    setTabOrder(s.address, s.hex);
    setTabOrder(s.hex, s.chars);

    s.bar = new QScrollBar(Qt::Vertical, s.sheet);
    s.bar->setObjectName(QString::fromLatin1(barName));
    s.bar->setGeometry(kBarX, kTop + EditorGridWidget::kRowHeight, kBarWidth,
                       EditorGridWidget::kRowHeight * EditorView::kRows);
    s.bar->setFocusPolicy(Qt::NoFocus);
    s.bar->setSingleStep(1);
    s.bar->setPageStep(EditorView::kPageRows);
    // The line arrows, the page areas and the thumb: each sets the top row.
    connect(s.bar, &QScrollBar::valueChanged, this, [this](int row) { view_.ScrollTo(row); });
    s.bar->installEventFilter(this);
}

void TMainEdit::BuildInformationSheet() {
    bufInfSheet_ = new QWidget;
    bufInfSheet_->setObjectName(QStringLiteral("BufInfSheet"));
    bufInfSheet_->setAutoFillBackground(true);
    QPalette palette = bufInfSheet_->palette();
    palette.setColor(QPalette::Window, kSheet);
    bufInfSheet_->setPalette(palette);

    auto* card = new QFrame(bufInfSheet_);
    card->setObjectName(QStringLiteral("BufInfCard"));
    card->setFrameShape(QFrame::StyledPanel);
    card->setStyleSheet(QStringLiteral(
        "#BufInfCard { background: white; border: 1px solid #A9B5C4; border-radius: 3px; }"
        "QLabel[role=\"caption\"] { color: #4A5566; }"
        "QLabel[role=\"text\"] { color: #1B1F24; }"
        "QLabel[role=\"value\"] { color: #1B1F24; font-family: 'Liberation Mono'; }"
        "QLabel[role=\"sum\"] { color: #2C588C; font-family: 'Liberation Mono'; }"));
    auto* outer = new QVBoxLayout(bufInfSheet_);
    outer->setContentsMargins(12, 12, 12, 12);
    outer->addWidget(card);
    outer->addStretch(1);

    auto* layout = new QGridLayout(card);
    layout->setContentsMargins(16, 12, 16, 14);
    layout->setHorizontalSpacing(18);
    layout->setVerticalSpacing(7);
    int row = 0;
    auto line = [&](const char* caption, const char* name, const char* initial) {
        QLabel* title = MakeLabel(nullptr, caption, card);
        title->setProperty("role", "caption");
        QLabel* value = MakeLabel(name, initial, card);
        value->setProperty("role", "value");
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(title, row, 0, Qt::AlignLeft | Qt::AlignVCenter);
        layout->addWidget(value, row, 1, Qt::AlignLeft | Qt::AlignVCenter);
        ++row;
        return value;
    };
    QLabel* fileCaption = MakeLabel(nullptr, "Last file", card);
    fileCaption->setProperty("role", "caption");
    lastLoadFileNameLabel_ = new PathLabel(QStringLiteral("None"), card);
    lastLoadFileNameLabel_->setObjectName(QStringLiteral("LastLoadFileNameLabel"));
    lastLoadFileNameLabel_->setProperty("role", "text");
    layout->addWidget(fileCaption, row, 0, Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(lastLoadFileNameLabel_, row, 1);
    ++row;
    fileFormatLabel_ = line("File format", "FileFormatLabel", "None");
    fileFormatLabel_->setProperty("role", "text");
    startAddLabel_ = line("Load start", "StartAddLabel", "0000000");
    endAddressLabel_ = line("Load end", "EndAddressLabel", "0000000");
    bufSizeLabel_ = line("Buffer size", "BufSizeLabel", "000000");

    auto* rule = new QFrame(card);
    rule->setFrameShape(QFrame::HLine);
    rule->setStyleSheet(QStringLiteral("color: #DDE3EA;"));
    layout->addWidget(rule, row++, 0, 1, 2);
    checkSumLabel_ = MakeLabel("CheckSumLabel", "Check Sum : 00000000H", card);
    checkSumLabel_->setProperty("role", "sum");
    layout->addWidget(checkSumLabel_, row++, 0, 1, 2);
    sumSaddLabel_ = MakeLabel("SumSaddLabel", "Range :", card);
    sumSaddLabel_->setProperty("role", "sum");
    layout->addWidget(sumSaddLabel_, row++, 0, 1, 2);
    layout->setColumnStretch(1, 1);
}

QAction* TMainEdit::AddItem(QMenu* menu, const char* name, const char* caption,
                            void (TMainEdit::*click)()) {
    QAction* item = menu->addAction(QString::fromLatin1(caption));
    item->setObjectName(QString::fromLatin1(name));
    if (click) connect(item, &QAction::triggered, this, [this, click] { (this->*click)(); });
    return item;
}

void TMainEdit::BuildPopupMenu() {
    popupMenu_ = new QMenu(this);
    popupMenu_->setObjectName(QStringLiteral("PopupMenu"));
    QMenu* action = popupMenu_->addMenu(QStringLiteral("Action"));
    action->setObjectName(QStringLiteral("Action"));
    AddItem(action, "LoadFile", "Load", &TMainEdit::LoadFileClick);
    AddItem(action, "SaveFile", "Save", &TMainEdit::SaveFileClick);
    action->addSeparator();
    AddItem(action, "GetSum", "Sum", &TMainEdit::GetSumClick);
    AddItem(action, "FillData", "Fill", &TMainEdit::FillDataClick);
    AddItem(action, "Block", "Block", &TMainEdit::BlockClick);
    action->addSeparator();
    AddItem(action, "Resize", "Resize", nullptr);
    AddItem(action, "Search", "Search", &TMainEdit::SearchClick);
    AddItem(action, "SearchNext", "Search Next", &TMainEdit::SearchNextClick);

    QMenu* dataSet = popupMenu_->addMenu(QStringLiteral("Data Set"));
    dataSet->setObjectName(QStringLiteral("DataSet"));
    // Mode 0 is set at creation and by every load; the menu cannot undo a mode.
    QAction* all = AddItem(dataSet, "All", "All", nullptr);
    all->setEnabled(false);
    dataSet->setDefaultAction(all);
    AddItem(dataSet, "Even", "Even", &TMainEdit::EvenClick);
    AddItem(dataSet, "Odd", "Odd", &TMainEdit::OddClick);
    AddItem(dataSet, "SwapByte", "Swap Byte", &TMainEdit::SwapByteClick);
}

// ---- Pages and redraw -----------------------------------------------------------------------

EditorPage TMainEdit::ActivePage() const {
    return static_cast<EditorPage>(std::clamp(mainEditPage_->currentIndex(), 0, 2));
}

void TMainEdit::SetActivePage(EditorPage page) {
    mainEditPage_->setCurrentIndex(static_cast<int>(page));
}

void TMainEdit::MainEditPageChange() {
    const EditorPage page = ActivePage();
    if (page == EditorPage::Info) {
        ShowInformation();
        return;
    }
    const DataSheet& s = sheets_[static_cast<int>(page)];
    for (QWidget* grid : {static_cast<QWidget*>(s.address), static_cast<QWidget*>(s.hex),
                          static_cast<QWidget*>(s.chars)})
        grid->update();
    // The operator goes on typing where the page's cursor stands.
    if (isAncestorOf(QApplication::focusWidget())) {
        const EditorGrid grid = view_.Cursor(page).grid;
        (grid == EditorGrid::Address ? s.address
         : grid == EditorGrid::Hex   ? s.hex
                                     : s.chars)
            ->setFocus(Qt::OtherFocusReason);
    }
}

void TMainEdit::ViewChanged(bool bufferChanged) {
    for (const DataSheet& s : sheets_) {
        s.address->update();
        s.hex->update();
        s.chars->update();
    }
    SyncScrollBars();
    if (bufferChanged && ActivePage() == EditorPage::Info) ShowInformation();
}

void TMainEdit::SyncScrollBars() {
    const int maximum = static_cast<int>(std::min<uint64_t>(view_.MaxTopRow(), INT_MAX));
    const int top = static_cast<int>(std::min<uint64_t>(view_.TopRow(), INT_MAX));
    for (const DataSheet& s : sheets_) {
        const QSignalBlocker quiet(s.bar);
        if (s.bar->maximum() != maximum) s.bar->setRange(0, maximum);
        if (s.bar->value() != top) s.bar->setValue(top);
    }
}

void TMainEdit::ShowInformation() {
    const BufferInformation info = ReadBufferInformation(buffer_);
    lastLoadFileNameLabel_->setText(QString::fromStdString(info.LastLoadFileName));
    fileFormatLabel_->setText(QString::fromStdString(info.FileFormat));
    checkSumLabel_->setText(QString::fromStdString(info.CheckSum));
    sumSaddLabel_->setText(QString::fromStdString(info.SumRange));
    bufSizeLabel_->setText(QString::fromStdString(info.BufSize));
    startAddLabel_->setText(QString::fromStdString(info.StartAdd));
    endAddressLabel_->setText(QString::fromStdString(info.EndAddress));
}

void TMainEdit::RefreshGrids() { view_.RefreshGrids(); }

void TMainEdit::ShowMemoryBlock(std::span<const uint8_t> block) { view_.ShowMemoryBlock(block); }

void TMainEdit::PaintDC() {
    ViewChanged(false);
    if (ActivePage() == EditorPage::Info) ShowInformation();
}

// ---- Wheel, popup and menu items ------------------------------------------------------------

bool TMainEdit::RouteWheel(QObject* hover, int delta) {
    const EditorPage page = ActivePage();
    if (page == EditorPage::Info || !isVisible() || !isEnabled()) return false;
    const DataSheet& s = sheets_[static_cast<int>(page)];
    for (QObject* at = hover; at != nullptr && at != this; at = at->parent()) {
        if (at == s.address || at == s.hex || at == s.chars || at == s.bar) {
            view_.Wheel(delta);
            return true;
        }
    }
    return false;
}

bool TMainEdit::eventFilter(QObject* watched, QEvent* event) {
    // The main window routes the wheel over the scroll bars as over the grids.
    if (event->type() == QEvent::Wheel && (watched == sheets_[0].bar || watched == sheets_[1].bar))
        return true;
    return QWidget::eventFilter(watched, event);
}

void TMainEdit::OpenPopupMenu(QPoint globalPosition) {
    if (!isEnabled()) return;
    popupMenu_->popup(globalPosition);
}

void TMainEdit::Run(const std::function<void()>& hook) {
    if (hook) hook();
}

void TMainEdit::LoadFileClick() { Run(hooks_.LoadFile); }
void TMainEdit::SaveFileClick() { Run(hooks_.SaveFile); }
void TMainEdit::GetSumClick() { Run(hooks_.GetSum); }
void TMainEdit::FillDataClick() { Run(hooks_.FillData); }
void TMainEdit::BlockClick() { Run(hooks_.Block); }
void TMainEdit::SearchClick() { Run(hooks_.Search); }
void TMainEdit::SearchNextClick() { Run(hooks_.SearchNext); }
void TMainEdit::EvenClick() { buffer_.SetDataMode(DataMode::Even); }
void TMainEdit::OddClick() { buffer_.SetDataMode(DataMode::Odd); }
void TMainEdit::SwapByteClick() { buffer_.SetDataMode(DataMode::SwapByte); }

// ---- Life -----------------------------------------------------------------------------------

void TMainEdit::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    WriteCommonDataSelect(buffer_, static_cast<int32_t>(buffer_.ReturnDataMode()), messages_);
}

void TMainEdit::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) view_.SetReadOnly(!isEnabled());
    QWidget::changeEvent(event);
}

void TMainEdit::closeEvent(QCloseEvent* event) {
    if (!ConfirmCloseEditor(buffer_, messages_)) {
        event->ignore();
        return;
    }
    WriteCommonDataSelect(buffer_, 0, messages_);
    event->accept();
}

}  // namespace burnmark
