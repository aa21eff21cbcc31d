#include "fusemap/ui/gal_form.h"

#include <QApplication>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QWheelEvent>
#include <functional>

#include "fusemap/ui/fuse_cell_look.h"
#include "fusemap/ui/pal_show_box_widget.h"

namespace burnmark {

namespace {

QFont FormFont(int pixels = 11, bool bold = false) {
    // Stands in for "MS Sans Serif" 8.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFont AddressFont() {
    QFont font(QStringLiteral("Liberation Mono"));
    font.setPixelSize(11);
    return font;
}

enum class Icon { None, Sum, Fill, Ok, Jump };

void PaintIcon(QPainter& p, Icon icon, const QRect& area, bool enabled) {
    p.save();
    if (!enabled) p.setOpacity(0.35);
    const QColor ink(30, 60, 140);
    switch (icon) {
        case Icon::None:
            break;
        case Icon::Sum:
            p.setPen(ink);
            p.setFont(FormFont(24, true));
            p.drawText(area, Qt::AlignCenter, QStringLiteral("\u03A3"));
            break;
        case Icon::Fill: {
            // A block of set fuses: what a fill would make of the map.
            const int cell = 8, cols = 4, rows = 3;
            const QPoint origin(area.center().x() - cols * cell / 2,
                                area.center().y() - rows * cell / 2);
            const DevicePixels px(p);
            p.fillRect(
                px.Rect(QRect(origin - QPoint(1, 1), QSize(cols * cell + 1, rows * cell + 1))),
                kGridShadow);
            for (int r = 0; r < rows; ++r)
                for (int c = 0; c < cols; ++c)
                    PaintFuseCell(
                        p, px.Rect(QRect(origin + QPoint(c * cell, r * cell), QSize(cell, cell))),
                        px.Line(), (r + c) % 2 ? FuseCellLook::BitLow : FuseCellLook::BitHeigh);
            break;
        }
        case Icon::Ok: {
            p.setRenderHint(QPainter::Antialiasing);
            QPainterPath tick;
            const QPointF c = QRectF(area).center();
            tick.moveTo(c + QPointF(-10, 0));
            tick.lineTo(c + QPointF(-3, 7));
            tick.lineTo(c + QPointF(11, -8));
            p.setPen(QPen(QColor(36, 128, 58), 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPath(tick);
            break;
        }
        case Icon::Jump: {
            p.setRenderHint(QPainter::Antialiasing);
            const QPointF c = QRectF(area).center();
            QPainterPath arrow;
            arrow.moveTo(c + QPointF(-8, -2));
            arrow.lineTo(c + QPointF(2, -2));
            arrow.lineTo(c + QPointF(2, -7));
            arrow.lineTo(c + QPointF(9, 0));
            arrow.lineTo(c + QPointF(2, 7));
            arrow.lineTo(c + QPointF(2, 2));
            arrow.lineTo(c + QPointF(-8, 2));
            arrow.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawPath(arrow);
            break;
        }
    }
    p.restore();
}

// A picture of our own drawing: one icon, or one fuse cell in a thin frame.
class Picture : public QWidget {
public:
    Picture(const char* name, Icon icon, QWidget* parent) : QWidget(parent), icon_(icon) {
        setObjectName(QString::fromLatin1(name));
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    Picture(const char* name, FuseCellLook look, QWidget* parent)
        : QWidget(parent), cell_(true), look_(look) {
        setObjectName(QString::fromLatin1(name));
        setFixedSize(kFuseCellSize + 2, kFuseCellSize + 2);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (!cell_) {
            PaintIcon(p, icon_, rect(), isEnabled());
            return;
        }
        const DevicePixels px(p);
        p.fillRect(px.Rect(rect()), kGridShadow);
        PaintFuseCell(p, px.Rect(QRect(1, 1, kFuseCellSize, kFuseCellSize)), px.Line(), look_);
    }

private:
    bool cell_ = false;
    Icon icon_ = Icon::None;
    FuseCellLook look_ = FuseCellLook::BitLow;
};

// An image button: a raised face with an icon over its caption. It answers on
// the release of a left press inside it; its children pass the mouse to it.
class ImageButton : public QWidget {
public:
    ImageButton(const char* name, Icon icon, QWidget* parent) : QWidget(parent), icon_(icon) {
        setObjectName(QString::fromLatin1(name));
        setAttribute(Qt::WA_Hover);
        setCursor(Qt::PointingHandCursor);
    }
    // A caption along the bottom edge (or over the whole face without an icon).
    QLabel* AddCaption(const char* name, const char* text) {
        auto* label = new QLabel(QString::fromLatin1(text), this);
        label->setObjectName(QString::fromLatin1(name));
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->setAlignment(Qt::AlignCenter);
        label->setFont(FormFont(11, true));
        label->setGeometry(icon_ == Icon::None ? rect() : QRect(0, height() - 20, width(), 16));
        return label;
    }
    std::function<void()> onClick;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const bool hover = underMouse() && isEnabled();
        const QRectF face = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QLinearGradient fill(face.topLeft(), face.bottomLeft());
        fill.setColorAt(0, pressed_ ? QColor(206, 212, 220) : QColor(250, 251, 253));
        fill.setColorAt(1, pressed_ ? QColor(226, 230, 236) : QColor(220, 225, 232));
        p.setPen(QPen(hover ? QColor(74, 120, 194) : QColor(140, 145, 153), 1));
        p.setBrush(fill);
        p.drawRoundedRect(face, 5, 5);
        if (icon_ != Icon::None) {
            const QRect iconArea(0, 4 + (pressed_ ? 1 : 0), width(), height() - 26);
            PaintIcon(p, icon_, iconArea, isEnabled());
        }
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        pressed_ = true;
        update();
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        const bool click = pressed_ && rect().contains(event->position().toPoint());
        pressed_ = false;
        update();
        if (click && onClick) onClick();
    }

private:
    Icon icon_;
    bool pressed_ = false;
};

QFrame* MakePanel(const char* name, QWidget* parent, QRect geometry) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    panel->setGeometry(geometry);
    return panel;
}

QLabel* MakeLabel(const char* name, const QString& text, QWidget* parent, QRect geometry,
                  Qt::Alignment align = Qt::AlignVCenter | Qt::AlignLeft) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setAlignment(align);
    return label;
}

void SetText(QLabel* label, const std::string& text) {
    const QString now = QString::fromStdString(text);
    if (label->text() != now) label->setText(now);
}

void SetBar(QScrollBar* bar, const FuseScrollBar& state) {
    bar->setRange(state.Min, state.Max);
    bar->setSingleStep(state.SmallChange);
    bar->setPageStep(state.LargeChange);
    bar->setValue(state.Position);
}

}  // namespace

Tform2::Tform2(FuseMap& map, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Tool | Qt::FramelessWindowHint),
      view_(std::make_unique<FuseEditView>(map)) {
    setObjectName(QStringLiteral("form2"));
    setWindowTitle(QStringLiteral("GAL Edit"));
    setFixedSize(kWidth, kHeight);
    setFont(FormFont());
    BuildLayout();
    view_->OnViewChanged = [this] { Render(); };
    Render();
}

Tform2::~Tform2() {
    // The grid widget lets go of the view's grid before the view goes.
    view_->OnViewChanged = nullptr;
    delete grid_;
}

void Tform2::BuildLayout() {
    auto* pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("PalPageControl"));
    pages->setGeometry(4, 4, kWidth - 8, kHeight - 8);
    auto* sheet = new QWidget;
    sheet->setObjectName(QStringLiteral("PalEditTabSheet"));
    pages->addTab(sheet, QStringLiteral("GAL Edit"));

