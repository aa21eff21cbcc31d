#include "widgets/skin_workers.h"

#include <vector>

namespace burnmark {

namespace {

bool IsMain(const SkinLayerRef& layer) { return layer->LayerName() == kMainBackground; }

struct Row {
    std::string_view layer;
    SkinEvent event;
    SkinAction action;
};

// The main window's mouse handlers of its skinned pictures.
const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = [] {
        std::vector<Row> r;
        auto add = [&r](std::string_view layer, SkinEvent event, SkinWorker worker,
                        std::string_view image, std::string_view tag, bool guarded = false,
                        std::string_view showFirst = {}) {
            r.push_back({layer, event, SkinAction{worker, image, tag, showFirst, guarded}});
        };
        using E = SkinEvent;
        using W = SkinWorker;

        // Moving over a page ends the highlight of the last button.
        for (std::string_view page :
             {"Main", "Create_Page", "Copy_Page", "Utility_Page", "Project_Page", "Edit_Page"})
            add(page, E::Move, W::Move, {}, kTagPage);

        // The top bar: Help and Exit keep still while the exit question is open.
        add("Multi", E::Move, W::Move, {}, {});
        add("Help", E::Move, W::Move, {}, {}, true);
        add("Exit", E::Move, W::Move, {}, {}, true);
        for (std::string_view hint : {"Multi_Hint", "Help_Hint", "Exit_Hint"}) {
            add(hint, E::Down, W::Down, {}, kTagDown);
            add(hint, E::Up, W::Up, {}, {});
        }

        // The Edit area: the top picture and the pressed one both pass the top
        // picture to the hover worker.
        struct EditStack {
            std::string_view top, hint, down;
        };
        for (const EditStack& s : {EditStack{"CheckSum", "CheckSum_Hint", "CheckSum_Down"},
                                   EditStack{"Find", "Find_Hint", "Find_Down"},
                                   EditStack{"FindNext", "FindNext_Hint", "FindNext_Down"},
                                   EditStack{"Block", "Block_Hint", "Block_Down"},
                                   EditStack{"Fill", "Fill_Hint", "Fill_Down"}}) {
            add(s.top, E::Move, W::Move, {}, {});
            add(s.down, E::Move, W::Move, s.top, {});
            add(s.down, E::Down, W::Move, s.top, kTagDown);
            add(s.down, E::Up, W::Move, s.top, {});
            add(s.hint, E::Down, W::Down, {}, kTagDown);
            add(s.hint, E::Up, W::Up, {}, {});
        }
        for (std::string_view single : {"EditCancel_Image", "EditOk_Image"}) {
            add(single, E::Move, W::Move, {}, {});
            add(single, E::Down, W::Move, {}, {});
        }

        // Hover looks of the Create and Utility pages, and the top pictures of
        // the Copy page, the Edit area, the Utility and the Project page.
        for (std::string_view top : {"CreateType",
                                     "CreateLoad",
                                     "CreateErase",
                                     "CreateCheck",
                                     "CreateProgram",
                                     "CreateVerify",
                                     "CreateSecurity",
                                     "Utility_Erase",
                                     "Utility_Check",
                                     "Utility_Verify",
                                     "Utility_BugList",
                                     "Utility_Security",
                                     "Stop",
                                     "Run",
                                     "Run2",
                                     "RunE",
                                     "RunV",
                                     "RunS",
                                     "AutoRunE",
                                     "AutoRunV",
                                     "AutoRunS",
                                     "v",
                                     "x",
                                     "v2",
                                     "x2"})
            add(top, E::Move, W::Move, {}, {});
        for (std::string_view hint :
             {"Run2_Hint", "RunE_Hint", "RunV_Hint", "RunS_Hint", "AutoRunE_Hint", "AutoRunV_Hint",
              "v_Hint", "x_Hint", "v2_Hint", "x2_Hint"})
            add(hint, E::Down, W::Down, {}, kTagDown);
        // This one press runs the hover worker, so the normal look comes back on press.
        add("AutoRunS_Hint", E::Down, W::Move, {}, kTagDown);
        for (std::string_view hint :
             {"Run2_Hint", "RunE_Hint", "RunV_Hint", "RunS_Hint", "AutoRunE_Hint", "AutoRunV_Hint",
              "AutoRunS_Hint", "v_Hint", "x_Hint", "v2_Hint", "x2_Hint"})
            add(hint, E::Up, W::Up, {}, {});

        // The Copy page's source steps: the highlight first, then the ready
        // picture goes; the Type step keeps still while the exit question is open.
        add("type_n", E::Move, W::Move, {}, {}, true, "type_h");
        add("load_n", E::Move, W::Move, {}, {}, false, "load_h");
        add("save_n", E::Move, W::Move, {}, {}, false, "save_h");
        add("edit_n", E::Move, W::Move, {}, {}, false, "edit_h");
        return r;
    }();
    return rows;
}

}  // namespace

void SkinWorkers::ImageMouseMove(const SkinLayerRef& image, std::string_view tag) {
    if (!image) return;
    const SkinLayerRef hot = hot_.lock();
    if (!hot) {
        if (tag != kTagPage) image->SetLayerVisible(false);
        hot_ = image;
        return;
    }
    if (image == hot && tag != kTagDown) return;
    if (tag != kTagPage) image->SetLayerVisible(false);
    if (image != hot && !IsMain(hot)) hot->SetLayerVisible(true);
    hot_ = image;
}

void SkinWorkers::ImageMouseUp(const SkinLayerRef& image, std::string_view tag) {
    if (!image) return;
    const SkinLayerRef hot = hot_.lock();
    if (!hot) {
        if (tag != kTagPage) image->SetLayerVisible(true);
        hot_ = image;
        return;
    }
    if (image == hot && tag != kTagDown) return;
    if (tag != kTagPage) {
        image->SetLayerVisible(true);
        if (image != hot && !IsMain(hot)) hot->SetLayerVisible(true);
    }
    hot_ = image;
}

void SkinWorkers::ImageMouseDown(const SkinLayerRef& image, std::string_view tag) {
    if (image && tag != kTagPage) image->SetLayerVisible(false);
}

std::optional<SkinAction> SkinActionFor(std::string_view layer, SkinEvent event) {
    for (const Row& row : Rows())
        if (row.event == event && row.layer == layer) return row.action;
    return std::nullopt;
}

bool Skin::Handle(std::string_view layer, SkinEvent event, bool exitGuard) {
    const std::optional<SkinAction> action = SkinActionFor(layer, event);
    if (!action || (action->stopsAtExitGuard && exitGuard)) return false;
    if (!action->showFirst.empty())
        if (const SkinLayerRef first = layers_.FindLayer(action->showFirst))
            first->SetLayerVisible(true);
    const SkinLayerRef image = layers_.FindLayer(action->image.empty() ? layer : action->image);
    switch (action->worker) {
        case SkinWorker::Move:
            workers_.ImageMouseMove(image, action->tag);
            break;
        case SkinWorker::Down:
            workers_.ImageMouseDown(image, action->tag);
            break;
        case SkinWorker::Up:
            workers_.ImageMouseUp(image, action->tag);
            break;
    }
    return true;
}

}  // namespace burnmark
