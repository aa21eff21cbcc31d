#include "catalogue/ui/current_page_form.h"

#include <qdrawutil.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QIconEngine>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace burnmark {

namespace {

QFont FormFont() {
    // Stands in for "Times New Roman".
    QFont font(QStringLiteral("Liberation Serif"));
    font.setPixelSize(13);
    return font;
}

// Captions and lines are for the eye; values are bytes that travel to the
// programmer one character per word, so they keep one byte per character.
QString Shown(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
QString ValueText(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
std::string ValueBytes(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// The OK and Cancel glyphs, drawn at whatever size and pixel ratio the button asks.
class GlyphEngine : public QIconEngine {
public:
    enum class Glyph { Check, Cross };
    explicit GlyphEngine(Glyph glyph) : glyph_(glyph) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        QColor colour = glyph_ == Glyph::Check ? QColor(0, 128, 0) : QColor(176, 0, 0);
        if (mode == QIcon::Disabled) colour = QColor(150, 150, 150);
        const qreal side = std::min(rect.width(), rect.height());
        const QRectF box(rect.x() + (rect.width() - side) / 2.0,
                         rect.y() + (rect.height() - side) / 2.0, side, side);
        painter->setPen(QPen(colour, side * 0.16, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        auto at = [&](qreal x, qreal y) {
            return QPointF(box.x() + x * box.width(), box.y() + y * box.height());
        };
        QPainterPath path;
        if (glyph_ == Glyph::Check) {
            path.moveTo(at(0.14, 0.55));
            path.lineTo(at(0.40, 0.80));
            path.lineTo(at(0.86, 0.22));
        } else {
            path.moveTo(at(0.22, 0.22));
            path.lineTo(at(0.78, 0.78));
            path.moveTo(at(0.78, 0.22));
            path.lineTo(at(0.22, 0.78));
        }
        painter->drawPath(path);
        painter->restore();
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        QPixmap picture(QSize(static_cast<int>(std::ceil(size.width() * scale)),
                              static_cast<int>(std::ceil(size.height() * scale))));
        picture.fill(Qt::transparent);
        {
            QPainter painter(&picture);
            paint(&painter, QRect(QPoint(0, 0), picture.size()), mode, state);
        }
        picture.setDevicePixelRatio(scale);
        return picture;
    }
    QIconEngine* clone() const override { return new GlyphEngine(glyph_); }

private:
    Glyph glyph_;
};

// HexKeyPress and DecKeyPress on a value field: a rejected key is dropped,
// a lower-case hex letter goes in as a capital. Keys without a character
// (cursor keys, deletion, shortcuts) are the field's own.
class ValueKeyFilter : public QObject {
public:
    ValueKeyFilter(ValueForm form, QObject* parent) : QObject(parent), form_(form) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.size() != 1 || text[0].unicode() < 0x20 || text[0].unicode() == 0x7F) return false;
        const char16_t typed = text[0].unicode();
        const char ch = typed < 0x80 ? static_cast<char>(typed) : '\0';
        const char taken = ch == '\0'                ? '\0'
                           : form_ == ValueForm::Hex ? HexKeyPress(ch)
                                                     : DecKeyPress(ch);
        if (taken == ch) return false;
        if (taken != '\0') {
            if (auto* edit = qobject_cast<QLineEdit*>(watched)) edit->insert(QString(QChar(taken)));
        }
        return true;
    }

private:
    ValueForm form_;
};

}  // namespace

// One component of the option pages: the control made for it on its page,
// bound to its value in the core.
class TComponentDefault {
public:
    TComponentDefault(OptionPages& pages, std::size_t index, QWidget* sheet)
        : pages_(pages), index_(index) {
        const OptionComponent& c = pages.Component(index);
        switch (c.Kind) {
            case OptionKind::CheckBox:
                MakeCheckBox(c, sheet);
                break;
            case OptionKind::RadioGroup:
                MakeRadioGroup(c, sheet);
                break;
            case OptionKind::ValueField:
                MakeValueField(c, sheet);
                break;
            case OptionKind::Explanation:
                MakeExplanation(c, sheet);
                break;
            case OptionKind::Other:
                break;
        }
    }

    QWidget* Control() const { return control_; }

private:
    void MakeCheckBox(const OptionComponent& c, QWidget* sheet) {
        auto* box = new QCheckBox(Shown(c.Caption), sheet);
        box->setObjectName(QStringLiteral("Page%1Com%2").arg(c.Page).arg(c.Index));
        const int width =
            std::min<int>(20 * static_cast<int>(box->text().size()), kMaxOptionPixels);
        box->setGeometry(c.Left, c.Top, width, 17);
        box->setChecked(pages_.Checked(index_));
        QObject::connect(box, &QCheckBox::toggled,
                         [this](bool ticked) { pages_.SetChecked(index_, ticked); });
        control_ = box;
    }

    void MakeRadioGroup(const OptionComponent& c, QWidget* sheet) {
        auto* group = new QGroupBox(Shown(c.Caption), sheet);
        group->setObjectName(QStringLiteral("Page%1Com%2").arg(c.Page).arg(c.Index));
        group->setGeometry(c.Left, c.Top, c.Width, c.Height);
        auto* buttons = new QButtonGroup(group);
        // Items fill the columns top to bottom, one column after the other.
        const int count = static_cast<int>(c.Items.size());
        const int columns = std::clamp(c.Columns, 1, std::max(1, count));
        const int perColumn = count == 0 ? 1 : (count + columns - 1) / columns;
        const int top = group->fontMetrics().height() + 2;
        const int columnWidth = std::max(1, (c.Width - 8) / columns);
        const int rowHeight = std::max(1, (c.Height - top - 4) / perColumn);
        for (int i = 0; i < count; ++i) {
            auto* item = new QRadioButton(Shown(c.Items[static_cast<std::size_t>(i)]), group);
            item->setGeometry(4 + (i / perColumn) * columnWidth, top + (i % perColumn) * rowHeight,
                              columnWidth, std::min(rowHeight, item->sizeHint().height() + 2));
            buttons->addButton(item, i);
        }
        if (QAbstractButton* chosen = buttons->button(pages_.Chosen(index_)))
            chosen->setChecked(true);
        QObject::connect(buttons, &QButtonGroup::idClicked,
                         [this](int item) { pages_.SetChosen(index_, item); });
        control_ = group;
    }

    void MakeValueField(const OptionComponent& c, QWidget* sheet) {
        auto* label = new QLabel(
            Shown(c.Caption) + QString::fromLatin1(ValueTypeRuleOf(c.ValueType).suffix), sheet);
        auto* edit = new QLineEdit(sheet);
        edit->setObjectName(QStringLiteral("Page%1Com%2").arg(c.Page).arg(c.Index));
        label->adjustSize();
        const int editHeight = edit->sizeHint().height();
        edit->setGeometry(c.Left + label->width() + 4, c.Top, c.Width, editHeight);
        label->move(c.Left, c.Top + (editHeight - label->height()) / 2);
        label->setBuddy(edit);
        if (c.IsText()) edit->setMaxLength(static_cast<int>(kMaxOptionTextChars));
        if (c.Form == ValueForm::Decimal || c.Form == ValueForm::Hex)
            edit->installEventFilter(new ValueKeyFilter(c.Form, edit));
        edit->setText(ValueText(pages_.Text(index_)));
        // EditChange: the core says what the field keeps; setting that text is
        // a change of its own, which the core then leaves as it is.
        QObject::connect(edit, &QLineEdit::textChanged, [this, edit](const QString& text) {
            const QString kept = ValueText(pages_.SetText(index_, ValueBytes(text)));
            if (kept != text) edit->setText(kept);
        });
        control_ = edit;
    }

    void MakeExplanation(const OptionComponent& c, QWidget* sheet) {
        auto* memo = new QPlainTextEdit(sheet);
        memo->setObjectName(QStringLiteral("Page%1Com%2").arg(c.Page).arg(c.Index));
        memo->setGeometry(c.Left, c.Top, c.Width, c.Height);
        memo->setReadOnly(true);
        memo->setLineWrapMode(QPlainTextEdit::NoWrap);
        memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        QPalette palette = memo->palette();
        for (QPalette::ColorGroup group :
             {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            palette.setColor(group, QPalette::Base, Qt::black);
            palette.setColor(group, QPalette::Text, QColor(0x00, 0xFF, 0x00));
        }
        memo->setPalette(palette);
        QStringList lines;
        for (const std::string& line : c.Lines) lines << Shown(line);
        memo->setPlainText(lines.join(QLatin1Char('\n')));
        control_ = memo;
    }

    OptionPages& pages_;
    std::size_t index_;
    QWidget* control_ = nullptr;
};

TCurrentPageForm::TCurrentPageForm(OptionPages& pages, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      pages_(pages) {
    setObjectName(QStringLiteral("CurrentPageForm"));
    BuildLayout();
    // InitVerifyListCheck.
    checkList_->setChecked(pages_.VerifyList());
    connect(checkList_, &QCheckBox::toggled, this,
            [this](bool ticked) { pages_.SetVerifyList(ticked); });
}

TCurrentPageForm::~TCurrentPageForm() {
    // The controls go before the components they report to.
    delete tabbedNotebook_;
}

void TCurrentPageForm::BuildLayout() {
    setFixedSize(kClientWidth, kClientHeight);
    setFont(FormFont());
    setWindowTitle(QStringLiteral("None"));

    tabbedNotebook_ = new QTabWidget(this);
    tabbedNotebook_->setObjectName(QStringLiteral("TabbedNotebook1"));
    tabbedNotebook_->setGeometry(0, 1, 537, 313);
    auto* devicePage = new QWidget;
    devicePage->setObjectName(QStringLiteral("Device Option"));
    tabbedNotebook_->addTab(devicePage, QStringLiteral("Device Option"));
    mainPageControl_ = new QTabWidget(devicePage);
    mainPageControl_->setObjectName(QStringLiteral("MainPageControl"));
    // The notebook's page frames the option pages; they fill it.
    auto* fill = new QVBoxLayout(devicePage);
    fill->setContentsMargins(4, 4, 4, 4);
    fill->addWidget(mainPageControl_);

    buttonPanel_ = new QFrame(this);
    buttonPanel_->setObjectName(QStringLiteral("ButtonPanel"));
    buttonPanel_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    buttonPanel_->setLineWidth(1);
    buttonPanel_->setGeometry(2, 314, 535, 63);

    okButton_ = new QPushButton(QStringLiteral("OK"), buttonPanel_);
    okButton_->setObjectName(QStringLiteral("OKBitBtn"));
    okButton_->setGeometry(404, 12, 75, 33);
    okButton_->setIcon(QIcon(new GlyphEngine(GlyphEngine::Glyph::Check)));
    okButton_->setDefault(true);
    okButton_->setAutoDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &TCurrentPageForm::OKBitBtnClick);

    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), buttonPanel_);
    cancelButton_->setObjectName(QStringLiteral("BitBtn2"));
    cancelButton_->setGeometry(296, 12, 75, 33);
    cancelButton_->setIcon(QIcon(new GlyphEngine(GlyphEngine::Glyph::Cross)));
    cancelButton_->setAutoDefault(false);
    connect(cancelButton_, &QPushButton::clicked, this, &TCurrentPageForm::BitBtn2Click);

    checkList_ =
        new QCheckBox(QStringLiteral("Verify Error List (Only for MPU and Memory)"), buttonPanel_);
    checkList_->setObjectName(QStringLiteral("check_list"));
    checkList_->setGeometry(16, 20, std::max(249, checkList_->sizeHint().width()), 17);
}

void TCurrentPageForm::LoadOptionPages() { BuildOptionPages(); }

void TCurrentPageForm::BuildOptionPages() {
    const OptionLayout& layout = pages_.Layout();
    setWindowTitle(Shown(layout.Caption));
    for (const OptionPage& page : layout.Pages) {
        auto* sheet = new QWidget;
        sheet->setObjectName(QStringLiteral("Page%1").arg(page.Number));
        sheet->setAutoFillBackground(true);
        mainPageControl_->addTab(sheet, Shown(page.Caption));
        for (std::size_t i = page.FirstComponent; i < page.FirstComponent + page.ComponentCount;
             ++i)
            components_.push_back(std::make_unique<TComponentDefault>(pages_, i, sheet));
    }
}

QWidget* TCurrentPageForm::ControlOf(std::size_t component) const {
    return component < components_.size() ? components_[component]->Control() : nullptr;
}

void TCurrentPageForm::OKBitBtnClick() {
    if (working_) return;
    // A wrong value is said with the pages as they are, and its field gets the focus.
    if (const std::optional<std::size_t> wrong = pages_.FirstWrongValue()) {
        pages_.ValidateOptionComponents();
        QWidget* control = ControlOf(*wrong);
        for (int i = 0; control && i < mainPageControl_->count(); ++i)
            if (mainPageControl_->widget(i)->isAncestorOf(control))
                mainPageControl_->setCurrentIndex(i);
        if (control) control->setFocus();
        return;
    }
    // The programmer work runs while the window is still up, so that the main
    // window takes no input meanwhile; the window's own controls wait too.
    working_ = true;
    tabbedNotebook_->setEnabled(false);
    buttonPanel_->setEnabled(false);
    const bool closing = pages_.OKBitBtnClick();
    tabbedNotebook_->setEnabled(true);
    buttonPanel_->setEnabled(true);
    working_ = false;
    if (closing) QDialog::accept();
}

void TCurrentPageForm::BitBtn2Click() { reject(); }

void TCurrentPageForm::reject() {
    if (working_) return;
    pages_.BitBtn2Click();
    QDialog::reject();
}

void TCurrentPageForm::closeEvent(QCloseEvent* event) {
    if (working_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TCurrentPageForm::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // A borderless window still needs an edge against what lies behind it.
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), palette(), false);
}

int ShowOptionWindow(QWidget& mainForm, OptionPages& pages) {
    TCurrentPageForm form(pages, &mainForm);
    QPoint at = mainForm.pos();
    auto* copyPanel = mainForm.findChild<QWidget*>(QStringLiteral("Copy_Panel"));
    if (pages.Choice() == OptionWindowChoice::Pages) {
        form.LoadOptionPages();
        at += QPoint(6, 50);
    } else if (pages.Choice() == OptionWindowChoice::PagelessOverCopy && copyPanel) {
        at += copyPanel->mapTo(&mainForm, QPoint(0, 0));
    } else {
        at += QPoint(8, 52);
    }
    form.move(at);
    // Modal from the start, so that the notice of a cut definition already
    // finds the main window blocked.
    form.setWindowModality(Qt::ApplicationModal);
    form.show();
    pages.AnnounceCuts();
    form.exec();
    return form.Result();
}

}  // namespace burnmark
