// The skin of the main window: every command is a stack of pictures whose
// visible layer follows the mouse. Three small workers hide and show the
// layers; a table gives, for each picture and mouse event, the worker it runs,
// the picture it passes and the tag that steers the worker.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace burnmark {

// One picture of a stack, or a page background.
class SkinLayer {
public:
    virtual ~SkinLayer() = default;
    virtual std::string_view LayerName() const = 0;
    virtual void SetLayerVisible(bool visible) = 0;
};
using SkinLayerRef = std::shared_ptr<SkinLayer>;

// The two tags that act. Every other tag ("", "UP", picture names) behaves alike.
inline constexpr std::string_view kTagPage = "PAGE";  // a page background: never hidden or shown
inline constexpr std::string_view kTagDown = "DOWN";  // a press on the hot picture hides it again
// The window's background; the workers never show it again.
inline constexpr std::string_view kMainBackground = "Main";

class SkinWorkers {
public:
    // Hover: hides the picture (so the one below shows) and shows again the
    // picture hidden before.
    void ImageMouseMove(const SkinLayerRef& image, std::string_view tag);
    // Release: as the hover, showing instead of hiding.
    void ImageMouseUp(const SkinLayerRef& image, std::string_view tag);
    // Press: hides the picture; the hot picture stays.
    void ImageMouseDown(const SkinLayerRef& image, std::string_view tag);

    // The picture last taken by a worker; null before the first and once that
    // picture is gone.
    SkinLayerRef HotImage() const { return hot_.lock(); }

private:
    // Held weakly: a picture may be destroyed while it is the hot one.
    std::weak_ptr<SkinLayer> hot_;
};

enum class SkinEvent { Move, Down, Up };
enum class SkinWorker { Move, Down, Up };

// What one mouse handler of a picture does.
struct SkinAction {
    SkinWorker worker;
    // The picture passed to the worker; empty: the one the event came to.
    std::string_view image;
    std::string_view tag;
    // Shown before the worker runs (a Copy-page source step shows its highlight).
    std::string_view showFirst;
    // Does nothing while the exit question is open or answered Yes.
    bool stopsAtExitGuard = false;
};

// The handler of the named picture for the event; nullopt when it has none.
std::optional<SkinAction> SkinActionFor(std::string_view layer, SkinEvent event);

// Finds a picture by its name; null when there is none (any more).
class SkinLayerDirectory {
public:
    virtual ~SkinLayerDirectory() = default;
    virtual SkinLayerRef FindLayer(std::string_view name) = 0;
};

// The mouse handlers of all skinned pictures, over the workers.
class Skin {
public:
    explicit Skin(SkinLayerDirectory& layers) : layers_(layers) {}

    // Runs the handler the picture has for the event. False when it has none
    // or the exit guard holds it back.
    bool Handle(std::string_view layer, SkinEvent event, bool exitGuard);
    static bool HasHandler(std::string_view layer, SkinEvent event) {
        return SkinActionFor(layer, event).has_value();
    }

    SkinWorkers& Workers() { return workers_; }
    const SkinWorkers& Workers() const { return workers_; }

private:
    SkinLayerDirectory& layers_;
    SkinWorkers workers_;
};

}  // namespace burnmark
