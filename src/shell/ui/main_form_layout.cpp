// What the main window is made of: the background, the pages' panels, the
// picture buttons of the top bar, the Copy page, the Edit area and the
// Create, Utility and Project pages, the tick boxes, displays and lamps, each
// in its place, and the command each button runs. The window's behaviour (its
// lifecycle, page switching, exit, dragging and the skin workers) is in
// main_form.cpp.
#include "shell/ui/main_form.h"

#include <QCheckBox>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QScreen>
#include <QTableWidget>
#include <iterator>
#include <string_view>
#include <utility>

#include "shell/project_list.h"
#include "shell/ui/app_composition.h"
#include "shell/ui/skin_pictures.h"
#include "widgets/ui/aled.h"
#include "widgets/ui/image_control.h"
#include "widgets/ui/image_stack.h"

namespace burnmark {

namespace {

QFont FormFont() {
    // Stands in for "MS Sans Serif" 8.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    return font;
}

QFrame* MakePanel(const char* name, QWidget* parent, QRect geometry) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setGeometry(geometry);
    return panel;
}

// A panel that only holds pictures: they draw their own edges.
QFrame* MakeBarePanel(const char* name, QWidget* parent, QRect geometry) {
    QFrame* panel = MakePanel(name, parent, geometry);
    panel->setFrameShape(QFrame::NoFrame);
    return panel;
}

ImageControl* MakeImage(const char* name, QWidget* parent, QRect geometry) {
    auto* image = new ImageControl(QString::fromLatin1(name), parent);
    image->setGeometry(geometry);
    return image;
}

// A caption under a picture button that runs the same command.
ImageControl* MakeLabel(const char* name, const char* caption, QWidget* parent, QRect geometry,
                        QColor colour) {
    ImageControl* label = MakeImage(name, parent, geometry);
    label->setText(QString::fromLatin1(caption));
    label->setAlignment(Qt::AlignCenter);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(10);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

const QColor kBarCaption(0xc9, 0xd6, 0xea);
const QColor kPageCaption(0x33, 0x42, 0x58);

ImageControl* AddLayer(ImageStack* stack, const QString& name, const ButtonFace& face,
                       SkinLook look) {
    ImageControl* layer = stack->AddLayer(name);
    layer->SetPicture(ButtonPictureSource(face, look));
    return layer;
}

// A stacked button: the pressed, highlighted and normal pictures, bottom to top.
ImageStack* MakeStack(const char* name, QWidget* parent, QRect geometry, const ButtonFace& face,
                      const char* downName = nullptr) {
    const QString base = QString::fromLatin1(name);
    auto* stack = new ImageStack(base + QStringLiteral("_Stack"), parent);
    stack->setGeometry(geometry);
    AddLayer(stack, downName ? QString::fromLatin1(downName) : base + QStringLiteral("_Down"), face,
             SkinLook::Pressed);
    AddLayer(stack, base + QStringLiteral("_Hint"), face, SkinLook::Highlight);
    AddLayer(stack, base, face, SkinLook::Normal);
    stack->SetHandCursor(true);
    return stack;
}

// The Create and Utility pages' buttons: the named picture over a plain one
// that carries the click.
ImageStack* MakePlainStack(const char* top, const char* lower, QWidget* parent, QRect geometry,
                           const ButtonFace& face) {
    auto* stack = new ImageStack(QString::fromLatin1(top) + QStringLiteral("_Stack"), parent);
    stack->setGeometry(geometry);
    AddLayer(stack, QString::fromLatin1(lower), face, SkinLook::Highlight);
    AddLayer(stack, QString::fromLatin1(top), face, SkinLook::Normal);
    return stack;
}

// A single picture with hover and press looks only: the page below it shows
// its highlight while the picture is hidden.
ImageStack* MakeSingle(const char* name, QWidget* parent, QRect geometry, const ButtonFace& face) {
    auto* stack = new ImageStack(QString::fromLatin1(name) + QStringLiteral("_Stack"), parent);
    stack->setGeometry(geometry);
    AddLayer(stack, QString::fromLatin1(name), face, SkinLook::Normal);
    return stack;
}

ImageControl* Layer(QWidget* root, const char* name) {
    return root->findChild<ImageControl*>(QString::fromLatin1(name));
}

QCheckBox* MakeCheckBox(const char* name, const char* caption, QWidget* parent, QRect geometry,
                        bool checked) {
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    box->setChecked(checked);
    return box;
}

// Displays keep their look while the window is busy; only commands grey out.
void KeepLookWhenDisabled(QWidget* widget) {
    QPalette palette = widget->palette();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto r = static_cast<QPalette::ColorRole>(role);
        palette.setBrush(QPalette::Disabled, r, palette.brush(QPalette::Active, r));
    }
    widget->setPalette(palette);
}

}  // namespace

