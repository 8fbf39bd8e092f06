// The game screen driven through its handlers, with its timers held still: the board at creation
// and after each set-up, the drops, the beats, the stopwatch around help, the restart.
#include "app/forms/screens.h"
#include "app/forms/twips.h"
#include "resources/resources.h"
#include "screens/game/form_instruments.h"
#include "screens/help/form_help.h"
#include "screens/results/form_gagner_instruments.h"
#include "screens/results/form_perdu_instruments.h"
#include "support/fakes.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using game::GameId;

Q_DECLARE_METATYPE(GameId)

namespace {
const QList<GameId> allGames{GameId::Tous, GameId::Familles, GameId::Vents, GameId::Cordes, GameId::Percussions};
const QRect playArea(game::playLeft, game::playTop, game::playWidth, game::playHeight);

forms::Label &label(Form_instruments &f, const QString &name)
{
    auto *l = f.findChild<forms::Label *>(name);
    if (!l)
        qFatal("no label %s", qPrintable(name));
    return *l;
}

forms::Image &picture(Form_instruments &f, const char *name)
{
    return f.picture(game::indexOfPicture(name));
}

QRect twips(const forms::Control &c)
{
    return {c.Left(), c.Top(), c.Width(), c.Height()};
}

// A round as the menu starts it, with the clocks held so that only the test moves them.
Form_instruments &startRound(GameId id, int level = 1)
{
    Form_instruments &f = forms::get<Form_instruments>();
    f.Timer1.setEnabled(false);
    f.Timer2.setEnabled(false);
    f.prepareRound(id, level);
    f.levelMarker(level).setVisible(true);
    return f;
}

void drop(Form_instruments &f, const QString &dragged, const char *on)
{
    emit picture(f, on).DragDrop(&label(f, dragged));
}
} // namespace

class TestGameScreen : public QObject
{
    Q_OBJECT
    fakes::Platform m_fake{};

private slots:
    void init()
    {
        m_fake = fakes::install();
        fakes::enterEmptyFolder(); // the win screen writes the progress files
    }
    void cleanup() { fakes::unloadAllScreens(); }

    void atCreation()
    {
        Form_instruments &f = forms::get<Form_instruments>();
        for (int row = 0; row < game::instrumentCount; ++row) {
            QVERIFY(!f.picture(row).Visible());
            QCOMPARE(f.picture(row).Left() >= 12000, true);
        }
        for (forms::Label *l : f.findChildren<forms::Label *>()) {
            if (l->dragAutomatic()) {
                QVERIFY(l->Visible());
                QVERIFY2(l->Top() >= 9000, qPrintable(l->objectName()));
            }
        }
        const QList<forms::Label *> labels = f.findChildren<forms::Label *>();
        QCOMPARE(std::count_if(labels.begin(), labels.end(), [](auto *l) { return l->dragAutomatic(); }), 27);
        QVERIFY(!f.Text_0.Visible());
        QVERIFY(!f.visibleGame());
        QVERIFY(!f.visibleLevel());
        QCOMPARE(f.Metronome_stop.Picture().cacheKey(), f.Metronome_droite.Picture().cacheKey());
        QCOMPARE(f.Command_compteur.Caption(), QStringLiteral("Arrêt"));
    }

    void stackingFollowsTheOneList()
    {
        Form_instruments &f = forms::get<Form_instruments>();
        // Children are kept bottom first: each control of the list lies above the ones after it.
        const QObjectList children = f.children();
        qsizetype above = children.size();
        for (const char *name : game::stackingOrder) {
            QWidget *w = f.findChild<QWidget *>(QString::fromUtf8(name), Qt::FindDirectChildrenOnly);
            QVERIFY2(w, name);
            const qsizetype at = children.indexOf(w);
            QVERIFY2(at < above, name);
            above = at;
        }
    }

