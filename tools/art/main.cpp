// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Renders the game's pictures from the SVG sources under art/ at their exact
// pixel sizes, writes the application icons and a contact sheet of everything.
//   calivento-art <repository root>

#include "ico.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

#include <cstdio>
#include <vector>

namespace {

enum class Ground { Opaque, Transparent };

struct Picture {
    QString svg;
    QString out;
    int width;
    int height;
    const char *format; // "PNG" or "JPG"
    Ground ground;
    QString caption; // shown under the picture on the contact sheet
    int sheetRow;    // which shelf of the contact sheet; -1: not shown
};

// Order matters only for the contact sheet: one shelf per family.
const std::vector<Picture> &pictures()
{
    static const std::vector<Picture> table = [] {
        std::vector<Picture> t;
        auto inst = [&t](const char *id, int w, int h, const char *caption, int row) {
            t.push_back({QStringLiteral("art/instruments/%1.svg").arg(QLatin1String(id)),
                         QStringLiteral("src/resources/pictures/instruments/%1.png").arg(QLatin1String(id)),
                         w, h, "PNG", Ground::Opaque, QString::fromUtf8(caption), row});
        };
        auto pic = [&t](const char *svg, const char *out, int w, int h, const char *format, Ground g,
                        const char *caption) {
            t.push_back({QString::fromUtf8(svg), QString::fromUtf8(out), w, h, format, g,
                         QString::fromUtf8(caption), 4});
        };
        // Strings
        inst("contrebasse", 210, 491, "La contrebasse", 0);
        inst("violoncelle", 149, 392, "Le violoncelle", 0);
        inst("alto", 84, 196, "L'alto", 0);
        inst("violon", 76, 172, "Le violon", 0);
        inst("harpe", 221, 461, "La harpe", 0);
        inst("piano", 427, 494, "Le piano", 0);
        // Woodwinds
        inst("flute", 222, 35, "La flûte", 1);
        inst("piccolo", 152, 37, "Le piccolo", 1);
        inst("hautbois", 39, 205, "Le hautbois", 1);
        inst("cor_anglais", 42, 257, "Le cor anglais", 1);
        inst("clarinette", 40, 208, "La clarinette", 1);
        inst("clarinette_basse", 126, 266, "La clarinette basse", 1);
        inst("basson", 81, 331, "Le basson", 1);
        inst("ct_basson", 80, 351, "Le contrebasson", 1);
        inst("saxophone", 115, 197, "Le saxophone", 1);
        // Brass
        inst("trompette", 187, 71, "La trompette", 2);
        inst("trombone", 378, 120, "Le trombone", 2);
        inst("cor", 130, 137, "Le cor", 2);
        inst("tuba", 218, 324, "Le tuba", 2);
        // Percussion
        inst("cclaire", 126, 126, "Le tambour", 3);
        inst("cymbales", 193, 126, "Les cymbales", 3);
        inst("gcaisse", 161, 232, "La grosse caisse", 3);
        inst("tambourin", 433, 390, "Le xylophone", 3);
        inst("timbales", 342, 346, "Les timbales", 3);

        pic("art/fond.svg", "src/resources/pictures/fond.jpg", 800, 600, "JPG", Ground::Opaque,
            "Fond de l'écran de jeu");
        pic("art/mascot/calivento.svg", "src/resources/pictures/calivento.png", 120, 90, "PNG",
            Ground::Opaque, "Chargement");
        pic("art/mascot/metronome_menu.svg", "src/resources/pictures/metronome_menu.png", 53, 80, "PNG",
            Ground::Transparent, "Menu");
        pic("art/mascot/metronome_gauche.svg", "src/resources/pictures/metronome_gauche.png", 57, 93, "PNG",
            Ground::Transparent, "À gauche");
        pic("art/mascot/metronome_droite.svg", "src/resources/pictures/metronome_droite.png", 57, 93, "PNG",
            Ground::Transparent, "À droite");
        pic("art/cursor_hand.svg", "src/resources/pictures/cursor_hand.png", 32, 32, "PNG",
            Ground::Transparent, "Curseur");
        pic("art/icon/calivento.svg", "src/resources/pictures/icon.png", 64, 64, "PNG",
            Ground::Transparent, "Icône");
        for (int n : {16, 32, 48, 64, 128, 256}) {
            t.push_back({QStringLiteral("art/icon/calivento.svg"),
                         QStringLiteral("data/icons/hicolor/%1x%1/apps/fr.calivento.Calivento.png").arg(n),
                         n, n, "PNG", Ground::Transparent, QString(), -1});
        }
        return t;
    }();
    return table;
}

QImage render(const QString &svgPath, int w, int h, Ground ground)
{
    QSvgRenderer svg(svgPath);
    if (!svg.isValid())
        return {};
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    // Opaque pictures draw their own ground; white only shows if one forgets to.
    img.fill(ground == Ground::Opaque ? Qt::white : Qt::transparent);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        svg.render(&p, QRectF(0, 0, w, h));
    }
    return img.convertToFormat(ground == Ground::Opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32);
}

bool save(const QImage &img, const QString &path, const char *format)
{
    QDir().mkpath(QFileInfo(path).path());
    const bool jpeg = qstrcmp(format, "JPG") == 0;
    return img.save(path, format, jpeg ? 88 : -1);
}

