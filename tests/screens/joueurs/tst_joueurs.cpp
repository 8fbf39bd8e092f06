// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// "Qui joue ?" driven as a child drives it (mouse, arrows, Enter, letters, Esc) and as a screen
// reader reads it; the menu as a child's; what a child's play leaves in a real database file.
#include "app/forms/accessibility.h"
#include "app/forms/screens.h"
#include "screens/game/catalogue.h"
#include "screens/game/form_instruments.h"
#include "screens/game/rules.h"
#include "screens/joueurs/form_joueurs.h"
#include "screens/joueurs/roster.h"
#include "screens/listen/form_ecouter.h"
#include "screens/listen/rules.h"
#include "screens/loading/form_chargement.h"
#include "screens/menu/form_choix_instruments.h"
#include "store/database.h"
#include "store/player.h"
#include "support/fakes.h"

#include <QAccessible>
#include <QDir>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {
using fakes::press;

const QString maClasse = QStringLiteral("c1");

joueurs::Roster rosterOf(const QStringList &names, const QString &classId = maClasse)
{
    joueurs::Roster roster;
    roster.classes.push_back({classId, QStringLiteral("Ma classe")});
    int i = 0;
    for (const QString &name : names) {
        store::Child child;
        child.id = QStringLiteral("e%1").arg(i);
        child.classId = classId;
        child.firstName = name;
        child.picture = QString::fromLatin1(game::catalogue[std::size_t(i++ % game::instrumentCount)].file);
        roster.children.push_back(child);
    }
    return roster;
}

QStringList numbered(int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << QStringLiteral("Nina %1").arg(i + 1, 2, 10, QLatin1Char('0'));
    return names;
}

Form_joueurs &open(const joueurs::Roster &roster)
{
    Form_joueurs &screen = forms::get<Form_joueurs>();
    screen.setRoster(roster);
    screen.Show();
    QCoreApplication::processEvents();
    return screen;
}

// The names on the tiles shown, in reading order.
QStringList shownNames(Form_joueurs &screen)
{
    QStringList names;
    for (int i = 0; i < joueurs::perPage; ++i)
        if (screen.tile(i).Visible())
            names << screen.tileName(i).Caption();
    return names;
}

int focusedTile(Form_joueurs &screen)
{
    for (int i = 0; i < joueurs::perPage; ++i)
        if (QApplication::focusWidget() == &screen.tile(i))
            return i;
    return -1;
}

QString databaseFile()
{
    return QDir::current().filePath(QStringLiteral("calivento.sqlite"));
}

// A database file with one class and these children, as an adult makes them.
std::vector<store::Child> makeChildren(const QStringList &names)
{
    std::vector<store::Child> made;
    std::optional<store::Database> db = store::Database::open({databaseFile(), {}}, QStringLiteral("test"));
    if (!db)
        return made;
    const store::ClassRow classRow = db->defaultClass();
    for (const QString &name : names) {
        store::Child child;
        child.classId = classRow.id;
        child.firstName = name;
        child.picture = QStringLiteral("hautbois");
        if (std::optional<store::Child> added = db->addChild(child))
            made.push_back(*added);
    }
    return made;
}

// Rows of a query on the file, each as its columns joined by "|", once every posted write is in.
QStringList rowsOf(const QString &sql)
{
    store::Player::current().worker().wait();
    QStringList rows;
    std::optional<store::Database> db = store::Database::open({databaseFile(), {}}, QStringLiteral("check"));
    if (!db)
        return {QStringLiteral("<no database>")};
    QSqlQuery query(db->sql());
    if (!query.exec(sql))
        return {QStringLiteral("<bad query>")};
    while (query.next()) {
        QStringList columns;
        for (int c = 0; c < query.record().count(); ++c)
            columns << query.value(c).toString();
        rows << columns.join('|');
    }
    return rows;
}

} // namespace

class TestJoueurs : public fakes::ScreenTest
{
    Q_OBJECT
private slots:
    void init()
    {
        m_fake = fakes::install();
        fakes::enterEmptyFolder();
        store::Player::current().useStore({databaseFile(), {}});
    }
    void cleanup()
    {
        fakes::unloadAllScreens();
        store::Player::current().leave();
        store::Player::current().close();
    }