std::function<void()> TMainForm::Command(std::function<void()> MainFormSeams::*seam) {
    return [this, seam] {
        if (seams_.*seam) (seams_.*seam)();
    };
}

void TMainForm::BuildLayout() {
    setFixedSize(kClientWidth, kClientHeight);
    setFont(FormFont());
    setCursor(Qt::SizeAllCursor);

    main_ = MakeImage("Main", this, QRect(0, 0, kClientWidth, kClientHeight));
    main_->setAutoFillBackground(true);
    main_->setMouseTracking(true);
    connect(main_, &ImageControl::MouseDown, this,
            [this](Qt::MouseButton b, QPoint p, QPoint) { MainMouseDown(b, p); });
    connect(main_, &ImageControl::MouseMove, this,
            [this](Qt::MouseButtons b, QPoint p, QPoint g) { MainMouseMove(b, p, g); });

    BuildTopBar();

    // Pages. The Create, Utility and Project panels are laid out but never shown.
    createPanel_ = MakeBarePanel("Create_Panel", main_, QRect(40, 455, 536, 366));
    copyPanel_ = MakeBarePanel("Copy_Panel", main_, QRect(8, 53, 536, 377));
    copyPanel_->hide();
    utilityPanel_ = MakeBarePanel("Utility_Panel", main_, QRect(32, 463, 536, 365));
    utilityPanel_->hide();
    projectPanel_ = MakeBarePanel("Project_Panel", main_, QRect(-1, 455, 538, 365));
    projectPanel_->hide();
    dumpEditPanel_ = MakeBarePanel("DumpEdit_Panel", main_, QRect(56, 503, 537, 378));
    dumpEditPanel_->hide();
    const std::pair<const char*, QWidget*> pages[] = {{"Create_Page", createPanel_},
                                                      {"Copy_Page", copyPanel_},
                                                      {"Utility_Page", utilityPanel_},
                                                      {"Project_Page", projectPanel_},
                                                      {"Edit_Page", dumpEditPanel_}};
    const SkinPage looks[] = {SkinPage::Create, SkinPage::Copy, SkinPage::Utility,
                              SkinPage::Project, SkinPage::Edit};
    for (std::size_t i = 0; i < std::size(pages); ++i) {
        ImageControl* page = MakeImage(pages[i].first, pages[i].second, pages[i].second->rect());
        page->SetPicture(PageBackgroundSource(looks[i]));
        page->setMouseTracking(true);
        connect(
            page, &ImageControl::MouseMove, this,
            [this, page](Qt::MouseButtons, QPoint, QPoint) { SkinMouse(*page, SkinEvent::Move); });
    }

    BuildCopyPage();
    BuildEditArea();
    BuildCreatePage();
    BuildUtilityPage();
    BuildProjectPage();

    // Centred on the screen.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
    }
}

void TMainForm::BuildTopBar() {
    sLogo_ = MakeImage("SLogo", main_, QRect(8, 4, 140, 44));
    main_->SetPicture(MainBackgroundSource([this] { return sLogo_->isHidden(); }));

    struct TopButton {
        const char* name;
        SkinGlyph glyph;
        int x;
        const char* hint;
        const char* label;
        const char* caption;
        QRect captionPlace;
    };
    const TopButton buttons[] = {
        {"Multi", SkinGlyph::Parameters, 388, "Device Parameter", "parameter", "Parameters",
         QRect(378, 36, 60, 14)},
        {"Help", SkinGlyph::About, 444, "Help", "Label23", "About", QRect(444, 36, 40, 14)},
        {"Exit", SkinGlyph::Exit, 500, "Exit", "Label24", "Exit", QRect(500, 36, 40, 14)},
    };
    const std::function<void()> commands[] = {Command(&MainFormSeams::MultiClick),
                                              Command(&MainFormSeams::HelpClick),
                                              [this] { ExitClick(); }};
    for (std::size_t i = 0; i < std::size(buttons); ++i) {
        const TopButton& b = buttons[i];
        ImageStack* stack = MakeStack(b.name, main_, QRect(b.x, 6, 40, 30),
                                      ButtonFace{b.glyph, {}, SkinTone::Glass});
        stack->SetCommand(commands[i]);
        Layer(stack, (std::string(b.name) + "_Hint").c_str())
            ->setToolTip(QString::fromLatin1(b.hint));
        ImageControl* label = MakeLabel(b.label, b.caption, main_, b.captionPlace, kBarCaption);
        connect(label, &ImageControl::Clicked, this, commands[i]);
    }
}