    // Information and jump.
    QFrame* up = MakePanel("GAL_UP", sheet, QRect(8, 6, 628, 92));
    QFrame* legend = MakePanel("GAL_Intact", up, QRect(8, 8, 196, 76));
    auto* intact = new Picture("Intact1", FuseCellLook::BitHeigh, legend);
    intact->move(14, 14);
    bigMap1Label_ = MakeLabel("BigMap1Label", {}, legend, QRect(40, 12, 150, 21));
    auto* blown = new Picture("Blown0", FuseCellLook::BitLow, legend);
    blown->move(14, 45);
    bitmap0Label_ = MakeLabel("Bitmap0Label", {}, legend, QRect(40, 43, 150, 21));

    QFrame* square = MakePanel("GAL_Squ", up, QRect(212, 8, 196, 34));
    squareLabel_ = MakeLabel("SquareLabel", {}, square, square->rect(), Qt::AlignCenter);
    QFrame* xLab = MakePanel("GAL_XLab", up, QRect(212, 50, 196, 34));
    xLabel_ = MakeLabel("XLabel", {}, xLab, xLab->rect(), Qt::AlignCenter);

    QFrame* current = MakePanel("Gal_Current", up, QRect(416, 8, 204, 34));
    MakeLabel("Gal_CurrentLabel", QStringLiteral("Current :"), current, QRect(12, 6, 60, 22));
    jumpEdit_ = new QLineEdit(QStringLiteral("00000000"), current);
    jumpEdit_->setObjectName(QStringLiteral("JumpEdit"));
    jumpEdit_->setGeometry(78, 6, 112, 22);
    jumpEdit_->setFont(AddressFont());
    connect(jumpEdit_, &QLineEdit::textChanged, this, &Tform2::JumpEditChange);
    connect(jumpEdit_, &QLineEdit::returnPressed, this, &Tform2::jump_bmpMouseUp);

