// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The pictures and sounds the game embeds: right size, not blank, transparent where the figure
// sits on whatever is behind it; clean, playable PCM that does not clip or click.
#include "resources/resources.h"
#include "screens/game/catalogue.h"
#include "support/fakes.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QSet>
#include <QtTest>

namespace {
// Mean difference per channel and pixel of two pictures of one size.
double difference(const QImage &a, const QImage &b)
{
    qint64 sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) +
                   std::abs(qAlpha(p) - qAlpha(q));
        }
    return double(sum) / (4.0 * a.width() * a.height());
}
} // namespace

class TestResources : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { Q_INIT_RESOURCE(calivento); } // they live in a static library

    void picture_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("transparent");
        const struct {
            const char *name;
            int w, h;
            bool transparent;
        } pictures[] = {
            {"fond.jpg", 800, 600, false},
            {"calivento.png", 120, 90, false},
            {"metronome_menu.png", 53, 80, true},
            {"metronome_gauche.png", 57, 93, true},
            {"metronome_droite.png", 57, 93, true},
            {"cursor_hand.png", 32, 32, true},
            {"icon.png", 64, 64, true},
        };
        for (const auto &p : pictures)
            QTest::newRow(p.name) << QStringLiteral(":/pictures/%1").arg(QLatin1String(p.name)) << QSize(p.w, p.h)
                                  << p.transparent;
        // Each drawing is as big as the catalogue says, which keeps it inside the play area.
        for (const game::Instrument &i : game::catalogue)
            QTest::newRow(i.file) << QStringLiteral(":/pictures/instruments/%1.png").arg(QLatin1String(i.file))
                                  << QSize(i.pixelWidth, i.pixelHeight) << false;
    }
    void picture()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        QFETCH(bool, transparent);
        const QImage image = QImage(path).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), size);
        // A real drawing has many colours; a stand-in or a failed render has a handful.
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2)
                colours.insert(image.pixel(x, y));
        QVERIFY2(colours.size() > 12, qPrintable(QString::number(colours.size())));
        QCOMPARE(qAlpha(image.pixel(0, 0)), transparent ? 0 : 255);
        if (transparent)
            QCOMPARE(qAlpha(image.pixel(image.width() / 2, image.height() / 2)), 255);
    }

    void cursorFingertipAtTheHotSpot()
    {
        const QImage cursor =
            QImage(QStringLiteral(":/pictures/cursor_hand.png")).convertToFormat(QImage::Format_ARGB32);
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
        QTest::addColumn<QPixmap>("normal");
        QTest::addColumn<QPixmap>("twice");
        QTest::addColumn<QPixmap>("large");
        const auto row = [](const char *name, const QString &bitmap, const auto &load) {
            QTest::newRow(name) << bitmap << load(1.0) << load(2.0) << load(1.8);
        };
        row("background", QStringLiteral(":/pictures/fond.jpg"),
            [](qreal r) { return resources::picture(QStringLiteral("Fond"), 1, r); });
        row("loading mascot", QStringLiteral(":/pictures/calivento.png"),
            [](qreal r) { return resources::picture(QStringLiteral("calivento"), 2, r); });
        for (const char *name : {"violon", "tambourin", "metronome_gauche", "cursor_hand"}) {
            const QString file = QLatin1String(name);
            const QString folder = QFile::exists(QStringLiteral(":/pictures/instruments/%1.png").arg(file))
                                       ? QStringLiteral("instruments/")
                                       : QString();
            row(name, QStringLiteral(":/pictures/%1%2.png").arg(folder, file),
                [file](qreal r) { return resources::design(file, r); });
        }
    }
    void pictureAtRatio()
    {
        QFETCH(QString, bitmap);
        QFETCH(QPixmap, normal);
        QFETCH(QPixmap, twice);
        QFETCH(QPixmap, large);
        const QImage embedded = QImage(bitmap).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(normal.devicePixelRatio(), 1.0);
        QCOMPARE(normal.toImage().convertToFormat(QImage::Format_ARGB32), embedded);

        QCOMPARE(twice.size(), embedded.size() * 2);
        QCOMPARE(twice.devicePixelRatio(), 2.0);
        QCOMPARE(large.size(), (QSizeF(embedded.size()) * 1.8).toSize());
        QCOMPARE(large.devicePixelRatio(), 1.8);

        // Brought back to the normal size, the sharp rendering is the bitmap again, give or take
        // the edges that the finer pixels draw differently: the same drawing in the same place.
        // Blown up, the bitmap is not it: the rendering has detail of its own.
        const QImage sharp = twice.toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage back = sharp.scaled(embedded.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QVERIFY2(difference(back, embedded) < 2, qPrintable(QString::number(difference(back, embedded))));
        const QImage blownUp = embedded.scaled(sharp.size());
        QVERIFY2(difference(sharp, blownUp) > 0.5, qPrintable(QString::number(difference(sharp, blownUp))));
        QCOMPARE(qAlpha(back.pixel(0, 0)), qAlpha(embedded.pixel(0, 0)));
    }

    // The fanfare and the chime as the sound engine gets them.
    void sound_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<double>("seconds");
        QTest::newRow("drop") << 103 << 1.8;
        QTest::newRow("win") << 101 << 7.8;
    }
    void sound()
    {
        QFETCH(int, id);
        QFETCH(double, seconds);
        const resources::Pcm &pcm = resources::sound(id);
        const double duration = double(pcm.frames()) / resources::pcmRate;
        QVERIFY2(std::abs(duration - seconds) <= 0.05 * seconds, qPrintable(QString::number(duration)));
        QVERIFY2(fakes::peak(pcm) < 32767, "clipped");
        QVERIFY2(fakes::peak(pcm) > 23197, "too quiet"); // -3 dBFS
        QVERIFY2(fakes::quietEdges(pcm), "clicks");
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
