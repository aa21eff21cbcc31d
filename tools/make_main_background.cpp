// Draws the main window's background and writes it as the JPEG the program
// keeps among its resources: make_main_background OUTPUT.jpg
#include <QGuiApplication>
#include <QImageWriter>
#include <cstdio>

#include "shell/ui/skin_pictures.h"

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.jpg\n", argv[0]);
        return 2;
    }
    QImageWriter writer(QString::fromLocal8Bit(argv[1]), "jpeg");
    writer.setQuality(90);
    writer.setOptimizedWrite(true);
    if (!writer.write(burnmark::DrawMainBackdrop())) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(writer.errorString()));
        return 1;
    }
    return 0;
}
