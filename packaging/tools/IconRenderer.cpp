// melodux_iconc SVG OUT_DIR NAME SIZE...
// Renders the program's icon into the hicolor theme's layout:
// OUT_DIR/<SIZE>x<SIZE>/apps/NAME.png for each size, antialiased, with an
// alpha channel.

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

QImage render(QSvgRenderer& svg, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    svg.render(&painter, QRectF(0, 0, size, size));
    return image;
}

int sizeArgument(const char* text) {
    const int size = std::stoi(text);
    if (size < 8 || size > 1024) {
        throw std::runtime_error(std::string("icon size out of range: ") + text);
    }
    return size;
}

void renderAll(int argc, char** argv) {
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        throw std::runtime_error(std::string(argv[1]) + ": not a valid SVG");
    }
    const std::filesystem::path out = argv[2];
    const std::string name = std::string(argv[3]) + ".png";
    for (int i = 4; i < argc; ++i) {
        const int size = sizeArgument(argv[i]);
        const std::filesystem::path folder =
            out / (std::to_string(size) + "x" + std::to_string(size)) / "apps";
        std::filesystem::create_directories(folder);
        const std::filesystem::path file = folder / name;
        if (!render(svg, size).save(QString::fromStdString(file.string()), "PNG")) {
            throw std::runtime_error(file.string() + ": cannot be written");
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fputs("usage: melodux_iconc SVG OUT_DIR NAME SIZE...\n", stderr);
        return 2;
    }
    try {
        renderAll(argc, argv);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "melodux_iconc: %s\n", failure.what());
        return 1;
    }
    return 0;
}
