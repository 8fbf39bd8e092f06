// Every picture the game embeds: right size, not blank, transparent where the
// figure must sit on whatever is behind it.

#include <QImage>
#include <QSet>
#include <QtTest>

class TestArtwork : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void picture_data();
    void picture();
    void cursorHotSpot();
};

void TestArtwork::initTestCase()
{
    // The pictures live in a static library; make sure they are registered.
    Q_INIT_RESOURCE(calivento);
}

void TestArtwork::picture_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("transparent");

    const struct { const char *name; int w, h; bool transparent; } pictures[] = {
        {"fond.jpg", 800, 600, false},          {"calivento.png", 120, 90, false},
        {"metronome_menu.png", 53, 80, true},   {"metronome_gauche.png", 57, 93, true},
        {"metronome_droite.png", 57, 93, true}, {"cursor_hand.png", 32, 32, true},
        {"icon.png", 64, 64, true},
    };
    for (const auto &p : pictures)
        QTest::newRow(p.name) << QStringLiteral(":/pictures/%1").arg(QLatin1String(p.name))
                              << QSize(p.w, p.h) << p.transparent;

    const struct { const char *id; int w, h; } instruments[] = {
        {"alto", 84, 196},        {"contrebasse", 210, 491}, {"harpe", 221, 461},
        {"piano", 427, 494},      {"violon", 76, 172},       {"violoncelle", 149, 392},
        {"basson", 81, 331},      {"clarinette", 40, 208},   {"clarinette_basse", 126, 266},
        {"cor", 130, 137},        {"cor_anglais", 42, 257},  {"ct_basson", 80, 351},
        {"flute", 222, 35},       {"hautbois", 39, 205},     {"piccolo", 152, 37},
        {"saxophone", 115, 197},  {"trombone", 378, 120},    {"trompette", 187, 71},
        {"tuba", 218, 324},       {"cclaire", 126, 126},     {"cymbales", 193, 126},
        {"gcaisse", 161, 232},    {"tambourin", 433, 390},   {"timbales", 342, 346},
    };
    for (const auto &i : instruments)
        QTest::newRow(i.id) << QStringLiteral(":/pictures/instruments/%1.png").arg(QLatin1String(i.id))
                            << QSize(i.w, i.h) << false;
}

void TestArtwork::picture()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFETCH(bool, transparent);

    const QImage image = QImage(path).convertToFormat(QImage::Format_ARGB32);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QCOMPARE(image.size(), size);

    // A real drawing has many colours; a stand-in or a failed render has a handful.
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            colours.insert(image.pixel(x, y));
    QVERIFY2(colours.size() > 12, qPrintable(QStringLiteral("%1: %2 colours").arg(path).arg(colours.size())));

    const QPoint corner(0, 0), centre(image.width() / 2, image.height() / 2);
    if (transparent) {
        QCOMPARE(qAlpha(image.pixel(corner)), 0);
        QCOMPARE(qAlpha(image.pixel(centre)), 255);
    } else {
        QCOMPARE(qAlpha(image.pixel(corner)), 255);
    }
}

void TestArtwork::cursorHotSpot()
{
    const QImage cursor = QImage(QStringLiteral(":/pictures/cursor_hand.png")).convertToFormat(QImage::Format_ARGB32);
    QVERIFY(!cursor.isNull());
    // The fingertip must be at (11, 6) or touching it, else clicks land beside the finger.
    int best = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            best = qMax(best, qAlpha(cursor.pixel(11 + dx, 6 + dy)));
    QVERIFY(best >= 128);
    // Nothing sticks out above the fingertip.
    for (int x = 0; x < cursor.width(); ++x)
        QCOMPARE(qAlpha(cursor.pixel(x, 0)), 0);
}

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"
