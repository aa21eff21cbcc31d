#include "operations/ui/verify_error_window.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <algorithm>
#include <array>

namespace burnmark {

namespace {

TVerify_error* g_verifyError = nullptr;

constexpr std::array<int, kVerifyListColumns> kListWidths = {32, 74, 82, 2, 75, 69};
constexpr std::array<int, kBitViewColumns> kBitWidths = {31, 2,  48, 2,  30, 2, 10, 11, 10,
                                                         11, 10, 11, 11, 11, 2, 10, 10, 11,
                                                         11, 12, 10, 11, 12, 2, 20, 20};
constexpr int kListRowHeight = 21;
constexpr int kBitRowHeight = 26;
// Where the window comes up, from the Copy page's top left corner.
const QPoint kOverCopyPage(150, 85);

// Liberation Sans stands in for "MS Sans Serif", whose narrower letters the
// column widths and the bit-view caption were measured for: the grids take the
// size whose digits fit the 48-pixel address and 10-pixel bit columns, the
// caption the size whose letters line up over the bit columns.
constexpr int kFormPixels = 14;
constexpr int kGridPixels = 11;
constexpr int kBitCaptionPixels = 12;

QFont FormFont(int pixels, bool bold = false) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// A string grid's cell: the text two pixels in from the left, cut at the cell's
// edge rather than elided, since the bit columns are barely wider than a digit.
class GridCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem cell(option);
        initStyleOption(&cell, index);
        const QString text = cell.text;
        cell.text.clear();
        cell.state &= ~QStyle::State_HasFocus;
        const QStyle* style = cell.widget ? cell.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);
        painter->save();
        painter->setClipRect(cell.rect);
        painter->setFont(cell.font);
        painter->setPen(cell.palette.color(
            cell.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(cell.rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
        painter->restore();
    }
};

QFrame* MakePanel(const char* name, QWidget* parent, QRect geometry) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    panel->setGeometry(geometry);
    return panel;
}

QLabel* MakeLabel(const char* name, const char* caption, QWidget* parent, QPoint at,
                  int pixels = kFormPixels) {
    auto* label = new QLabel(QString::fromLatin1(caption), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(FormFont(pixels, true));
    label->move(at);
    label->adjustSize();
    return label;
}

}  // namespace

// The cells of one of the window's grids, read from the list model. The list's
// heading row is the grid's header, so that it stays while the rows scroll;
// the bit view's heading row and name column are cells drawn as fixed ones.
class VerifyGridCells : public QAbstractTableModel {
public:
    enum class Grid { List, Bits };

    VerifyGridCells(const VerifyErrorListModel& model, Grid grid, QObject* parent)
        : QAbstractTableModel(parent), model_(model), grid_(grid) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        if (parent.isValid()) return 0;
        return grid_ == Grid::List ? kVerifyErrorRows : kBitViewRows;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        if (parent.isValid()) return 0;
        return grid_ == Grid::List ? kVerifyListColumns : kBitViewColumns;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        if (role == Qt::DisplayRole) return QString::fromStdString(Cell(index));
        if (role == Qt::BackgroundRole && grid_ == Grid::Bits &&
            (index.row() == 0 || index.column() == 0))
            return QApplication::palette().button();
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (grid_ == Grid::List && orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return QString::fromStdString(model_.ListCell(section, 0));
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid()) return Qt::NoItemFlags;
        return grid_ == Grid::List ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::ItemIsEnabled;
    }

    // Grid rows of the list model (the list's heading row is 0 there).
    void Refresh(int first, int last) {
        if (grid_ == Grid::List) {
            first = std::max(first - 1, 0);
            last = std::min(last - 1, kVerifyErrorRows - 1);
        }
        if (first > last) return;
        emit dataChanged(index(first, 0), index(last, columnCount() - 1), {Qt::DisplayRole});
    }

private:
    const std::string& Cell(const QModelIndex& index) const {
        return grid_ == Grid::List ? model_.ListCell(index.column(), index.row() + 1)
                                   : model_.BitCell(index.column(), index.row());
    }

    const VerifyErrorListModel& model_;
    Grid grid_;
};

TVerify_error::TVerify_error(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("Verify_error"));
    setWindowTitle(QStringLiteral("Verify Error List"));
    setFixedSize(kClientWidth, kClientHeight);
    setFont(FormFont(kFormPixels));
    BuildLayout();
    model_.SetView(this);
    PlaceOverCopyPage();
    g_verifyError = this;
}

TVerify_error::~TVerify_error() {
    model_.SetView(nullptr);
    if (g_verifyError == this) g_verifyError = nullptr;
}

TVerify_error* Verify_error() { return g_verifyError; }