    void setUp_data()
    {
        QTest::addColumn<GameId>("id");
        QTest::addColumn<int>("level");
        for (GameId id : allGames)
            for (int level = 1; level <= 3; ++level)
                QTest::addRow("%s %d", game::info(id).title, level) << id << level;
    }
    void setUp()
    {
        QFETCH(GameId, id);
        QFETCH(int, level);
        m_fake.random->values = {0.0f, 0.99f, 0.37f, 0.5f, 0.71f};
        Form_instruments &f = startRound(id, level);
        QCOMPARE(f.Label_description.Caption(), QString::fromUtf8(game::info(id).title));
        QCOMPARE(f.visibleGame(), id);
        QCOMPARE(f.visibleLevel(), level);
        QCOMPARE(f.Timer1.Interval(), game::startInterval(id, level));
        QCOMPARE(m_fake.random->reseeds, 1);

        QSet<QString> placed;
        for (const game::LabelPlace &p : game::board(id).places) {
            const forms::Label &l = label(f, QString::fromUtf8(p.label));
            QCOMPARE(QPoint(l.Left(), l.Top()), QPoint(p.left, p.top));
            placed << l.objectName();
        }
        for (forms::Label *l : f.findChildren<forms::Label *>())
            if (l->dragAutomatic() && !placed.contains(l->objectName()))
                QVERIFY2(l->Top() >= 9000, qPrintable(l->objectName()));
        for (int row = 0; row < game::instrumentCount; ++row) {
            QCOMPARE(f.picture(row).Visible(), game::plays(id, row));
            if (game::plays(id, row))
                QVERIFY(playArea.contains(twips(f.picture(row))));
        }
    }

    void drops_data()
    {
        QTest::addColumn<GameId>("id");
        QTest::addColumn<QString>("dragged");
        QTest::addColumn<QString>("on");
        QTest::addColumn<bool>("effects");
        QTest::addColumn<bool>("right");
        const auto row = [](const char *name, GameId id, const char *dragged, const char *on, bool effects,
                            bool right) {
            QTest::newRow(name) << id << QString::fromUtf8(dragged) << QString::fromUtf8(on) << effects << right;
        };
        row("name", GameId::Tous, "L_violon", "violon", true, true);
        row("name, effects off", GameId::Tous, "L_violon", "violon", false, true);
        row("xylophone", GameId::Tous, "L_tambourin", "Tambourin", true, true);
        row("snare drum is not the xylophone", GameId::Tous, "L_CClaire", "Tambourin", true, false);
        row("other name", GameId::Tous, "L_harpe", "violon", true, false);
        row("family in the names game", GameId::Tous, "L_Cordophones", "violon", true, true);
        row("other family", GameId::Tous, "L_Aérophones", "violon", true, false);
        row("families: strings", GameId::Familles, "L_Cordophones", "Piano", true, true);
        row("families: winds", GameId::Familles, "L_Aérophones", "Saxophone", true, true);
        row("families: percussion", GameId::Familles, "L_membranophones", "Cymbales", false, true);
        row("families: wrong", GameId::Familles, "L_Aérophones", "Piano", true, false);
        row("winds: name", GameId::Vents, "L_saxophone", "Saxophone", true, true);
        row("winds: wrong", GameId::Vents, "L_cor", "Trompette", true, false);
        row("strings: name", GameId::Cordes, "L_piano", "Piano", true, true);
        row("strings: wrong", GameId::Cordes, "L_Alto", "violon", false, false);
        row("percussion: name", GameId::Percussions, "L_cymbales", "Cymbales", true, true);
        row("percussion: wrong", GameId::Percussions, "L_timbales", "GCaisse", true, false);
    }
    void drops()
    {
        QFETCH(GameId, id);
        QFETCH(QString, dragged);
        QFETCH(QString, on);
        QFETCH(bool, effects);
        QFETCH(bool, right);
        Form_instruments &f = startRound(id);
        if (!effects)
            f.Command_son_Click();
        const int start = f.Timer1.Interval();
        f.Timer1_Timer();
        QCOMPARE(f.Text_points.Caption(), QString::number(start - 41));

        drop(f, dragged, on.toUtf8().constData());
        const bool family = !dragged.startsWith(QStringLiteral("L_")) || dragged.endsWith(QStringLiteral("phones"));
        QCOMPARE(picture(f, on.toUtf8().constData()).Visible(), !right);
        // A name found goes with its picture; a family label stays for the other members.
        QCOMPARE(label(f, dragged).Visible(), !right || family);
        QCOMPARE(f.Timer1.Interval(), start - 1 - (right ? 0 : 20));
        QCOMPARE(m_fake.sound->played.size(), right && effects ? 1 : 0);
        if (right && effects)
            QCOMPARE(m_fake.sound->played.first(), platform::SoundId::Drop);
        // The points shown move only at the next beat, by 21 after a wrong drop.
        QCOMPARE(f.Text_points.Caption(), QString::number(start - 41));
        f.Timer1_Timer();
        QCOMPARE(f.Text_points.Caption(), QString::number(start - 42 - (right ? 0 : 20)));
        QVERIFY(!forms::isLoaded<Form_gagner_instruments>());
    }

