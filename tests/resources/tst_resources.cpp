// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The pictures the game embeds: the size the screens expect, real content, transparent where the
// figure stands on whatever is behind it; on a scaled screen the same drawing, sharp.
#include "resources/resources.h"
#include "screens/game/catalogue.h"

#include <QImage>
#include <QPixmap>
#include <QSet>
#include <QtTest>
#include <numeric>

namespace {
QImage argb(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

// Mean difference per channel and pixel of two pictures of one size.
double difference(const QImage &a, const QImage &b)
{
    return std::transform_reduce(a.constBits(), a.constBits() + a.sizeInBytes(), b.constBits(), 0.0, std::plus<>(),
                                 [](uchar p, uchar q) { return std::abs(p - q); }) /
           double(a.sizeInBytes());
}
} // namespace

class TestResources : public QObject
{
    Q_OBJECT
private slots:
    void picture_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("transparent");
        const auto row = [](const QString &file, QSize size, bool transparent) {
            QTest::newRow(qPrintable(file)) << QStringLiteral(":/pictures/") + file << size << transparent;
        };
        row(QStringLiteral("fond.jpg"), {800, 600}, false);
        row(QStringLiteral("calivento.png"), {120, 90}, false);
        row(QStringLiteral("metronome_menu.png"), {53, 80}, true);
        row(QStringLiteral("metronome_gauche.png"), {57, 93}, true);
        row(QStringLiteral("metronome_droite.png"), {57, 93}, true);
        row(QStringLiteral("cursor_hand.png"), {32, 32}, true);
        row(QStringLiteral("icon.png"), {64, 64}, true);
        // Each drawing is as big as the catalogue says, which keeps it inside the play area.
        for (const game::Instrument &i : game::catalogue)
            row(QStringLiteral("instruments/%1.png").arg(QLatin1String(i.file)), {i.pixelWidth, i.pixelHeight}, false);
    }
    void picture()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        QFETCH(bool, transparent);
        const QImage image = argb(QImage(path));
        QCOMPARE(image.size(), size);
        // A real drawing has many colours; a stand-in or a failed render has a handful.
        const auto *pixels = reinterpret_cast<const QRgb *>(image.constBits());
        const QSet<QRgb> colours(pixels, pixels + image.width() * image.height());
        QVERIFY2(colours.size() > 12, qPrintable(QString::number(colours.size())));
        QCOMPARE(qAlpha(image.pixel(0, 0)), transparent ? 0 : 255);
        QCOMPARE(qAlpha(image.pixel(image.rect().center())), 255);
    }

    void cursorFingertipAtTheHotSpot()
    {
        const QImage cursor = argb(QImage(QStringLiteral(":/pictures/cursor_hand.png")));
        // The fingertip must be at (11, 6) or touching it, else clicks land beside the finger.
        int best = 0;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                best = qMax(best, qAlpha(cursor.pixel(11 + dx, 6 + dy)));
        QVERIFY(best >= 128);
        for (int x = 0; x < cursor.width(); ++x)
            QCOMPARE(qAlpha(cursor.pixel(x, 0)), 0); // nothing above the fingertip
    }

    // On a scaled screen each picture is drawn again at the device's size, and it is the same
    // drawing in the same place; at the normal size it is the embedded bitmap, pixel for pixel.
    void pictureAtRatio_data()
    {
        QTest::addColumn<QString>("bitmap");
        QTest::addColumn<QString>("name"); // a picture's type with its number, or a design's name
        QTest::addColumn<int>("id");
        QTest::newRow("background") << QStringLiteral(":/pictures/fond.jpg") << QStringLiteral("Fond") << 1;
        QTest::newRow("loading mascot") << QStringLiteral(":/pictures/calivento.png") << QStringLiteral("calivento")
                                        << 2;
        for (const char *name : {"instruments/violon", "instruments/tambourin", "metronome_gauche", "cursor_hand"})
            QTest::newRow(name) << QStringLiteral(":/pictures/%1.png").arg(QLatin1String(name))
                                << QString::fromLatin1(name).section(u'/', -1) << 0;
    }
    void pictureAtRatio()
    {
        QFETCH(QString, bitmap);
        QFETCH(QString, name);
        QFETCH(int, id);
        const auto at = [&](qreal ratio) {
            return id ? resources::picture(name, id, ratio) : resources::design(name, ratio);
        };
        const QImage embedded = argb(QImage(bitmap));
        for (qreal ratio : {1.0, 2.0, 1.8}) {
            QCOMPARE(at(ratio).devicePixelRatio(), ratio);
            QCOMPARE(at(ratio).size(), (QSizeF(embedded.size()) * ratio).toSize());
        }
        QCOMPARE(argb(at(1).toImage()), embedded);
        // Brought back to the normal size, the sharp rendering is the bitmap again, give or take
        // the edges that the finer pixels draw differently: the same drawing in the same place.
        // Blown up, the bitmap is not it: the rendering has detail of its own.
        const QImage sharp = argb(at(2).toImage());
        const QImage back = sharp.scaled(embedded.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QVERIFY2(difference(back, embedded) < 2, qPrintable(QString::number(difference(back, embedded))));
        const QImage blownUp = embedded.scaled(sharp.size());
        QVERIFY2(difference(sharp, blownUp) > 0.5, qPrintable(QString::number(difference(sharp, blownUp))));
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
