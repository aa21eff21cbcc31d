#include "buffer/ui/editor_grid.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

namespace burnmark {

namespace {

// The editor's colours: a white sheet, grey-blue headings and addresses, a
// blue cursor with a pale twin in the neighbouring grid.
const QColor kBackground(0xFF, 0xFF, 0xFF);
const QColor kStripe(0xF6, 0xF8, 0xFB);
const QColor kAddressBackground(0xEE, 0xF2, 0xF7);
const QColor kHeading(0xE1, 0xE7, 0xEF);
const QColor kHeadingText(0x4A, 0x55, 0x66);
const QColor kFrame(0xA9, 0xB5, 0xC4);
const QColor kGroupLine(0xDD, 0xE3, 0xEA);
const QColor kText(0x1B, 0x1F, 0x24);
const QColor kAddressText(0x2C, 0x58, 0x8C);
const QColor kDisabledText(0x8A, 0x93, 0x9E);
const QColor kBlank(0xE9, 0xEB, 0xEE);
const QColor kCursor(0x2F, 0x6F, 0xD0);
const QColor kCursorUnfocused(0x9D, 0xBC, 0xE8);
const QColor kCursorDisabled(0xC3, 0xC9, 0xD1);
const QColor kTwin(0xD6, 0xE5, 0xF9);
const QColor kCursorRow(0xD8, 0xE3, 0xF2);
const QColor kPendingBackground(0xFF, 0xF3, 0xC4);
const QColor kPendingBorder(0xD9, 0x9A, 0x00);
const QColor kPendingText(0xA3, 0x4A, 0x00);

QStaticText Prepared(const QString& text, const QFont& font) {
    QStaticText prepared(text);
    prepared.setTextFormat(Qt::PlainText);
    prepared.setPerformanceHint(QStaticText::AggressiveCaching);
    prepared.prepare(QTransform(), font);
    return prepared;
}

}  // namespace

EditorGridWidget::EditorGridWidget(EditorView& view, EditorPage page, EditorGrid grid, int width,
                                   QWidget* parent)
    : QWidget(parent), view_(view), page_(page), grid_(grid) {
    setFixedSize(width, kHeight);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);

    font_ = QFont(QStringLiteral("Liberation Mono"));
    font_.setStyleHint(QFont::Monospace);
    font_.setFixedPitch(true);
    font_.setPixelSize(12);
    headingFont_ = font_;
    headingFont_.setPixelSize(11);
    const QFontMetrics metrics(font_);
    advance_ = metrics.horizontalAdvance(QLatin1Char('0'));
    textHeight_ = metrics.height();

    static constexpr char kHex[] = "0123456789ABCDEF";
    for (int value = 0; value < 256; ++value) {
        const auto index = static_cast<std::size_t>(value);
        const char pair[] = {kHex[value >> 4], kHex[value & 0x0F], '\0'};
        hexBytes_[index] = Prepared(QString::fromLatin1(pair), font_);
        // What the character grid shows: printable ASCII, else ".".
        const bool printable = value >= 0x20 && value <= 0x7E;
        chars_[index] =
            Prepared(QString(QLatin1Char(printable ? static_cast<char>(value) : '.')), font_);
    }
    for (int digit = 0; digit < 16; ++digit)
        digits_[static_cast<std::size_t>(digit)] =
            Prepared(QString(QLatin1Char(kHex[digit])), font_);
}

int EditorGridWidget::Columns() const { return view_.ColumnCount(page_, grid_); }

double EditorGridWidget::ColumnWidth() const {
    return static_cast<double>(width()) / std::max(1, Columns());
}

QRect EditorGridWidget::CellRect(int row, int column) const {
    const double w = ColumnWidth();
    const int left = static_cast<int>(std::lround(column * w));
    const int right = static_cast<int>(std::lround((column + 1) * w));
    return QRect(left, (row + 1) * kRowHeight, right - left, kRowHeight);
}

std::optional<GridCell> EditorGridWidget::CellAt(QPoint point) const {
    if (point.x() < 0 || point.x() >= width() || point.y() < kRowHeight || point.y() >= kHeight)
        return std::nullopt;
    const int row = point.y() / kRowHeight - 1;
    const int column = std::min(Columns() - 1, static_cast<int>(point.x() / ColumnWidth()));
    return GridCell{grid_, row, column};
}

// ---- Painting -------------------------------------------------------------------------------

void EditorGridWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Filled row by row: a fill this low stays on the window thread, where one
    // of the whole grid would be split over the painter's worker threads.
    PaintHeading(painter);
    for (int row = 0; row < EditorView::kRows; ++row) PaintRow(painter, row);

    // Light lines between groups of four bytes.
    if (grid_ == EditorGrid::Hex) {
        const int group = page_ == EditorPage::Bits16 ? 2 : 4;
        painter.setPen(kGroupLine);
        for (int column = group; column < Columns(); column += group) {
            const int x = CellRect(0, column).left();
            painter.drawLine(x, kRowHeight, x, kHeight - 1);
        }
    }
    painter.setPen(kFrame);
    painter.drawLine(0, kRowHeight - 1, width() - 1, kRowHeight - 1);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void EditorGridWidget::PaintHeading(QPainter& painter) {
    painter.fillRect(0, 0, width(), kRowHeight, kHeading);
    painter.setFont(headingFont_);
    painter.setPen(kHeadingText);
    if (grid_ == EditorGrid::Address) {
        painter.drawText(QRect(0, 0, width(), kRowHeight), Qt::AlignCenter,
                         QStringLiteral("Address"));
        return;
    }
    for (int column = 0; column < Columns(); ++column) {
        const std::string text = EditorView::HeadingText(page_, grid_, column);
        if (text.empty()) continue;
        QRect cell = CellRect(-1, column);
        // The 16-bit character grid names each word over its pair of columns.
        if (page_ == EditorPage::Bits16 && grid_ == EditorGrid::Chars)
            cell = cell.united(CellRect(-1, column - 1));
        painter.drawText(cell, Qt::AlignCenter, QString::fromLatin1(text.c_str()));
    }
}

void EditorGridWidget::DrawCentred(QPainter& painter, const QRect& rect,
                                   const QStaticText* const* parts, int count) {
    int width = 0;
    for (int i = 0; i < count; ++i) width += static_cast<int>(std::ceil(parts[i]->size().width()));
    int x = rect.x() + (rect.width() - width) / 2;
    const int y = rect.y() + (rect.height() - textHeight_) / 2;
    for (int i = 0; i < count; ++i) {
        painter.drawStaticText(x, y, *parts[i]);
        x += static_cast<int>(std::ceil(parts[i]->size().width()));
    }
}

void EditorGridWidget::PaintRow(QPainter& painter, int row) {
    const GridCell cursor = view_.Cursor(page_);
    const bool cursorHere = cursor.grid == grid_;
    const bool focused = hasFocus();
    const bool enabled = isEnabled();
    const QColor text = enabled ? kText : kDisabledText;
    const QColor strong = !enabled ? kCursorDisabled : focused ? kCursor : kCursorUnfocused;
    const QColor strongText = enabled && focused ? QColor(Qt::white) : kText;
    painter.setFont(font_);

    const QRect line(0, (row + 1) * kRowHeight, width(), kRowHeight);
    if (grid_ == EditorGrid::Address) {
        const std::string address = view_.RowAddressText(page_, row);
        if (address.empty()) {
            painter.fillRect(line, kBlank);
            return;
        }
        painter.fillRect(line, cursor.row == row && !cursorHere ? kCursorRow : kAddressBackground);
        for (int digit = 0; digit < static_cast<int>(address.size()); ++digit) {
            const QRect cell = CellRect(row, digit);
            const bool isCursor = cursorHere && cursor.row == row && cursor.column == digit;
            if (isCursor) painter.fillRect(cell, strong);
            painter.setPen(isCursor ? strongText : enabled ? kAddressText : kDisabledText);
            const char c = address[static_cast<std::size_t>(digit)];
            const QStaticText* part =
                &digits_[static_cast<std::size_t>(c <= '9' ? c - '0' : c - 'A' + 10)];
            DrawCentred(painter, cell, &part, 1);
        }
        return;
    }

    painter.fillRect(line, row % 2 == 1 ? kStripe : kBackground);
    const bool words = page_ == EditorPage::Bits16;
    for (int column = 0; column < Columns(); ++column) {
        const GridCell cell{grid_, row, column};
        const QRect rect = CellRect(row, column);
        const std::optional<uint32_t> value = view_.CellValue(page_, cell);
        if (!value) {
            painter.fillRect(rect, kBlank);
            continue;
        }
        const bool isCursor = cursorHere && cursor.row == row && cursor.column == column;
        if (isCursor && !view_.PendingDigits().empty() && view_.PendingPage() == page_) {
            PaintPending(painter, rect, view_.CellText(page_, cell));
            continue;
        }
        bool isTwin = false;
        if (!cursorHere && cursor.grid != EditorGrid::Address && cursor.row == row) {
            // A word's twin is both of its characters.
            isTwin =
                words && cursor.grid == EditorGrid::Hex
                    ? column / 2 == cursor.column
                    : EditorView::TwinColumn(page_, cursor.grid, cursor.column, grid_) == column;
        }
        if (isCursor)
            painter.fillRect(rect, strong);
        else if (isTwin)
            painter.fillRect(rect, kTwin);
        painter.setPen(isCursor ? strongText : text);

        const QStaticText* parts[2];
        int count = 1;
        if (grid_ == EditorGrid::Chars) {
            parts[0] = &chars_[*value & 0xFF];
        } else if (words) {
            parts[0] = &hexBytes_[*value >> 8];
            parts[1] = &hexBytes_[*value & 0xFF];
            count = 2;
        } else {
            parts[0] = &hexBytes_[*value];
        }
        DrawCentred(painter, rect, parts, count);
    }
}