    void wonByTheLastPicture_data()
    {
        QTest::addColumn<GameId>("id");
        for (GameId id : allGames)
            QTest::newRow(game::info(id).title) << id;
    }
    void wonByTheLastPicture()
    {
        QFETCH(GameId, id);
        Form_instruments &f = startRound(id);
        QList<int> rows;
        for (int row = 0; row < game::instrumentCount; ++row)
            if (game::plays(id, row))
                rows << row;
        for (int row : rows) {
            QVERIFY(!forms::isLoaded<Form_gagner_instruments>());
            const game::Instrument &i = game::catalogue[static_cast<std::size_t>(row)];
            forms::Label &answer = id == GameId::Familles ? f.familyLabel(i.family) : f.nameLabel(row);
            // A wrong drop on the last picture does not end the round.
            emit f.picture(row).DragDrop(&label(f, QStringLiteral("L_Aérophones")));
            emit f.picture(row).DragDrop(&answer);
        }
        QVERIFY(forms::isLoaded<Form_gagner_instruments>());
        for (const game::FamilyInfo &family : game::families)
            QVERIFY(f.familyLabel(family.family).Visible());
    }

    void dropGoesToTheTopmost()
    {
        Form_instruments &f = startRound(GameId::Tous);
        for (int row = 0; row < game::instrumentCount; ++row)
            f.picture(row).setVisible(false);
        // The xylophone is drawn under every other picture although it was made after most.
        forms::Image &xylophone = picture(f, "Tambourin");
        forms::Image &oboe = picture(f, "Hautbois");
        xylophone.move(3960, 160);
        oboe.move(5000, 1000);
        xylophone.setVisible(true);
        oboe.setVisible(true);
        const int start = f.Timer1.Interval();
        forms::Label &name = label(f, QStringLiteral("L_tambourin"));

        // Over the oboe, which lies on the xylophone: judged for the oboe alone.
        f.beginDrag(&name, {});
        f.endDrag(oboe.geometry().center());
        QVERIFY(xylophone.Visible());
        QVERIFY(oboe.Visible());
        QCOMPARE(f.Timer1.Interval(), start - 20);
        // On the play area, off any picture: nothing happens.
        f.beginDrag(&name, {});
        f.endDrag(QPoint(forms::toPixels(11000), forms::toPixels(7600)));
        QCOMPARE(f.Timer1.Interval(), start - 20);
        // On the uncovered part of the xylophone.
        f.beginDrag(&name, {});
        f.endDrag(xylophone.geometry().topLeft() + QPoint(5, 5));
        QVERIFY(!xylophone.Visible());
        QVERIFY(!name.Visible());
    }

    void beats()
    {
        Form_instruments &f = startRound(GameId::Vents);
        const int decoded = resources::decodeCount();
        f.Timer1.setInterval(42);
        f.Timer1_Timer();
        QCOMPARE(f.Text_points.Caption(), QStringLiteral("1"));
        QCOMPARE(f.Metronome_stop.Picture().cacheKey(), f.Metronome_gauche.Picture().cacheKey());
        f.Timer1_Timer();
        QCOMPARE(f.Text_points.Caption(), QStringLiteral("0"));
        QCOMPARE(f.Metronome_stop.Picture().cacheKey(), f.Metronome_droite.Picture().cacheKey());
        QCOMPARE(resources::decodeCount(), decoded);
        QVERIFY(!forms::isLoaded<Form_Perdu_instruments>());
        f.Timer1_Timer();
        QVERIFY(forms::isLoaded<Form_Perdu_instruments>());
        QCOMPARE(f.Text_points.Caption(), QStringLiteral("0"));
    }

    void wrongDropAtTheVeryEnd()
    {
        Form_instruments &f = startRound(GameId::Cordes);
        f.Timer1.setInterval(15);
        drop(f, QStringLiteral("L_harpe"), "violon");
        QVERIFY(f.Timer1.Interval() > 0);
        f.Timer1_Timer();
        QVERIFY(forms::isLoaded<Form_Perdu_instruments>());
    }

