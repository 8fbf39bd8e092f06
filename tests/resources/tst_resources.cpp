// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The pictures the game embeds: the size the screens expect, real content; on a scaled screen the
// same drawing, sharp.
#include "resources/resources.h"
#include "screens/game/catalogue.h"

#include <QtTest>
#include <numeric>

namespace {
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
    // Each picture at the size the screens expect, a real drawing. On a scaled screen it is drawn
    // again at the device's size, and it is the same drawing in the same place; at the normal size
    // it is the embedded bitmap, pixel for pixel.
    void realAtItsSizeSharpWhenScaled_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("type"); // a picture's type, with its number; none: a design by name
        QTest::addColumn<int>("id");       // -1: not drawn, never scaled
        QTest::newRow("fond.jpg") << QSize(800, 600) << QStringLiteral("Fond") << 1;
        QTest::newRow("calivento.png") << QSize(120, 90) << QStringLiteral("calivento") << 2;
        QTest::newRow("icon.png") << QSize(64, 64) << QString() << -1;
        QTest::newRow("metronome_menu.png") << QSize(53, 80) << QString() << 0;
        QTest::newRow("cursor_hand.png") << QSize(32, 32) << QString() << 0;
        // Each drawing is as big as the catalogue says, which keeps it inside the play area.
        for (const game::Instrument &i : game::catalogue)
            QTest::addRow("instruments/%s.png", i.file) << QSize(i.pixelWidth, i.pixelHeight) << QString() << 0;
    }
    void realAtItsSizeSharpWhenScaled()
    {
        QFETCH(QSize, size);
        QFETCH(QString, type);
        QFETCH(int, id);
        const QString path = QStringLiteral(":/pictures/") + QTest::currentDataTag();
        const QImage embedded = QImage(path).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(embedded.size(), size);
        // A real drawing has many colours; a stand-in or a failed render has a handful.
        const auto *pixels = reinterpret_cast<const QRgb *>(embedded.constBits());
        const QSet<QRgb> colours(pixels, pixels + embedded.width() * embedded.height());
        QVERIFY2(colours.size() > 12, qPrintable(QString::number(colours.size())));
        if (id < 0)
            return;
        const QString name = path.section(u'/', -1).section(u'.', 0, 0);
        const auto at = [&](qreal ratio) {
            return id ? resources::picture(type, id, ratio) : resources::design(name, ratio);
        };
        QCOMPARE(at(1).toImage().convertToFormat(QImage::Format_ARGB32), embedded);
        const QPixmap scaled = at(1.8);
        QCOMPARE(scaled.devicePixelRatio(), 1.8);
        QCOMPARE(scaled.size(), (QSizeF(size) * 1.8).toSize());
        // Brought back to the normal size, the sharp rendering is the bitmap again, give or take
        // the edges that the finer pixels draw differently: the same drawing in the same place.
        // Blown up, the bitmap is not it: the rendering has detail of its own.
        const QImage sharp = scaled.toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage back = sharp.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QVERIFY2(difference(back, embedded) < 3, qPrintable(QString::number(difference(back, embedded))));
        const QImage blownUp = embedded.scaled(sharp.size());
        QVERIFY2(difference(sharp, blownUp) > 0.5, qPrintable(QString::number(difference(sharp, blownUp))));
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