void TMainForm::BuildCopyPage() {
    // Copy page, in its own coordinates: the source steps down the left, the
    // operation steps in a row, the checksum and the step's progress below.
    MakePanel("CopyTypeBtn", copyPanel_, QRect(8, 8, 64, 56));
    MakePanel("Panel7", copyPanel_, QRect(8, 72, 64, 56));
    MakePanel("Panel9", copyPanel_, QRect(8, 136, 64, 56));
    MakePanel("Panel8", copyPanel_, QRect(8, 200, 64, 56));
    const char* operationSteps[] = {"CopyReadBtn",    "CopyEraseBtn",  "CopyCheckBtn",
                                    "CopyProgramBtn", "CopyVerifyBtn", "CopySecurityBtn",
                                    "CopyConfirmBtn"};
    int x = 84;
    for (const char* step : operationSteps) {
        MakePanel(step, copyPanel_, QRect(x, 120, 56, 72));
        x += 60;
    }
    MakeCheckBox("check_confirm", "Confirm", copyPanel_, QRect(444, 194, 80, 16), true);
    sumEdit_ = new QLineEdit(copyPanel_);
    sumEdit_->setObjectName(QStringLiteral("SumEdit"));
    sumEdit_->setGeometry(84, 215, 90, 20);
    sumEdit_->setReadOnly(true);
    KeepLookWhenDisabled(sumEdit_);
    progressBar21_ = new QProgressBar(copyPanel_);
    progressBar21_->setObjectName(QStringLiteral("ProgressBar21"));
    progressBar21_->setGeometry(84, 250, 320, 14);
    progressBar21_->setRange(0, 100);
    progressBar21_->setTextVisible(false);
    KeepLookWhenDisabled(progressBar21_);

    // The tick boxes in one row at y 336; CheckBox3 lies on the Copy page.
    const QRect row(0, 336, 76, 18);
    tickBoxes_[TickErase] = MakeCheckBox("CheckBox1", "Erase", main_, row.translated(64, 0), true);
    tickBoxes_[TickBlank] = MakeCheckBox("CheckBox2", "Blank", main_, row.translated(144, 0), true);
    tickBoxes_[TickProgram] = MakeCheckBox("CheckBox3", "Program", copyPanel_,
                                           row.translated(224 - 8, -53), true);
    tickBoxes_[TickVerify] =
        MakeCheckBox("CheckBox4", "Verify", main_, row.translated(304, 0), true);
    tickBoxes_[TickProtect] =
        MakeCheckBox("CheckBox5", "Protect", main_, row.translated(384, 0), false);
    tickBoxes_[TickHiddenT] = MakeCheckBox("CheckBox11", "T", main_, row.translated(464, 0), false);
    tickBoxes_[TickHiddenT]->hide();
    connect(tickBoxes_[TickErase], &QCheckBox::clicked, this,
            [this] { state_.Run2LedFlag = state_.Run2LedFlag ? 0 : 1; });

    selectedType_ = new QListWidget(main_);
    selectedType_->setObjectName(QStringLiteral("SelectedType"));
    selectedType_->setGeometry(408, 115, 120, 36);
    selectedType_->addItems({QStringLiteral("None"), QStringLiteral("None")});
    KeepLookWhenDisabled(selectedType_);
    loadPathEdit_ = new QLineEdit(main_);
    loadPathEdit_->setObjectName(QStringLiteral("LoadPathEdit"));
    loadPathEdit_->setGeometry(240, 73, 160, 20);
    loadPathEdit_->setReadOnly(true);
    KeepLookWhenDisabled(loadPathEdit_);

    statusPanel_ = MakePanel("StatusPanel", main_, QRect(424, 268, 100, 56));
    for (const char* status : {"Fail", "Wait", "Pass"})
        MakeImage(status, statusPanel_, QRect(0, 0, 100, 56));
    KeepLookWhenDisabled(statusPanel_);

    progressBar2_ = new QProgressBar(main_);
    progressBar2_->setObjectName(QStringLiteral("ProgressBar2"));
    progressBar2_->setGeometry(64, 389, 340, 14);
    progressBar2_->setRange(0, 100);
    progressBar2_->setTextVisible(false);
    KeepLookWhenDisabled(progressBar2_);

    runPanel_ = MakeBarePanel("RunPanel", main_, QRect(490, 365, 56, 56));
    ImageStack* run = MakeStack("Run", runPanel_, QRect(0, 0, 56, 56),
                                ButtonFace{SkinGlyph::Run, QStringLiteral("Run"), SkinTone::Run});
    run->SetCommand(Command(&MainFormSeams::RunClick));
    Layer(run, "Run_Hint")->setToolTip(QStringLiteral("Run"));

    // Below the visible area and disabled in the form.
    runPanel2_ = MakeBarePanel("RunPanel2", main_, QRect(427, 442, 56, 38));
    MakeStack("Run2", runPanel2_, QRect(0, 0, 56, 38),
              ButtonFace{SkinGlyph::Run, QStringLiteral("Run"), SkinTone::Run})
        ->SetCommand(Command(&MainFormSeams::Run2Click));
    runPanel2_->setEnabled(false);
    const char* lamps[] = {"ErasePanel", "CheckPanel", "ProgramPanel", "VerifyPanel",
                           "SecurityPanel"};
    for (int i = 0; i < 5; ++i) {
        lampPanels_[i] = MakePanel(lamps[i], main_, QRect(64 + 48 * i, 442, 40, 38));
        lampPanels_[i]->setEnabled(false);
    }
    // The lamps of the second Run picture's sequence, beside its panel.
    for (auto [name, left] : {std::pair{"ReadALed", 304}, std::pair{"ConfirmALed", 328}}) {
        auto* lamp = new TALed(main_);
        lamp->setObjectName(QString::fromLatin1(name));
        lamp->move(left, 453);
    }

    // Stop lies beside the background, not on it, so that it stays usable
    // while everything else is disabled.
    stopPanel_ = MakeBarePanel("StopPanel", this, QRect(427, 365, 56, 56));
    ImageStack* stop =
        MakeStack("Stop", stopPanel_, QRect(0, 0, 56, 56),
                  ButtonFace{SkinGlyph::Stop, QStringLiteral("Stop"), SkinTone::Stop});
    stop->SetCommand([this] {
        // Counted before the handler runs, when the core lets it end a transfer.
        if (!core_ || core_->Core().AutoRun().StopMayCancelTransfer()) ++stopPresses_;
        if (seams_.StopClick) seams_.StopClick();
    });
    Layer(stop, "Stop_Hint")->setToolTip(QStringLiteral("Stop"));
}