    void stopwatchAroundHelp_data()
    {
        QTest::addColumn<int>("playedBefore"); // seconds
        QTest::addColumn<int>("inHelp");
        QTest::addColumn<QString>("fiveSecondsAfter");
        QTest::newRow("1:23, two minutes of help") << 83 << 120 << "00:01:28";
        QTest::newRow("1:23, straight back") << 83 << 0 << "00:01:28";
        QTest::newRow("help in the first second") << 0 << 30 << "00:00:05";
        QTest::newRow("help in the first second, straight back") << 0 << 0 << "00:00:05";
    }
    void stopwatchAroundHelp()
    {
        QFETCH(int, playedBefore);
        QFETCH(int, inHelp);
        QFETCH(QString, fiveSecondsAfter);
        m_fake.clock->now = QTime(16, 0, 0);
        Form_instruments &f = startRound(GameId::Percussions);
        f.Timer1.setEnabled(true);
        f.Timer1_Timer();
        const QString points = f.Text_points.Caption();
        if (playedBefore > 0) {
            m_fake.clock->now = m_fake.clock->now.addSecs(playedBefore);
            f.Timer2_Timer();
        }

        f.Command_aide_Click();
        Form_help &help = forms::get<Form_help>();
        QVERIFY(help.instruments.Visible());
        QVERIFY(!f.Timer1.Enabled());
        for (int s = 0; s < inHelp; ++s) {
            m_fake.clock->now = m_fake.clock->now.addSecs(1);
            f.Timer2_Timer();
        }
        help.Command_retour_Click();
        QVERIFY(f.Timer1.Enabled());
        QCOMPARE(f.Text_points.Caption(), points);
        m_fake.clock->now = m_fake.clock->now.addSecs(5);
        f.Timer2_Timer();
        QCOMPARE(f.Text_temps.Caption(), fiveSecondsAfter);
    }

    void stopwatchAcrossMidnight()
    {
        m_fake.clock->now = QTime(23, 59, 30);
        Form_instruments &f = startRound(GameId::Tous);
        m_fake.clock->now = QTime(0, 0, 30);
        f.Timer2_Timer();
        QCOMPARE(f.Text_temps.Caption(), QStringLiteral("23:59:00"));
    }

    void restart_data()
    {
        QTest::addColumn<GameId>("id");
        QTest::addColumn<int>("level");
        QTest::newRow("all instruments, 1") << GameId::Tous << 1;
        QTest::newRow("strings, 2") << GameId::Cordes << 2;
        QTest::newRow("winds, 3") << GameId::Vents << 3;
        QTest::newRow("families, 2") << GameId::Familles << 2;
        QTest::newRow("percussion, 1") << GameId::Percussions << 1;
    }
    void restart()
    {
        QFETCH(GameId, id);
        QFETCH(int, level);
        Form_instruments &f = startRound(id, level);
        f.Timer1.setInterval(300);
        int found = 0;
        for (int row = 0; row < game::instrumentCount && found < 2; ++row) {
            if (!game::plays(id, row))
                continue;
            ++found;
            const game::Instrument &i = game::catalogue[static_cast<std::size_t>(row)];
            emit f.picture(row).DragDrop(id == GameId::Familles ? &f.familyLabel(i.family) : &f.nameLabel(row));
        }
        m_fake.clock->now = m_fake.clock->now.addSecs(200);
        f.Timer2_Timer();

        m_fake.random->values = {0.25f};
        f.Command_recommencer_Click();
        QCOMPARE(f.Timer1.Interval(), game::startInterval(id, level));
        QCOMPARE(f.visibleLevel(), level);
        QCOMPARE(f.visibleGame(), id);
        QCOMPARE(f.mousePointer(), forms::Pointer::Default);
        for (int row = 0; row < game::instrumentCount; ++row) {
            QVERIFY(f.nameLabel(row).Visible());
            QCOMPARE(f.picture(row).Visible(), game::plays(id, row));
        }
        QCOMPARE(m_fake.random->reseeds, 2);
        QCOMPARE(f.Command_compteur.Caption(), QStringLiteral("Arrêt"));
        m_fake.clock->now = m_fake.clock->now.addSecs(2);
        f.Timer2_Timer();
        QCOMPARE(f.Text_temps.Caption(), QStringLiteral("00:00:02"));
    }

    void soundSwitch()
    {
        Form_instruments &f = startRound(GameId::Tous);
        f.Command_son_Click();
        QCOMPARE(f.Command_son.Caption(), QStringLiteral("Avec &bruitages"));
        drop(f, QStringLiteral("L_cor"), "Cor");
        QVERIFY(m_fake.sound->played.isEmpty());
        f.Command_son_Click();
        QCOMPARE(f.Command_son.Caption(), QStringLiteral("Sans &bruitages"));
        drop(f, QStringLiteral("L_tuba"), "tuba");
        QCOMPARE(m_fake.sound->played, QList{platform::SoundId::Drop});
    }
};

QTEST_MAIN(TestGameScreen)
#include "tst_game_screen.moc"