    auto* jump = new ImageButton("Jump_buttom", Icon::None, up);
    jump->setGeometry(416, 50, 204, 34);
    auto* jumpPicture = new Picture("jump_bmp", Icon::Jump, jump);
    jumpPicture->setGeometry(60, 5, 24, 24);
    auto* jumpLabel = MakeLabel("Jump_lab", QStringLiteral("Jump "), jump, QRect(88, 5, 60, 24));
    jumpLabel->setFont(FormFont(11, true));
    jumpLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    jump->onClick = [this] { jump_bmpMouseUp(); };
    jumpButton_ = jump;

    // The grid with its row addresses and scroll bars, in the middle.
    const int gridWidth = FuseEditView::kGridCols * kFuseCellSize + 4;
    const int gridHeight = FuseEditView::kGridRows * kFuseCellSize + 4;
    const int labelsWidth = 84;
    const int barSize = 17;
    const int blockWidth = labelsWidth + 4 + gridWidth + 2 + barSize;
    const int left = (628 - blockWidth) / 2 + 8;
    const int top = 135;

    rowLabels_ = new QTableWidget(FuseEditView::kGridRows, 2, sheet);
    rowLabels_->setObjectName(QStringLiteral("FuseAddStringGrid"));
    rowLabels_->horizontalHeader()->hide();
    rowLabels_->verticalHeader()->hide();
    rowLabels_->verticalHeader()->setMinimumSectionSize(1);
    rowLabels_->verticalHeader()->setDefaultSectionSize(kFuseCellSize);
    rowLabels_->setColumnWidth(0, labelsWidth - 8);
    rowLabels_->setColumnWidth(1, 8);
    rowLabels_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    rowLabels_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    rowLabels_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rowLabels_->setSelectionMode(QAbstractItemView::NoSelection);
    rowLabels_->setFocusPolicy(Qt::NoFocus);
    rowLabels_->setFrameShape(QFrame::NoFrame);
    rowLabels_->setFont(AddressFont());
    for (int r = 0; r < FuseEditView::kGridRows; ++r) {
        for (int c = 0; c < 2; ++c) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignVCenter | Qt::AlignRight);
            rowLabels_->setItem(r, c, item);
        }
    }
    // Row r of the labels beside row r of the cells.
    rowLabels_->setGeometry(left, top + PalShowBox::kCellOrigin, labelsWidth,
                            FuseEditView::kGridRows * kFuseCellSize);

    grid_ = new TPalShowBox(view_->Grid(), sheet);
    grid_->move(left + labelsWidth + 4, top);
    grid_->installEventFilter(this);

    vBar_ = new QScrollBar(Qt::Vertical, sheet);
    vBar_->setObjectName(QStringLiteral("PalScrollBar_V"));
    vBar_->setGeometry(grid_->x() + gridWidth + 2, top, barSize, gridHeight);
    hBar_ = new QScrollBar(Qt::Horizontal, sheet);
    hBar_->setObjectName(QStringLiteral("PalScrollBar_H"));
    hBar_->setGeometry(grid_->x(), top + gridHeight + 2, gridWidth, barSize);
    // Steps, pages, both ends and the end of a drag move the view; the thumb
    // does not while it is dragged.
    for (QScrollBar* bar : {hBar_, vBar_}) {
        bar->setTracking(false);
        bar->setFocusPolicy(Qt::NoFocus);
    }
    connect(hBar_, &QScrollBar::valueChanged, this, [this](int value) {
        if (!rendering_) view_->PalScrollBar_HScroll(value);
    });
    connect(vBar_, &QScrollBar::valueChanged, this, [this](int value) {
        if (!rendering_) view_->PalScrollBar_VScroll(value);
    });

    // Buttons.
    QFrame* down = MakePanel("GAL_DOWN", sheet, QRect(8, 316, 628, 84));
    struct Button {
        const char* name;
        Icon icon;
        const char* label;
        const char* caption;
        std::function<void()> click;
    };
    const Button buttons[] = {
        {"check_sum", Icon::Sum, "SUM_LAB", "SUM", [this] { check_sumClick(); }},
        {"Full_data", Icon::Fill, "FULL_LAB", "Fill", nullptr},
        {"GAL_Image6", Icon::Ok, "GAL_OK_LAB", "OK", [this] { GAL_Image6Click(); }},
    };
    int x = (628 - (3 * 80 + 2 * 46)) / 2;
    for (const Button& b : buttons) {
        auto* button = new ImageButton(b.name, b.icon, down);
        button->setGeometry(x, 10, 80, 64);
        button->AddCaption(b.label, b.caption);
        button->onClick = b.click;
        if (!b.click) button->setCursor(Qt::ArrowCursor);
        x += 80 + 46;
    }
}