void TVerify_error::BuildLayout() {
    QFrame* message = MakePanel("verify_message", this, QRect(0, 0, kClientWidth, kClientHeight));

    QLabel* title = MakeLabel("Label2", "Verify Error List ", message, QPoint(10, 10));
    QPalette navy = title->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    title->setPalette(navy);

    auto* delegate = new GridCellDelegate(this);

    errorCells_ = new VerifyGridCells(model_, VerifyGridCells::Grid::List, this);
    errorGrid_ = new QTableView(message);
    errorGrid_->setObjectName(QStringLiteral("Verify_Error_List"));
    errorGrid_->setGeometry(10, 37, 444, 221);
    errorGrid_->setFont(FormFont(kGridPixels));
    errorGrid_->setModel(errorCells_);
    errorGrid_->setItemDelegate(delegate);
    errorGrid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    errorGrid_->setSelectionMode(QAbstractItemView::SingleSelection);
    errorGrid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    errorGrid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    errorGrid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    errorGrid_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    errorGrid_->verticalHeader()->hide();
    errorGrid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    errorGrid_->verticalHeader()->setMinimumSectionSize(1);
    errorGrid_->verticalHeader()->setDefaultSectionSize(kListRowHeight);
    QHeaderView* headings = errorGrid_->horizontalHeader();
    headings->setMinimumSectionSize(1);
    headings->setSectionResizeMode(QHeaderView::Fixed);
    headings->setStretchLastSection(false);
    headings->setHighlightSections(false);
    headings->setSectionsClickable(false);
    headings->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    headings->setTextElideMode(Qt::ElideNone);
    headings->setFixedHeight(kListRowHeight);
    for (int column = 0; column < kVerifyListColumns; ++column)
        errorGrid_->setColumnWidth(column, kListWidths[column]);
    errorGrid_->setCurrentIndex(errorCells_->index(0, 0));
    connect(errorGrid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!selecting_ && current.isValid())
                    ListCellChosen(current.column(), current.row() + 1);
            });
    connect(errorGrid_, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) ListCellChosen(index.column(), index.row() + 1);
    });

    MakeLabel("Label1", "Item  Address  HEX  F E D C B A 9 8  7 6 5 4 3  2 1 0   ASCII ", message,
              QPoint(17, 266), kBitCaptionPixels);

    bitCells_ = new VerifyGridCells(model_, VerifyGridCells::Grid::Bits, this);
    bitGrid_ = new QTableView(message);
    bitGrid_->setObjectName(QStringLiteral("Check_Different"));
    bitGrid_->setGeometry(10, 292, 444, 86);
    bitGrid_->setFont(FormFont(kGridPixels));
    bitGrid_->setModel(bitCells_);
    bitGrid_->setItemDelegate(delegate);
    bitGrid_->setSelectionMode(QAbstractItemView::NoSelection);
    bitGrid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    bitGrid_->setFocusPolicy(Qt::NoFocus);
    bitGrid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    bitGrid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    bitGrid_->horizontalHeader()->hide();
    bitGrid_->verticalHeader()->hide();
    bitGrid_->horizontalHeader()->setMinimumSectionSize(1);
    bitGrid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    bitGrid_->verticalHeader()->setMinimumSectionSize(1);
    bitGrid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    bitGrid_->verticalHeader()->setDefaultSectionSize(kBitRowHeight);
    for (int column = 0; column < kBitViewColumns; ++column)
        bitGrid_->setColumnWidth(column, kBitWidths[column]);

    exit_ = new QPushButton(QStringLiteral("&Exit"), message);
    exit_->setObjectName(QStringLiteral("BitBtn2"));
    exit_->setGeometry(362, 389, 92, 44);
    connect(exit_, &QPushButton::clicked, this, &TVerify_error::BitBtn2Click);

    // Thin raised edges along the top and the left.
    MakePanel("Panel1", message, QRect(0, 0, kClientWidth, 3));
    MakePanel("Panel3", message, QRect(0, 0, 3, kClientHeight));
}

void TVerify_error::PlaceOverCopyPage() {
    QWidget* mainWindow = parentWidget();
    if (!mainWindow) return;
    const QWidget* page = mainWindow->findChild<QWidget*>(QStringLiteral("Copy_Panel"));
    move(page ? page->mapToGlobal(kOverCopyPage) : mainWindow->mapToGlobal(kOverCopyPage));
}

void TVerify_error::ListCellChosen(int column, int gridRow) {
    model_.Verify_Error_ListSelectCell(column, gridRow);
    model_.Verify_Error_ListDblClick();
}

void TVerify_error::BitBtn2Click() { close(); }

void TVerify_error::closeEvent(QCloseEvent* event) {
    model_.WindowClosed();
    QWidget::closeEvent(event);
}

void TVerify_error::ListRowsChanged(int first, int last) { errorCells_->Refresh(first, last); }

void TVerify_error::BitViewChanged() { bitCells_->Refresh(0, kBitViewRows - 1); }

void TVerify_error::SelectionChanged() {
    const int row = model_.SelectedErrorRow() - 1;
    if (row < 0 || row >= kVerifyErrorRows) return;
    selecting_ = true;
    errorGrid_->setCurrentIndex(errorCells_->index(row, 0));
    errorGrid_->scrollTo(errorCells_->index(row, 0));
    selecting_ = false;
}

void TVerify_error::BringUp() {
    if (!isVisible()) {
        // The main window may have been moved since the list was last up.
        PlaceOverCopyPage();
        show();
    }
    raise();
}

}  // namespace burnmark
