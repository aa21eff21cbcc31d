// The skin workers and the table of the pictures' mouse handlers, over
// recording pictures: what is hidden and which picture is hot after each
// sequence of mouse events.
#include "widgets/skin_workers.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace burnmark {
namespace {

class FakeLayer : public SkinLayer {
public:
    explicit FakeLayer(std::string name) : name_(std::move(name)) {}
    std::string_view LayerName() const override { return name_; }
    void SetLayerVisible(bool visible) override { visible_ = visible; }
    bool visible_ = true;

private:
    std::string name_;
};

// The pictures of the main window that the cases use, all visible at first.
class FakeWindow : public SkinLayerDirectory {
public:
    FakeWindow() {
        for (const char* name :
             {"Main",      "Copy_Page",     "Edit_Page",     "Multi_Down",    "Multi_Hint",
              "Multi",     "Help_Down",     "Help_Hint",     "Help",          "Exit_Down",
              "Exit_Hint", "Exit",          "CheckSum_Down", "CheckSum_Hint", "CheckSum",
              "Image17",   "AutoRunS_Hint", "AutoRunS",      "type_o",        "type_w",
              "type_h",    "type_n",        "load_o",        "load_w",        "load_h",
              "load_n"})
            layers[name] = std::make_shared<FakeLayer>(name);
    }
    SkinLayerRef FindLayer(std::string_view name) override {
        auto it = layers.find(std::string(name));
        return it == layers.end() ? nullptr : it->second;
    }
    std::string Hidden() const {
        std::string hidden;
        for (const auto& [name, layer] : layers)
            if (!layer->visible_) hidden += (hidden.empty() ? "" : " ") + name;
        return hidden;
    }
    std::map<std::string, std::shared_ptr<FakeLayer>> layers;
};

// Runs "move Exit; down Exit_Hint; up Exit_Hint", plus the window's own doings:
// "show X" and "hide X" (a step shows or hides a picture), "drop X" (the picture
// is destroyed) and "guard" (the exit question is open).
void Play(FakeWindow& window, Skin& skin, const std::string& script) {
    std::string words = script;
    for (char& c : words)
        if (c == ';') c = ' ';
    std::istringstream in(words);
    std::string word, name;
    bool guard = false;
    while (in >> word) {
        if (word == "guard") {
            guard = true;
            continue;
        }
        in >> name;
        if (word == "show" || word == "hide") {
            window.layers.at(name)->visible_ = word == "show";
        } else if (word == "drop") {
            window.layers.erase(name);
        } else {
            const SkinEvent event = word == "move"   ? SkinEvent::Move
                                    : word == "down" ? SkinEvent::Down
                                                     : SkinEvent::Up;
            skin.Handle(name, event, guard);
        }
    }
}

TEST(SkinWorkers, EventSequences) {
    struct Case {
        const char* what;
        const char* script;
        const char* hidden;  // afterwards, in name order
        const char* hot;     // "" for none
    };
    const std::vector<Case> cases = {
        {"the first hover hides the top picture and shows nothing again", "move Exit", "Exit",
         "Exit"},
        {"from one button to another", "move Exit; move Help", "Help", "Help"},
        {"the same picture twice", "move Exit; move Exit", "Exit", "Exit"},
        {"hovered twice after a step showed it again: no change",
         "move CheckSum; show CheckSum; move CheckSum", "", "CheckSum"},
        {"a press on the highlight shows the pressed picture", "move Exit; down Exit_Hint",
         "Exit Exit_Hint", "Exit"},
        {"the release ends in the normal look", "move Exit; down Exit_Hint; up Exit_Hint", "",
         "Exit_Hint"},
        {"a release without a hover first shows and takes the picture", "up Exit_Hint", "",
         "Exit_Hint"},
        {"the background ends the highlight and is never hidden", "move Exit; move Main", "",
         "Main"},
        {"the background first", "move Main", "", "Main"},
        {"the background is never shown again", "move Main; hide Main; move Exit", "Exit Main",
         "Exit"},
        {"a page is shown again like a button", "move Copy_Page; hide Copy_Page; move Exit", "Exit",
         "Exit"},
        {"a page ends the highlight", "move Exit; move Edit_Page", "", "Edit_Page"},
        // The Edit area: the top and the pressed picture pass the top one.
        {"hover on the pressed picture passes the top one", "move CheckSum_Down", "CheckSum",
         "CheckSum"},
        {"a press that passes DOWN hides the hot picture again",
         "move CheckSum; show CheckSum; down CheckSum_Down", "CheckSum", "CheckSum"},
        {"press and release on the Edit area's highlight",
         "move CheckSum; down CheckSum_Hint; up CheckSum_Hint", "", "CheckSum_Hint"},
        {"the release on the pressed picture passes the top one", "up CheckSum_Down", "CheckSum",
         "CheckSum"},
        // This press runs the hover worker: the normal look comes back.
        {"AutoRunS's press", "move AutoRunS; down AutoRunS_Hint", "AutoRunS_Hint", "AutoRunS_Hint"},
        // Copy-page source steps: the highlight first, then the ready picture goes.
        {"a source step shows its highlight", "hide type_h; move type_n", "type_n", "type_n"},
        {"from a source step to a button", "move load_n; move Multi", "Multi", "Multi"},
        // While the exit question is open.
        {"the exit guard holds Help, Exit and Type", "guard; move Help; move Exit; move type_n", "",
         ""},
        {"the exit guard lets Multi act", "guard; move Multi", "Multi", "Multi"},
        {"the exit guard lets a page act", "move Multi; guard; move Main", "", "Main"},
        {"pictures without a handler for the event do nothing",
         "move Exit_Hint; down Exit; up Help; down load_n", "", ""},
        // The hot picture may be gone.
        {"a hot picture that is gone counts as none", "move Exit; drop Exit; move Help", "Help",
         "Help"},
        {"a picture that is gone is passed as none", "drop Exit; move Exit", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeWindow window;
        Skin skin(window);
        Play(window, skin, c.script);
        EXPECT_EQ(window.Hidden(), c.hidden);
        const SkinLayerRef hot = skin.Workers().HotImage();
        EXPECT_EQ(hot ? std::string(hot->LayerName()) : "", c.hot);
    }
}

TEST(SkinWorkers, HandlersAsTheWindowBindsThem) {
    struct Case {
        const char* layer;
        SkinEvent event;
        bool has;
        SkinWorker worker;
        const char* image;  // "" for the picture itself
        const char* tag;
        bool guarded;
    };
    const std::vector<Case> cases = {
        {"Main", SkinEvent::Move, true, SkinWorker::Move, "", "PAGE", false},
        {"Utility_Page", SkinEvent::Move, true, SkinWorker::Move, "", "PAGE", false},
        {"Exit", SkinEvent::Move, true, SkinWorker::Move, "", "", true},
        {"Multi", SkinEvent::Move, true, SkinWorker::Move, "", "", false},
        {"Help_Hint", SkinEvent::Down, true, SkinWorker::Down, "", "DOWN", false},
        {"Help_Hint", SkinEvent::Up, true, SkinWorker::Up, "", "", false},
        {"Fill_Down", SkinEvent::Down, true, SkinWorker::Move, "Fill", "DOWN", false},
        {"Block_Down", SkinEvent::Up, true, SkinWorker::Move, "Block", "", false},
        {"EditOk_Image", SkinEvent::Down, true, SkinWorker::Move, "", "", false},
        {"v_Hint", SkinEvent::Down, true, SkinWorker::Down, "", "DOWN", false},
        {"x2_Hint", SkinEvent::Up, true, SkinWorker::Up, "", "", false},
        {"Stop", SkinEvent::Move, true, SkinWorker::Move, "", "", false},
        {"Utility_BugList", SkinEvent::Move, true, SkinWorker::Move, "", "", false},
        {"type_n", SkinEvent::Move, true, SkinWorker::Move, "", "", true},
        {"edit_n", SkinEvent::Move, true, SkinWorker::Move, "", "", false},
        // Stop and Run have no press or release handlers of their own.
        {"Stop_Hint", SkinEvent::Down, false, {}, "", "", false},
        {"Run_Hint", SkinEvent::Up, false, {}, "", "", false},
        {"erace_n", SkinEvent::Move, false, {}, "", "", false},
        {"Image14", SkinEvent::Move, false, {}, "", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.layer);
        const std::optional<SkinAction> action = SkinActionFor(c.layer, c.event);
        ASSERT_EQ(action.has_value(), c.has);
        if (!action) continue;
        EXPECT_EQ(action->worker, c.worker);
        EXPECT_EQ(action->image, c.image);
        EXPECT_EQ(action->tag, c.tag);
        EXPECT_EQ(action->stopsAtExitGuard, c.guarded);
    }
}

}  // namespace
}  // namespace burnmark