void EditorGridWidget::PaintPending(QPainter& painter, const QRect& rect, const std::string& text) {
    // An overwrite editor: the digits typed so far, the old value's rest
    // greyed, and a mark under the digit that comes next.
    painter.fillRect(rect, kPendingBackground);
    painter.setPen(kPendingBorder);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    const std::size_t typed = view_.PendingDigits().size();
    const int width = advance_ * static_cast<int>(text.size());
    int x = rect.x() + (rect.width() - width) / 2;
    const int y = rect.y() + (rect.height() - textHeight_) / 2;
    for (std::size_t i = 0; i < text.size(); ++i) {
        painter.setPen(i < typed ? kPendingText : kDisabledText);
        const char c = text[i];
        painter.drawStaticText(
            x, y, digits_[static_cast<std::size_t>(c <= '9' ? c - '0' : c - 'A' + 10)]);
        if (i == typed) painter.fillRect(x, rect.bottom() - 2, advance_, 2, kPendingBorder);
        x += advance_;
    }
}

// ---- Mouse and keys -------------------------------------------------------------------------

void EditorGridWidget::mousePressEvent(QMouseEvent* event) {
    if (const auto cell = CellAt(event->position().toPoint())) view_.SetCursor(page_, *cell);
    setFocus(Qt::MouseFocusReason);
    update();
}

void EditorGridWidget::contextMenuEvent(QContextMenuEvent* event) {
    emit PopupRequested(event->globalPos());
}

void EditorGridWidget::wheelEvent(QWheelEvent* event) { event->ignore(); }

void EditorGridWidget::keyPressEvent(QKeyEvent* event) {
    const bool control = event->modifiers() & Qt::ControlModifier;
    const GridCell cursor = view_.Cursor(page_);
    switch (event->key()) {
        case Qt::Key_Up:
            view_.MoveCursor(page_, -1, 0);
            return;
        case Qt::Key_Down:
            view_.MoveCursor(page_, 1, 0);
            return;
        case Qt::Key_Left:
            view_.MoveCursor(page_, 0, -1);
            return;
        case Qt::Key_Right:
            view_.MoveCursor(page_, 0, 1);
            return;
        case Qt::Key_PageUp:
            view_.PageUp();
            return;
        case Qt::Key_PageDown:
            view_.PageDown();
            return;
        case Qt::Key_Home:
            if (control) view_.ScrollTo(0);
            view_.SetCursor(page_, GridCell{cursor.grid, control ? 0 : cursor.row, 0});
            return;
        case Qt::Key_End:
            if (control) view_.ScrollTo(INT64_MAX);
            view_.SetCursor(
                page_,
                GridCell{cursor.grid, control ? EditorView::kRows - 1 : cursor.row, Columns() - 1});
            return;
        case Qt::Key_Escape:
            view_.CancelEntry();
            return;
        case Qt::Key_Backspace:
            view_.TypeKey(page_, U'\b');
            return;
        case Qt::Key_Menu:
            emit PopupRequested(mapToGlobal(CellRect(cursor.row, cursor.column).center()));
            return;
        default:
            break;
    }
    bool taken = false;
    for (char32_t key : event->text().toUcs4())
        taken = view_.TypeKey(page_, key) != EditResult::Ignored || taken;
    if (!taken) QWidget::keyPressEvent(event);
}

void EditorGridWidget::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    // The grid that has the focus holds the cursor, on the same byte.
    if (view_.Cursor(page_).grid != grid_) view_.SwitchGrid(page_, grid_);
    update();
}

void EditorGridWidget::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    // A cell left half-typed is not written; the popup menu leaves it standing.
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
        view_.CancelEntry();
    update();
}

}  // namespace burnmark
