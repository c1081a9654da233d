// melodux_skinc SOURCE_DIR PALETTE OUT_DIR
// Renders one skin from the SVG sources: every layout in every button state
// to the 24-bit bitmaps the skin engine reads, the equalizer window, the
// digit strips and marks, the list/edit panel's pieces, and "Skin.ini". Pixels of the window images
// outside the drawn outline become the mask colour; edges are thresholded, so the outline stays
// crisp.

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <cstdio>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>

#include "ui/BmpFile.h"
#include "ui/library/PanelPieces.h"

namespace {

using Tokens = std::map<QString, QString>;
constexpr QRgb kMaskColour = 0xFFFF00FFu;  // "MaskColor" of Skin.ini.in

QString readText(const std::filesystem::path& file) {
    QFile f(QString::fromStdString(file.string()));
    if (!f.open(QIODevice::ReadOnly)) {
        throw std::runtime_error(file.string() + ": cannot be read");
    }
    return QString::fromUtf8(f.readAll());
}

void readTokens(const std::filesystem::path& file, Tokens& tokens) {
    for (const QString& raw : readText(file).split('\n')) {
        const QString line = raw.trimmed();
        const qsizetype equals = line.indexOf('=');
        if (!line.isEmpty() && !line.startsWith(';') && equals > 0) {
            tokens[line.left(equals).trimmed()] = line.mid(equals + 1).trimmed();
        }
    }
}

// Replaces @NAME@ by NAME.<state>, NAME.<layout> or NAME, repeatedly, since
// shared tokens refer to palette colours.
QString expand(QString text, const Tokens& tokens, QChar state, QChar layout) {
    static const QRegularExpression token("@([A-Z_0-9]+)@");
    for (int depth = 0; depth < 4 && text.contains('@'); ++depth) {
        QString out;
        qsizetype last = 0;
        for (auto it = token.globalMatch(text); it.hasNext();) {
            const auto m = it.next();
            const QString name = m.captured(1);
            auto found = tokens.find(name + '.' + state);
            if (found == tokens.end()) {
                found = tokens.find(name + '.' + layout);
            }
            if (found == tokens.end()) {
                found = tokens.find(name);
            }
            if (found == tokens.end()) {
                throw std::runtime_error("unknown token @" + name.toStdString() + "@");
            }
            out += text.mid(last, m.capturedStart() - last) + found->second;
            last = m.capturedEnd();
        }
        text = out + text.mid(last);
    }
    return text;
}

QImage render(const QString& svg, const std::string& what) {
    QSvgRenderer renderer(svg.toUtf8());
    if (!renderer.isValid()) {
        throw std::runtime_error(what + ": not a valid SVG");
    }
    QImage image(renderer.defaultSize(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

// Opaque where the drawing covers at least half a pixel, the mask colour
// elsewhere; partly covered pixels are laid over `edge` so no mask colour
// bleeds into the outline.
ui::BmpImage flatten(const QImage& image, QRgb edge) {
    ui::BmpImage out{image.width(), image.height(), {}};
    out.pixels.reserve(static_cast<std::size_t>(out.width) * out.height);
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = row[x];
            const int a = qAlpha(p);
            if (a < 128) {
                out.pixels.push_back(kMaskColour);
                continue;
            }
            auto mix = [a](int c, int e) { return (c * a + e * (255 - a)) / 255; };
            const QRgb rgb = qRgb(mix(qRed(p), qRed(edge)), mix(qGreen(p), qGreen(edge)),
                                  mix(qBlue(p), qBlue(edge)));
            // A drawn pixel that happens to be the mask colour would be a hole.
            out.pixels.push_back(rgb == kMaskColour ? qRgb(254, 0, 255) : rgb);
        }
    }
    return out;
}

void write(const std::filesystem::path& file, const ui::BmpImage& image) {
    if (const std::string error = ui::writeBmp24(file, image); !error.empty()) {
        throw std::runtime_error(error);
    }
}

struct Skin {
    std::filesystem::path source;
    std::filesystem::path out;
    Tokens tokens;
    QRgb edge = 0;
};

void renderLayout(const Skin& skin, const char* svgName, QChar layout, const QString& suffix) {
    const QString svg = readText(skin.source / svgName);
    const std::string what = svgName;
    const std::pair<QChar, QString> states[] = {{'U', "U"}, {'D', "D"},   {'F', "F"},
                                                {'O', "O"}, {'V', "Vol"}, {'U', "Rgn"}};
    for (const auto& [state, name] : states) {
        QString stem = "Player" + name;
        if (name == "Rgn") {
            stem += layout == 'N' ? "A" : layout == 'W' ? "B" : "M";
        } else if (name == "Vol") {
            if (layout == 'W') {
                continue;  // normal and wide share one volume image
            }
            stem += suffix;
        } else {
            stem += suffix;
        }
        const QImage image = render(expand(svg, skin.tokens, state, layout), what);
        write(skin.out / (stem.toStdString() + ".bmp"), flatten(image, skin.edge));
    }
}

// The 15 cells of a digit strip: 0-9, blank, ':', '-', blank, blank. Unlit
// segments stay faintly visible, as on a real LCD.
void renderFont(const Skin& skin, const char* name) {
    static const char* const kSegments[] = {"abcdef", "bc",     "abdeg", "abcdg",   "bcfg",
                                            "acdfg",  "acdefg", "abc",   "abcdefg", "abcdfg"};
    const QString svg = readText(skin.source / (std::string(name) + ".svg"));
    QImage strip;
    QPainter painter;
    for (int cell = 0; cell < 15; ++cell) {
        Tokens tokens = skin.tokens;
        const QString lit = cell < 10 ? kSegments[cell] : cell == 12 ? "g" : "";
        for (char s = 'a'; s <= 'g'; ++s) {
            const QString key = QString("S") + QChar(s).toUpper();
            tokens[key] = cell == 11 ? "@LCD_BG@" : lit.contains(s) ? "@LCD_FG@" : "@LCD_DIM@";
        }
        tokens["SCOL"] = cell == 11 ? "@LCD_FG@" : "@LCD_BG@";
        const QImage image = render(expand(svg, tokens, 'U', 'N'), name);
        if (strip.isNull()) {
            strip = QImage(image.width() * 15, image.height(), QImage::Format_ARGB32);
            strip.fill(Qt::transparent);
            painter.begin(&strip);
        }
        painter.drawImage(cell * image.width(), 0, image);
    }
    painter.end();
    write(skin.out / (std::string(name) + ".bmp"), flatten(strip, skin.edge));
}

void renderPlain(const Skin& skin, const char* name) {
    const QString svg = readText(skin.source / (std::string(name) + ".svg"));
    write(skin.out / (std::string(name) + ".bmp"),
          flatten(render(expand(svg, skin.tokens, 'U', 'N'), name), skin.edge));
}

// The equalizer window's up, down and on images ("Dress_Equ").
void renderDress(const Skin& skin) {
    const QString svg = readText(skin.source / "equalizer.svg");
    for (const char state : {'U', 'D', 'O'}) {
        const QImage image = render(expand(svg, skin.tokens, QChar(state), 'E'), "equalizer.svg");
        write(skin.out / (std::string("Equ") + state + ".bmp"), flatten(image, skin.edge));
    }
}

// Each panel piece as a row of its state cells. The pieces are opaque, so
// their text keeps its smoothing; the font must be there, or the captions
// would come out as empty boxes.
void renderPanel(const Skin& skin) {
    const QString font = expand("@PANEL_FONT@", skin.tokens, 'U', 'P');
    if (!QFontDatabase::families().contains(font)) {
        throw std::runtime_error("font \"" + font.toStdString() +
                                 "\" is not installed (scripts/deps.sh installs it)");
    }
    for (const ui::library::PanelPieceInfo& piece : ui::library::kPanelPieces) {
        const std::string name(piece.name);
        const QString svg = readText(skin.source / "panel" / (name + ".svg"));
        QImage strip;
        QPainter painter;
        for (size_t cell = 0; cell < piece.states.size(); ++cell) {
            const QImage image =
                render(expand(svg, skin.tokens, QChar(piece.states[cell]), 'P'), name);
            if (strip.isNull()) {
                strip = QImage(image.width() * int(piece.states.size()), image.height(),
                               QImage::Format_ARGB32);
                strip.fill(Qt::transparent);
                painter.begin(&strip);
            }
            painter.drawImage(int(cell) * image.width(), 0, image);
        }
        painter.end();
        write(skin.out / (name + ".bmp"), flatten(strip, skin.edge));
    }
}

void writeIni(const Skin& skin) {
    const QByteArray text =
        expand(readText(skin.source / "Skin.ini.in"), skin.tokens, 'U', 'N').toUtf8();
    const std::filesystem::path file = skin.out / "Skin.ini";
    std::filesystem::path temp = file;
    temp += ".tmp";
    QFile f(QString::fromStdString(temp.string()));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text) != text.size() ||
        !f.flush()) {
        throw std::runtime_error(file.string() + ": cannot be written");
    }
    f.close();
    std::filesystem::rename(temp, file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SOURCE_DIR PALETTE OUT_DIR\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    try {
        Skin skin{argv[1], argv[3], {}, 0};
        readTokens(skin.source / "common.ini", skin.tokens);
        readTokens(argv[2], skin.tokens);
        skin.edge = QColor(expand("@EDGE@", skin.tokens, 'U', 'N')).rgb();
        std::filesystem::create_directories(skin.out);
        renderLayout(skin, "player.svg", 'N', "");
        renderLayout(skin, "player.svg", 'W', "W");
        renderLayout(skin, "mini.svg", 'M', "M");
        for (const char* font : {"font_a", "font_b", "font_c", "font_d"}) {
            renderFont(skin, font);
        }
        for (const char* mark :
             {"Kbps", "Repeat", "RepeatM", "Shuffle", "ShuffleM", "Vbr", "playpos"}) {
            renderPlain(skin, mark);
        }
        renderDress(skin);
        renderPanel(skin);
        writeIni(skin);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "melodux_skinc: %s\n", e.what());
        return 1;
    }
    return 0;
}