void Tform2::Render() {
    rendering_ = true;
    const FuseEditView& v = *view_;
    for (int r = 0; r < FuseEditView::kGridRows; ++r) {
        const QString text = QString::fromStdString(v.RowLabel(r));
        if (rowLabels_->item(r, 0)->text() != text) rowLabels_->item(r, 0)->setText(text);
    }
    SetBar(hBar_, v.HBar());
    SetBar(vBar_, v.VBar());
    SetText(squareLabel_, v.SquareLabel());
    SetText(xLabel_, v.XLabel());
    SetText(bigMap1Label_, v.BigMap1Label());
    SetText(bitmap0Label_, v.Bitmap0Label());
    const QString jump = QString::fromStdString(v.JumpText());
    if (jumpEdit_->text() != jump) {
        jumpEdit_->setText(jump);
        jumpEdit_->setCursorPosition(static_cast<int>(jump.size()));
    }
    jumpEdit_->setEnabled(v.JumpEnabled());
    jumpButton_->setEnabled(v.JumpEnabled());
    rendering_ = false;
}

void Tform2::JumpEditChange(const QString& text) {
    // The edit's own rewrite of the filtered text comes back here: let it be.
    if (rendering_) return;
    view_->JumpEditChange(text.toStdString());
}

void Tform2::Rebind() { view_->Rebind(); }

void Tform2::ShowModal() {
    if (QWidget* main = parentWidget()) ShowModalOver(*main);
}

void Tform2::ShowModalOver(QWidget& mainWindow) {
    move(mainWindow.geometry().topLeft() + QPoint(kLeftFromMain, kTopFromMain));
    view_->FollowMap();
    grid_->setFocus(Qt::OtherFocusReason);
    exec();
    mainWindow.update();
}

void Tform2::check_sumClick() { view_->check_sumClick(); }

void Tform2::GAL_Image6Click() {
    done(QDialog::Accepted);
    view_->GAL_Image6Click();
}

void Tform2::jump_bmpMouseUp() {
    if (!view_->JumpEnabled()) return;
    grid_->setFocus(Qt::OtherFocusReason);
    view_->jump_bmpMouseUp();
}

bool Tform2::eventFilter(QObject* watched, QEvent* event) {
    // The wheel over the grid moves it a row at a time, as over its scroll bar.
    if (watched == grid_ && event->type() == QEvent::Wheel) {
        QApplication::sendEvent(vBar_, event);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace burnmark
