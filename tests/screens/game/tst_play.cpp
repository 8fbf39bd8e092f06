// Rounds played with the mouse, from the menu to a result screen and back, with the clocks running.
#include "app/forms/screens.h"
#include "screens/game/form_instruments.h"
#include "screens/help/form_help.h"
#include "screens/menu/form_choix_instruments.h"
#include "screens/results/form_gagner_instruments.h"
#include "screens/results/form_perdu_instruments.h"
#include "support/fakes.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using game::GameId;

Q_DECLARE_METATYPE(GameId)

namespace {
// Drags the label to a point of its screen; every event goes to the label, as a real drag's would.
void dragTo(forms::Label &label, QPoint onForm)
{
    const QPoint to = label.mapFrom(label.form(), onForm);
    QTest::mousePress(&label, Qt::LeftButton, {}, label.rect().center());
    QTest::mouseMove(&label, to);
    QTest::mouseRelease(&label, Qt::LeftButton, {}, to);
}

// A point where the picture is the topmost control, if any.
std::optional<QPoint> exposedPoint(Form_instruments &f, forms::Image &picture)
{
    const QRect r = picture.geometry();
    for (int y = r.top() + 1; y < r.bottom(); y += 3)
        for (int x = r.left() + 1; x < r.right(); x += 3)
            if (f.childAt(x, y) == &picture)
                return QPoint(x, y);
    return std::nullopt;
}

int count(const QList<platform::SoundId> &played, platform::SoundId id)
{
    return static_cast<int>(std::count(played.begin(), played.end(), id));
}
} // namespace

class TestPlay : public QObject
{
    Q_OBJECT
    fakes::Platform m_fake{};

    // Clicks "Niveau 1" of the game in the menu.
    Form_instruments *start(GameId id)
    {
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        QTest::mouseClick(&menu.levelLabel(id, 1), Qt::LeftButton);
        if (!forms::isLoaded<Form_instruments>())
            return nullptr;
        return &forms::get<Form_instruments>();
    }

private slots:
    void init()
    {
        m_fake = fakes::install();
        m_fake.random->values = {0.12f, 0.83f, 0.47f, 0.05f, 0.66f, 0.31f, 0.94f};
        fakes::enterEmptyFolder(); // the menu reads and writes ./niveaux
    }
    void cleanup() { fakes::unloadAllScreens(); }

    void fullRound_data()
    {
        QTest::addColumn<GameId>("id");
        for (const game::GameInfo &g : game::games)
            QTest::newRow(g.title) << g.id;
    }
    void fullRound()
    {
        QFETCH(GameId, id);
        Form_instruments *f = start(id);
        QVERIFY(f);
        QVERIFY(f->isVisible());
        QCOMPARE(f->visibleGame(), id);
        QCOMPARE(f->visibleLevel(), 1);

        // Topmost first, so each picture is uncovered by the time its turn comes.
        int found = 0;
        for (const char *name : game::stackingOrder) {
            const int row = game::indexOfPicture(name);
            if (row < 0 || !f->picture(row).Visible())
                continue;
            const std::optional<QPoint> at = exposedPoint(*f, f->picture(row));
            QVERIFY2(at, name);
            const game::Instrument &i = game::catalogue[static_cast<std::size_t>(row)];
            forms::Label &answer = id == GameId::Familles ? f->familyLabel(i.family) : f->nameLabel(row);
            QVERIFY2(QRect(0, 0, 12000, 9000).contains(QPoint(answer.Left(), answer.Top())), name);
            dragTo(answer, *at);
            QVERIFY2(!f->picture(row).Visible(), name);
            ++found;
        }
        QCOMPARE(found, static_cast<int>(game::board(id).drawOrder.size()));
        QCOMPARE(count(m_fake.sound->played, platform::SoundId::Drop), found);
        QVERIFY(forms::isLoaded<Form_gagner_instruments>());
        QVERIFY(!f->isEnabled());
        QVERIFY(!f->Timer1.isRunning());
    }

    void wrongDropThenLostRound()
    {
        Form_instruments *f = start(GameId::Percussions);
        QVERIFY(f);
        const int interval = f->Timer1.Interval();
        forms::Image &drum = f->picture(game::indexOfPicture("CClaire"));
        const std::optional<QPoint> at = exposedPoint(*f, drum);
        QVERIFY(at);
        dragTo(*f->findChild<forms::Label *>(QStringLiteral("L_timbales")), *at);
        QVERIFY(drum.Visible());
        QVERIFY(f->Timer1.Interval() <= interval - 20);

        f->Timer1.setInterval(42);
        QTRY_VERIFY(forms::isLoaded<Form_Perdu_instruments>());
        QCOMPARE(f->Text_points.Caption(), QStringLiteral("0"));
        QVERIFY(!f->Timer1.isRunning());
        QVERIFY(!f->isEnabled());
    }

    void restartByClick()
    {
        Form_instruments *f = start(GameId::Tous);
        QVERIFY(f);
        const int violin = game::indexOfPicture("violon");
        const std::optional<QPoint> at = exposedPoint(*f, f->picture(violin));
        QVERIFY(at);
        dragTo(f->nameLabel(violin), *at);
        QVERIFY(!f->nameLabel(violin).Visible());
        f->Timer1.setInterval(300);

        QTest::mouseClick(&f->Command_recommencer, Qt::LeftButton);
        QCOMPARE(f->Timer1.Interval(), 1041);
        QVERIFY(f->nameLabel(violin).Visible());
        QVERIFY(f->picture(violin).Visible());
        QCOMPARE(f->visibleLevel(), 1);
        QCOMPARE(f->Command_compteur.Caption(), QStringLiteral("Arrêt"));
    }

    void backToTheMenu()
    {
        Form_instruments *f = start(GameId::Vents);
        QVERIFY(f);
        QTest::mouseClick(&f->Command_son, Qt::LeftButton);
        QCOMPARE(f->Command_son.Caption(), QStringLiteral("Avec &bruitages"));
        QTest::mouseClick(&f->Command_retour, Qt::LeftButton);
        QVERIFY(!forms::isLoaded<Form_instruments>());
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        QVERIFY(menu.isEnabled());
        QVERIFY(menu.isVisible());
        QCOMPARE(menu.levelLabel(GameId::Vents, 1).mousePointer(), forms::Pointer::Custom);

        // The next game is a fresh screen, sound effects on again.
        f = start(GameId::Cordes);
        QVERIFY(f);
        QCOMPARE(f->Command_son.Caption(), QStringLiteral("Sans &bruitages"));
        QCOMPARE(f->Label_description.Caption(), QStringLiteral("Les instruments à cordes"));
    }

    void helpFromARound()
    {
        Form_instruments *f = start(GameId::Familles);
        QVERIFY(f);
        QTest::mouseClick(&f->Command_aide, Qt::LeftButton);
        Form_help &help = forms::get<Form_help>();
        QVERIFY(help.isVisible());
        QVERIFY(!f->Timer1.Enabled());
        const QString points = f->Text_points.Caption();
        QTest::mouseClick(&help.Command_retour, Qt::LeftButton);
        QVERIFY(!help.isVisible());
        QVERIFY(f->Timer1.Enabled());
        QVERIFY(f->isVisible());
        QCOMPARE(f->Text_points.Caption(), points);
    }
};

QTEST_MAIN(TestPlay)
#include "tst_play.moc"
