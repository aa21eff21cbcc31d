// Draws the splash picture and the custom logo and writes them as the
// program keeps them, bitmaps with their header moved to the end:
// make_splash_pictures OUTPUT_DIR (writes Temp1.cue and Temp0.cue there).
#include <QGuiApplication>
#include <cstdio>
#include <fstream>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "shell/picture_restore.h"
#include "shell/ui/splash_pictures.h"

namespace {

bool WriteStored(const std::string& path, const QImage& picture) {
    const QByteArray bitmap = burnmark::EncodeBitmap(picture);
    const std::optional<std::vector<uint8_t>> stored =
        burnmark::StoreBitmapRotated(std::span(reinterpret_cast<const uint8_t*>(bitmap.constData()),
                                               static_cast<std::size_t>(bitmap.size())));
    if (!stored) {
        std::fprintf(stderr, "%s: the picture could not be encoded\n", path.c_str());
        return false;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(stored->data()),
              static_cast<std::streamsize>(stored->size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "%s: cannot write\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    const bool ok =
        WriteStored(dir + burnmark::kSplashPictureFile, burnmark::DrawSplashPicture()) &&
        WriteStored(dir + burnmark::kLogoPictureFile, burnmark::DrawCustomLogo());
    return ok ? 0 : 1;
}