void TMainForm::BuildEditArea() {
    // The command row under the buffer editor, in the Edit area's coordinates.
    struct EditButton {
        const char* name;
        SkinGlyph glyph;
        int x;
        const char* hint;  // on the top picture
        const char* label;
        const char* caption;
        std::function<void()> MainFormSeams::*command;
        bool hidden;
    };
    const EditButton buttons[] = {
        {"CheckSum", SkinGlyph::Sum, 12, "Check Sum", "Label20", "Sum",
         &MainFormSeams::CheckSumClick, false},
        {"Block", SkinGlyph::Block, 60, "Block Process", "Label22", "Block",
         &MainFormSeams::BlockClick, false},
        {"Fill", SkinGlyph::Fill, 108, "Fill Data", "Label26", "Fill", &MainFormSeams::FillClick,
         false},
        {"Find", SkinGlyph::Find, 156, nullptr, nullptr, nullptr, &MainFormSeams::FindClick, true},
        {"FindNext", SkinGlyph::FindNext, 204, nullptr, nullptr, nullptr,
         &MainFormSeams::FindNextClick, true},
    };
    for (const EditButton& b : buttons) {
        ImageStack* stack = MakeStack(b.name, dumpEditPanel_, QRect(b.x, 326, 40, 30),
                                      ButtonFace{b.glyph, {}, SkinTone::Plate});
        stack->SetCommand(Command(b.command));
        ImageControl* top = Layer(stack, b.name);
        // Disabled, so that a press reaches the picture below.
        top->setEnabled(false);
        if (b.hint) top->setToolTip(QString::fromLatin1(b.hint));
        if (b.hidden)
            for (ImageControl* layer : stack->Layers()) layer->hide();
        if (b.label) {
            ImageControl* label = MakeLabel(b.label, b.caption, dumpEditPanel_,
                                            QRect(b.x, 357, 40, 14), kPageCaption);
            connect(label, &ImageControl::Clicked, this, Command(b.command));
        }
    }
    // Two plates with looks only.
    MakeSingle("EditOk_Image", dumpEditPanel_, QRect(292, 330, 24, 24),
               ButtonFace{SkinGlyph::Chip, {}, SkinTone::Plate});
    MakeSingle("EditCancel_Image", dumpEditPanel_, QRect(322, 330, 24, 24),
               ButtonFace{SkinGlyph::BugList, {}, SkinTone::Plate});

    ImageStack* ok = MakeStack("v", dumpEditPanel_, QRect(436, 326, 40, 30),
                               ButtonFace{SkinGlyph::Ok, {}, SkinTone::Plate});
    ok->SetCommand(Command(&MainFormSeams::EditOkClick));
    ImageControl* okLabel =
        MakeLabel("Label27", "Ok", dumpEditPanel_, QRect(436, 357, 40, 14), kPageCaption);
    connect(okLabel, &ImageControl::Clicked, this, Command(&MainFormSeams::EditOkClick));
    ImageStack* cancel = MakeStack("x", dumpEditPanel_, QRect(484, 326, 40, 30),
                                   ButtonFace{SkinGlyph::Cancel, {}, SkinTone::Plate}, "x_DOWN");
    for (ImageControl* layer : cancel->Layers()) layer->hide();
}