bool copyFile(const QString &from, const QString &to)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QDir().mkpath(QFileInfo(to).path());
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return out.write(in.readAll()) >= 0;
}

struct SheetItem {
    QImage image;
    QString caption;
    int row;
};

// Shelves of pictures at their real size, captions below, bottom-aligned.
QImage contactSheet(const std::vector<SheetItem> &items)
{
    const int width = 1600, margin = 24, gap = 28, captionHeight = 24, rowGap = 30;
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(15);

    struct Placed { const SheetItem *item; QPoint at; };
    std::vector<Placed> placed;
    int y = margin, x = margin, rowHeight = 0, currentRow = -1;
    auto newShelf = [&] {
        if (rowHeight > 0)
            y += rowHeight + captionHeight + rowGap;
        x = margin;
        rowHeight = 0;
    };
    std::vector<std::pair<size_t, size_t>> shelves; // [first, last) in placed
    for (const SheetItem &it : items) {
        const int w = std::max(it.image.width(), 110);
        if (it.row != currentRow || x + w > width - margin) {
            newShelf();
            currentRow = it.row;
            shelves.push_back({placed.size(), placed.size()});
        }
        placed.push_back({&it, QPoint(x, y)});
        shelves.back().second = placed.size();
        x += w + gap;
        rowHeight = std::max(rowHeight, it.image.height());
    }
    newShelf();
    const int height = y - rowGap + margin;

    // Bottom-align each shelf so the instruments stand on one line.
    for (auto [first, last] : shelves) {
        int tallest = 0;
        for (size_t i = first; i < last; ++i)
            tallest = std::max(tallest, placed[i].item->image.height());
        for (size_t i = first; i < last; ++i)
            placed[i].at.ry() += tallest - placed[i].item->image.height();
    }

    QImage sheet(width, height, QImage::Format_RGB32);
    sheet.fill(QColor(0xfa, 0xf7, 0xf2));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(font);
    for (const Placed &pl : placed) {
        const QImage &img = pl.item->image;
        const int w = std::max(img.width(), 110);
        const QPoint at = pl.at + QPoint((w - img.width()) / 2, 0);
        p.drawImage(at, img);
        p.setPen(QColor(0xd8, 0xd0, 0xc4));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(at, img.size()).adjusted(-0.5, -0.5, 0.5, 0.5));
        p.setPen(QColor(0x3a, 0x24, 0x14));
        const QRect textBox(pl.at.x() - gap / 2, at.y() + img.height() + 4, w + gap, captionHeight);
        p.drawText(textBox, Qt::AlignHCenter | Qt::AlignTop, pl.item->caption);
    }
    return sheet;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: calivento-art <repository root>\n");
        return 2;
    }
    QDir::setCurrent(QString::fromLocal8Bit(argv[1]));

    int failures = 0;
    std::vector<SheetItem> sheet;
    for (const Picture &pic : pictures()) {
        const QString &svg = pic.svg;
        const QString &out = pic.out;
        if (!QFileInfo::exists(svg)) {
            std::printf("skip %s: %s not drawn yet\n", qPrintable(out), qPrintable(svg));
        } else {
            const QImage img = render(svg, pic.width, pic.height, pic.ground);
            if (img.isNull() || !save(img, out, pic.format)) {
                std::fprintf(stderr, "error: cannot render %s to %s\n", qPrintable(svg), qPrintable(out));
                ++failures;
                continue;
            }
            std::printf("%-60s %4d x %-4d\n", qPrintable(out), pic.width, pic.height);
        }
        if (pic.sheetRow >= 0) {
            QImage shown(out); // stand-ins still show until their drawing exists
            if (shown.isNull())
                continue;
            if (shown.width() > 600) // the background, halved
                shown = shown.scaled(400, 300, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            sheet.push_back({shown, pic.caption, pic.sheetRow});
        }
    }

    const QString iconSvg = QStringLiteral("art/icon/calivento.svg");
    if (QFileInfo::exists(iconSvg)) {
        if (!copyFile(iconSvg, QStringLiteral("data/icons/hicolor/scalable/apps/fr.calivento.Calivento.svg")))
            ++failures;
        QList<IcoEntry> entries;
        for (int n : {16, 32, 48, 256}) {
            QFile f(QStringLiteral("data/icons/hicolor/%1x%1/apps/fr.calivento.Calivento.png").arg(n));
            if (!f.open(QIODevice::ReadOnly)) {
                ++failures;
                continue;
            }
            entries.push_back({n, f.readAll()});
        }
        QFile ico(QStringLiteral("data/windows/calivento.ico"));
        QDir().mkpath(QStringLiteral("data/windows"));
        if (!ico.open(QIODevice::WriteOnly | QIODevice::Truncate) || ico.write(makeIco(entries)) < 0)
            ++failures;
        else
            std::printf("%-60s %d images\n", "data/windows/calivento.ico", int(entries.size()));
    }

    if (!contactSheet(sheet).save(QStringLiteral("docs/artwork.png"), "PNG"))
        ++failures;
    else
        std::printf("%-60s contact sheet\n", "docs/artwork.png");
    return failures == 0 ? 0 : 1;
}