    void frenchOrderAndPages_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("firstPage");
        QTest::addColumn<int>("pages");
        QTest::newRow("30 on one page") << numbered(30) << numbered(30) << 1;
        QTest::newRow("31 on two") << numbered(31) << numbered(30) << 2;
    }
    // Pages follow each other with "Suivants" and "Précédents", each shown only where it leads.
    void frenchOrderAndPages()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, firstPage);
        QFETCH(int, pages);
        Form_joueurs &screen = open(rosterOf(names));
        QCOMPARE(shownNames(screen), firstPage);
        QStringList all;
        for (int page = 0; page < pages; ++page) {
            QCOMPARE(screen.page(), page);
            QCOMPARE(screen.Command_precedents.Visible(), page > 0);
            QCOMPARE(screen.Command_suivants.Visible(), page + 1 < pages);
            all << shownNames(screen);
            if (page + 1 < pages)
                QTest::mouseClick(&screen.Command_suivants, Qt::LeftButton);
        }
        QCOMPARE(all.size(), names.size());
        if (pages > 1) {
            QTest::mouseClick(&screen.Command_precedents, Qt::LeftButton);
            QCOMPARE(screen.page(), pages - 2);
        }
    }

    // Arrows move over the grid, letters jump to the next name starting with them (accents aside,
    // over pages), Enter picks: the menu opens and "Qui joue ?" is gone.
    void keys()
    {
        QStringList names = numbered(40);
        names[35] = QStringLiteral("Zoé");
        names[3] = QStringLiteral("Élodie");
        names[20] = QStringLiteral("zélie");
        Form_joueurs &screen = open(rosterOf(names));
        press(Qt::Key_Right);
        QCOMPARE(focusedTile(screen), 0);
        press(Qt::Key_Right);
        press(Qt::Key_Down);
        QCOMPARE(focusedTile(screen), 1 + joueurs::columns);
        const auto focusedName = [&screen] { return screen.tileName(focusedTile(screen)).Caption(); };
        press(Qt::Key_E); // back round to the first tile
        QCOMPARE(focusedName(), QStringLiteral("Élodie"));
        press(Qt::Key_Z); // on the second page
        QCOMPARE(screen.page(), 1);
        QCOMPARE(focusedName(), QStringLiteral("zélie"));
        press(Qt::Key_Z);
        QCOMPARE(focusedName(), QStringLiteral("Zoé"));
        press(Qt::Key_Q); // no name: nothing moves
        QCOMPARE(focusedName(), QStringLiteral("Zoé"));
        press(Qt::Key_Left);
        press(Qt::Key_Return);
        QVERIFY(forms::isLoaded<Form_choix_instruments>());
        QVERIFY(forms::get<Form_choix_instruments>().isVisible());
        QVERIFY(!forms::isLoaded<Form_joueurs>());
    }

    // A tap on the picture, which lies over the tile: the tile takes it all the same.
    void pickByTap()
    {
        Form_joueurs &screen = open(rosterOf({"Léa", "Noé", "Zoé"}));
        const QPoint at = screen.tilePicture(1).geometry().center();
        static QPointingDevice *fingers = QTest::createTouchDevice();
        QTest::touchEvent(&screen, fingers).press(0, at);
        QTest::touchEvent(&screen, fingers).release(0, at);
        QTRY_VERIFY(forms::isLoaded<Form_choix_instruments>());
        QCOMPARE(store::Player::current().child()->firstName, QStringLiteral("Noé"));
    }

    // With several classes and none chosen for this computer, the classes come first.
    void classesFirst_data()
    {
        QTest::addColumn<QString>("classShown");
        QTest::addColumn<QStringList>("first");
        QTest::newRow("none chosen") << QString() << QStringList{"CE2 A", "CE2 B"};
        QTest::newRow("CE2 B chosen") << "b" << QStringList{"Anaïs", "Zoé"};
    }
    void classesFirst()
    {
        QFETCH(QString, classShown);
        QFETCH(QStringList, first);
        joueurs::Roster roster = rosterOf({"Zoé", "Anaïs"}, QStringLiteral("b"));
        const joueurs::Roster other = rosterOf({"Léa"}, QStringLiteral("a"));
        roster.classes = {{QStringLiteral("b"), QStringLiteral("CE2 B")},
                          {QStringLiteral("a"), QStringLiteral("CE2 A")}};
        roster.children.push_back(other.children.front());
        roster.children.back().id = QStringLiteral("lea");
        roster.classShown = classShown;
        Form_joueurs &screen = open(roster);
        QCOMPARE(shownNames(screen), first);
        if (classShown.isEmpty()) {
            QTest::mouseClick(&screen.tile(1), Qt::LeftButton);
            QCOMPARE(shownNames(screen), (QStringList{"Anaïs", "Zoé"}));
        }
    }

    // A screen reader sees one button per tile, named by the first name, and nothing of the
    // pictures and names drawn over them; pressing one picks the child.
    void accessibilityTree()
    {
        forms::installAccessibility();
        Form_joueurs &screen = open(rosterOf({"Léa", "Noé", "Robert'); DROP TABLE enfants;--"}));
        QAccessibleInterface *window = QAccessible::queryAccessibleInterface(&screen);
        QCOMPARE(window->role(), QAccessible::Window);
        QStringList buttons;
        QAccessibleInterface *lea = nullptr;
        for (int i = 0; i < window->childCount(); ++i) {
            QAccessibleInterface *child = window->child(i);
            if (child->state().invisible)
                continue;
            if (child->role() == QAccessible::Button)
                buttons << child->text(QAccessible::Name);
            else
                QCOMPARE(child->text(QAccessible::Name), QStringLiteral("Qui joue ?"));
            if (child->text(QAccessible::Name) == QStringLiteral("Léa"))
                lea = child;
        }
        QCOMPARE(buttons, (QStringList{"Léa", "Noé", "Robert'); DROP TABLE enfants;--", "Quitter"}));
        QVERIFY(lea && lea->actionInterface());
        lea->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_VERIFY(forms::isLoaded<Form_choix_instruments>());
    }

    // After the loading screen: "Qui joue ?" once a child exists; at home the menu, and no
    // database is made.
    void startUp_data()
    {
        QTest::addColumn<bool>("file");
        QTest::addColumn<QStringList>("children");
        QTest::newRow("at home") << false << QStringList{};
        QTest::newRow("a class") << true << QStringList{"Léa", "Noé"};
    }
    void startUp()
    {
        QFETCH(bool, file);
        QFETCH(QStringList, children);
        if (file)
            QCOMPARE(int(makeChildren(children).size()), children.size());
        forms::get<Form_chargement>().Show();
        QTRY_VERIFY(!forms::isLoaded<Form_chargement>());
        QCOMPARE(forms::isLoaded<Form_joueurs>(), !children.isEmpty());
        QCOMPARE(forms::isLoaded<Form_choix_instruments>(), children.isEmpty());
        QCOMPARE(QFile::exists(databaseFile()), file);
        if (!children.isEmpty())
            QCOMPARE(shownNames(forms::get<Form_joueurs>()), children);
    }

    // "Joueur : Léa" in the menu while Léa plays, a way back to "Qui joue ?" by Alt+J; absent at home.
    void menuPlayer()
    {
        const std::vector<store::Child> made = makeChildren({"Léa", "Noé"});
        Form_choix_instruments &home = forms::get<Form_choix_instruments>();
        QVERIFY(!home.Command_joueur.Visible());
        home.Unload();
        QCoreApplication::processEvents();

        Form_joueurs &who = open(joueurs::Roster{{}, made, {}});
        QTest::mouseClick(&who.tile(0), Qt::LeftButton);
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        QCOMPARE(menu.Command_joueur.Caption(), QStringLiteral("Joueur : Léa"));
        QVERIFY(menu.Command_joueur.Visible());
        press(Qt::Key_J, Qt::AltModifier);
        QVERIFY(!forms::isLoaded<Form_choix_instruments>());
        QVERIFY(store::Player::current().child() == nullptr);
        QTRY_COMPARE(shownNames(forms::get<Form_joueurs>()), (QStringList{"Léa", "Noé"}));
    }

    // "Devine" asks a child more often about what she missed in her last rounds, read from the
    // file: the violin, missed three times, five questions out of ten where it would be three.
    void devineAsksWhatWasMissed()
    {
        const store::Child lea = makeChildren({"Léa"}).front();
        {
            std::optional<store::Database> db = store::Database::open({databaseFile(), {}}, QStringLiteral("past"));
            QVERIFY(db);
            for (int r = 0; r < 3; ++r) {
                const QString id = QStringLiteral("round-%1").arg(r);
                QVERIFY(db->saveRound({id, lea.id, "oreille", "oreille", 1, 1000 * r, 500, "perdu", 3}));
                const store::Answer missed{id, 1, "violon", "flute", false, true, 100};
                QVERIFY(db->addAnswers({&missed, 1}));
            }
        }
        store::Player::current().play(lea);
        m_fake.random->values = {0.1f, 0.7f, 0.4f, 0.9f, 0.2f};
        Form_ecouter &listening = forms::get<Form_ecouter>();
        store::Player::current().worker().wait();
        QCoreApplication::processEvents(); // the child's rounds come back
        listening.Label_niveau_Click(1);
        int asked = 0;
        for (int q = 0; q < listen::questionsPerRound; ++q) {
            asked += listening.answer() == game::indexOfPicture("violon");
            listening.picture_Click(listening.answer());
            listening.Command_suivant_Click();
        }
        QCOMPARE(asked, 5);
    }

    // A child's drops and answers, kept in the file: right or not, first try or not, each round
    // with its outcome.
    void recording()
    {
        store::Player::current().play(makeChildren({"Léa"}).front());
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        QTest::mouseClick(&menu.levelLabel(game::GameId::Percussions, 1), Qt::LeftButton);
        Form_instruments &game = forms::get<Form_instruments>();
        game.Timer1.setEnabled(false);
        const int drum = game::indexOfPicture("CClaire");
        const int cymbals = game::indexOfPicture("Cymbales");
        fakes::drag(game.nameLabel(cymbals), fakes::exposedPoint(game.picture(drum)));
        fakes::drag(game.nameLabel(drum), fakes::exposedPoint(game.picture(drum)));
        QVERIFY(!game.picture(drum).Visible());
        game.Command_recommencer.activate(); // the round so far is abandoned
        game.Timer1.setInterval(game::lostAt);
        game.Timer1_Timer(); // and the next one lost
        game.Command_retour_Click();
        QCoreApplication::processEvents();

        menu.Command_ecouter.activate();
        Form_ecouter &listening = forms::get<Form_ecouter>();
        listening.Command_devine_Click();
        const int heard = listening.answer();
        const std::vector<int> rows = listen::levelRows(1);
        const int wrong = rows.front() == heard ? rows.back() : rows.front();
        listening.picture_Click(wrong);
        listening.picture_Click(heard);
        listening.Command_retour_Click();
        QCoreApplication::processEvents();
        const QString heardFile = QString::fromLatin1(game::catalogue[std::size_t(heard)].file);
        const QString wrongFile = QString::fromLatin1(game::catalogue[std::size_t(wrong)].file);
        QCOMPARE(
            rowsOf(QStringLiteral("SELECT mode, game, level, instrument, answer, correct, first_try FROM answer_rows"
                                  " ORDER BY at_ms, seq")),
            (QStringList{"vue|percussions|1|cclaire|cymbales|0|1", "vue|percussions|1|cclaire|cclaire|1|0",
                         "oreille|oreille|1|" + heardFile + "|" + wrongFile + "|0|1",
                         "oreille|oreille|1|" + heardFile + "|" + heardFile + "|1|0"}));
        QCOMPARE(rowsOf(QStringLiteral("SELECT game, level, outcome FROM rounds ORDER BY n")),
                 (QStringList{"percussions|1|abandonné", "percussions|1|perdu", "oreille|1|abandonné"}));
    }
};

QTEST_MAIN(TestJoueurs)
#include "tst_joueurs.moc"