void TMainForm::BuildCreatePage() {
    struct CreateButton {
        const char* top;
        const char* lower;
        SkinGlyph glyph;
        const char* label;
        std::function<void()> MainFormSeams::*command;
    };
    const CreateButton buttons[] = {
        {"CreateType", "Image14", SkinGlyph::Chip, "Type", &MainFormSeams::Image14Click},
        {"CreateLoad", "Image15", SkinGlyph::Load, "Load", &MainFormSeams::Image15Click},
        {"CreateErase", "Image16", SkinGlyph::Erase, "Erase", nullptr},
        {"CreateCheck", "Image18", SkinGlyph::Blank, "Blank", nullptr},
        {"CreateProgram", "Image20", SkinGlyph::Program, "Program", nullptr},
        {"CreateVerify", "Image22", SkinGlyph::Verify, "Verify", nullptr},
        {"CreateSecurity", "Image24", SkinGlyph::Security, "Protect", nullptr},
    };
    int x = 14;
    for (const CreateButton& b : buttons) {
        ImageStack* stack =
            MakePlainStack(b.top, b.lower, createPanel_, QRect(x, 44, 64, 72),
                           ButtonFace{b.glyph, QString::fromLatin1(b.label), SkinTone::Plate});
        if (b.command) stack->SetCommand(Command(b.command));
        x += 74;
    }
}

void TMainForm::BuildUtilityPage() {
    struct UtilityPicture {
        const char* top;
        const char* lower;
        SkinGlyph glyph;
        const char* label;
        const char* lamp;
    };
    const UtilityPicture pictures[] = {
        {"Utility_Erase", "Image1", SkinGlyph::Erase, "Erase", "ALed1"},
        {"Utility_Check", "Image2", SkinGlyph::Blank, "Check", "ALed2"},
        {"Utility_Verify", "Image3", SkinGlyph::Verify, "Verify", "ALed3"},
        {"Utility_BugList", "Image4", SkinGlyph::BugList, "Bug List", "ALed4"},
        {"Utility_Security", "Image5", SkinGlyph::Security, "Security", "ALed5"},
    };
    int x = 16;
    for (const UtilityPicture& u : pictures) {
        MakePlainStack(u.top, u.lower, utilityPanel_, QRect(x, 44, 80, 72),
                       ButtonFace{u.glyph, QString::fromLatin1(u.label), SkinTone::Plate});
        // The lamp lies on its picture.
        auto* lamp = new TALed(utilityPanel_);
        lamp->setObjectName(QString::fromLatin1(u.lamp));
        lamp->move(x + 60, 48);
        lamp->raise();
        x += 104;
    }
    // Beside Check and beside BugList: the second lamp in the Erase and the Verify run.
    for (auto [name, left] : {std::pair{"CheckBox6", 120}, std::pair{"CheckBox7", 328}}) {
        QCheckBox* box = MakeCheckBox(
            name, std::string_view(name) == "CheckBox6" ? "With Check" : "With Bug List",
            utilityPanel_, QRect(left, 124, 100, 18), false);
        connect(box, &QCheckBox::clicked, this,
                [this] { state_.Run2LedFlag = state_.Run2LedFlag ? 0 : 1; });
    }

    struct RunButton {
        const char* name;
        SkinGlyph glyph;
        const char* label;
        int x;
        std::function<void()> MainFormSeams::*command;
        const char* downName;
    };
    const RunButton runs[] = {
        {"RunE", SkinGlyph::Run, "Erase", 20, &MainFormSeams::RunEClick, nullptr},
        {"RunV", SkinGlyph::Run, "Verify", 84, &MainFormSeams::RunVClick, nullptr},
        {"RunS", SkinGlyph::Run, "Protect", 148, &MainFormSeams::RunSClick, nullptr},
        {"AutoRunE", SkinGlyph::Repeat, "Erase", 236, &MainFormSeams::AutoRunEClick, nullptr},
        {"AutoRunV", SkinGlyph::Repeat, "Verify", 300, &MainFormSeams::AutoRunVClick, nullptr},
        {"AutoRunS", SkinGlyph::Repeat, "Protect", 364, &MainFormSeams::AutoRunSClick, "Image17"},
    };
    for (const RunButton& r : runs) {
        QWidget* parent = utilityPanel_;
        QRect place(r.x, 204, 56, 56);
        if (std::string_view(r.name) == "AutoRunE") {
            // The repeated Erase run's panel is hidden in the form.
            parent = MakeBarePanel("AutoRunEPanel", utilityPanel_, place);
            parent->hide();
            place = QRect(0, 0, 56, 56);
        }
        MakeStack(r.name, parent, place,
                  ButtonFace{r.glyph, QString::fromLatin1(r.label), SkinTone::Run}, r.downName)
            ->SetCommand(Command(r.command));
    }
}

void TMainForm::BuildProjectPage() {
    // The project list: a read-only report of ten rows, selected whole;
    // a double click opens the row as the page's OK does.
    QFrame* listPanel = MakePanel("Panel1", projectPanel_, QRect(8, 40, 522, 270));
    auto* list = new QTableWidget(static_cast<int>(kProjectRowCount), 4, listPanel);
    list->setObjectName(QStringLiteral("ListView1"));
    list->setGeometry(listPanel->rect().adjusted(2, 2, -2, -2));
    list->setHorizontalHeaderLabels({QStringLiteral("Vendor"), QStringLiteral("Type"),
                                     QStringLiteral("Source"), QStringLiteral("Process")});
    const int widths[] = {120, 138, 132, 120};
    for (int column = 0; column < 4; ++column) list->setColumnWidth(column, widths[column]);
    list->verticalHeader()->hide();
    list->verticalHeader()->setDefaultSectionSize(20);
    list->setShowGrid(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(list, &QTableWidget::cellDoubleClicked, this, Command(&MainFormSeams::ProjectOkClick));

    ImageStack* ok = MakeStack("v2", projectPanel_, QRect(420, 318, 52, 40),
                               ButtonFace{SkinGlyph::Ok, QStringLiteral("OK"), SkinTone::Plate});
    ok->SetCommand(Command(&MainFormSeams::ProjectOkClick));
    ImageStack* cancel =
        MakeStack("x2", projectPanel_, QRect(478, 318, 52, 40),
                  ButtonFace{SkinGlyph::Cancel, QStringLiteral("Cancel"), SkinTone::Plate});
    for (ImageStack* stack : {ok, cancel})
        for (ImageControl* layer : stack->Layers()) layer->hide();
}

}  // namespace burnmark
