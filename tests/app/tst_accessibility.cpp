// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// What a screen reader gets from the real screens: windows, names, roles, states, the press
// action, the displays and the status line, asked as a screen reader asks, without a bus.
#include "app/forms/accessibility.h"
#include "app/forms/screens.h"
#include "app/forms/triggerbutton.h"
#include "screens/game/form_instruments.h"
#include "screens/help/form_help.h"
#include "screens/loading/form_chargement.h"
#include "screens/menu/form_choix_instruments.h"
#include "screens/menu/form_noire.h"
#include "screens/results/form_gagner_instruments.h"
#include "screens/results/form_perdu_instruments.h"
#include "support/fakes.h"

#include <QAccessible>
#include <QtTest>

using game::GameId;

namespace {

QAccessibleInterface *reader(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

Form_instruments &play(GameId id)
{
    Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
    menu.Show();
    QTest::mouseClick(&menu.levelLabel(id, 1), Qt::LeftButton);
    Form_instruments &game = forms::get<Form_instruments>();
    game.Timer1.setEnabled(false); // the captions change only when a test says so
    game.Timer2.setEnabled(false);
    return game;
}

forms::Form &open(const QString &screen)
{
    if (screen == QLatin1String("menu"))
        return forms::get<Form_choix_instruments>();
    if (screen == QLatin1String("help"))
        return forms::get<Form_help>();
    if (screen == QLatin1String("loading"))
        return forms::get<Form_chargement>();
    if (screen == QLatin1String("backdrop"))
        return forms::get<Form_noire>();
    Form_instruments &game = play(GameId::Percussions);
    game.Text_temps.setCaption(QStringLiteral("00:01:42"));
    if (screen == QLatin1String("win"))
        return forms::get<Form_gagner_instruments>();
    if (screen == QLatin1String("lose"))
        return forms::get<Form_Perdu_instruments>();
    return game;
}

// "showing" or "hidden", then "off" when switched off.
QString states(QAccessibleInterface *control)
{
    const QAccessible::State s = control->state();
    return QString(s.invisible || s.offscreen ? "hidden" : "showing") + (s.disabled ? " off" : "");
}

} // namespace

class TestAccessibility : public fakes::ScreenTest
{
    Q_OBJECT
    QStringList m_events; // "<kind> <name>"

private slots:
    void initTestCase()
    {
        forms::installAccessibility();
        forms::a11y::setObserver([this](QAccessibleEvent *event) {
            const QHash<QAccessible::Event, QString> kinds{{QAccessible::NameChanged, "name"},
                                                           {QAccessible::DescriptionChanged, "description"},
                                                           {QAccessible::ObjectShow, "show"},
                                                           {QAccessible::TextInserted, "text"},
                                                           {QAccessible::ValueChanged, "value"}};
            if (kinds.contains(event->type()))
                m_events << kinds[event->type()] + ' ' + event->accessibleInterface()->text(QAccessible::Name);
        });
    }
    void cleanupTestCase() { forms::a11y::setObserver(nullptr); }

    void screensAreNamedWindows_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("name");
        const auto row = [](const char *screen, const char *name) { QTest::newRow(screen) << screen << name; };
        row("menu", "Calivento – menu");
        row("game", "Calivento – Les percussions, niveau 1");
        row("help", "Calivento – aide");
        row("win", "Calivento – gagné");
        row("lose", "Calivento – perdu");
        row("loading", "Calivento – chargement");
        row("backdrop", "Calivento – fond");
    }
    void screensAreNamedWindows()
    {
        QFETCH(QString, screen);
        QFETCH(QString, name);
        QAccessibleInterface *window = reader(&open(screen));
        QCOMPARE(window->role(), QAccessible::Window);
        QCOMPARE(window->text(QAccessible::Name), name);
    }

    void winScreenReadsAsItShows()
    {
        QAccessibleInterface *window = reader(&open(QStringLiteral("win")));
        QStringList read;
        for (int i = 0; i < window->childCount(); ++i)
            read << window->child(i)->text(QAccessible::Name);
        QCOMPARE(read, QStringList({"Tu as trouvé tous les instruments à percussion en", "1 minute 42 secondes",
                                    "Veux-tu recommencer?", "Oui", "Non"}));
    }

    void controls_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QAccessible::Role>("role");
        QTest::addColumn<QString>("name"); // empty: left out of what is read
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("states");
        const auto row = [](const char *tag, const char *screen, const char *control, QAccessible::Role role,
                            const char *name, const char *description, const char *states) {
            QTest::newRow(tag) << screen << control << role << name << description << states;
        };
        const auto button = QAccessible::Button;
        const auto text = QAccessible::StaticText;
        row("open level", "menu", "Label_percu1", button, "Les percussions, niveau 1", "", "showing");
        row("locked level", "menu", "Label_percu2", button, "Les percussions, niveau 2", "verrouillé", "showing off");
        row("mascot", "menu", "Metronome_stop", button, "Calivento, aide", "Aide de Calivento", "showing");
        row("trigger", "menu", "Command_icon", button, "Command_icon", "", "hidden off");
        row("points", "game", "Text_points", text, "Points", "", "showing");
        row("stopwatch", "game", "Text_temps", text, "Chronomètre", "", "showing");
        row("lost points' 0", "game", "Text_0", text, "", "", "hidden");
        row("play area", "game", "Label3", text, "", "", "showing");
        row("mnemonic", "game", "Command_son", button, "Sans bruitages", "", "showing");
        row("other game's name", "game", "L_violon", text, "Le violon", "", "hidden");
        row("level marker", "game", "Label_facile", text, "facile", "", "hidden");
        row("spare metronome", "game", "Metronome_gauche", QAccessible::Graphic, "Calivento", "", "hidden");
        row("mode button", "game", "Command_idiophones", button, "Command_idiophones", "", "hidden off");
        row("flag", "help", "instruments", text, "instruments", "", "hidden");
        row("web link", "help", "Label2", button, "Guide des parents et enseignants", "", "showing");
        row("time", "win", "Label_score(0)", text, "1 minute 42 secondes", "", "showing");
        row("time's seconds", "win", "Label_score(1)", text, "", "", "showing");
        row("time's unit", "win", "Label_cacher(1)", text, "", "", "showing");
        row("yes", "lose", "Command_oui", button, "Oui", "", "showing");
    }
    void controls()
    {
        QFETCH(QString, screen);
        QFETCH(QString, control);
        QFETCH(QAccessible::Role, role);
        QFETCH(QString, name);
        QFETCH(QString, description);
        QFETCH(QString, states);
        forms::Form &form = open(screen);
        form.Show();
        auto *widget = form.findChild<forms::Control *>(control, Qt::FindDirectChildrenOnly);
        QVERIFY(widget);
        QAccessibleInterface *read = reader(widget);
        QCOMPARE(read->role(), role);
        QCOMPARE(reader(&form)->indexOfChild(read) >= 0, !name.isEmpty());
        if (!name.isEmpty())
            QCOMPARE(read->text(QAccessible::Name), name);
        QCOMPARE(read->text(QAccessible::Description), description);
        QCOMPARE(::states(read), states);
        const bool pressable = role == QAccessible::Button && !qobject_cast<forms::TriggerButton *>(widget);
        QCOMPARE(read->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()), pressable);
    }

    void picturesAreNumberedNeverNamed_data()
    {
        QTest::addColumn<GameId>("id");
        for (const game::GameInfo &g : game::games)
            QTest::newRow(g.title) << g.id;
    }
    void picturesAreNumberedNeverNamed()
    {
        QFETCH(GameId, id);
        Form_instruments &game = play(id);
        QList<forms::Image *> inPlay;
        for (int row = 0; row < game::instrumentCount; ++row) {
            QAccessibleInterface *picture = reader(&game.picture(row));
            const QString name = picture->text(QAccessible::Name);
            const QString answer = QString::fromUtf8(game::catalogue[std::size_t(row)].caption);
            QVERIFY2(!name.contains(game.picture(row).objectName()) && !answer.contains(name), qPrintable(name));
            QCOMPARE(picture->text(QAccessible::Description), QString());
            if (game.picture(row).Visible())
                inPlay << &game.picture(row);
            else
                QCOMPARE(states(picture), QStringLiteral("hidden"));
        }
        QCOMPARE(inPlay.size(), game::board(id).drawOrder.size());
        std::sort(inPlay.begin(), inPlay.end(), [](forms::Image *a, forms::Image *b) {
            return std::pair(a->Top(), a->Left()) < std::pair(b->Top(), b->Left());
        });
        for (qsizetype i = 0; i < inPlay.size(); ++i)
            QCOMPARE(reader(inPlay[i])->text(QAccessible::Name),
                     QStringLiteral("Image %1 sur %2").arg(i + 1).arg(inPlay.size()));
    }

    void pressDoesWhatAClickDoes_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("after");
        const auto row = [](const char *tag, const char *screen, const char *control, const char *after) {
            QTest::newRow(tag) << screen << control << after;
        };
        const char *playing = "game Les percussions, niveau 1";
        row("open level", "menu", "Label_percu1", playing);
        row("locked level", "menu", "Label_percu3", "menu");
        row("menu behind a game", "game", "Command25", playing);
        row("sound switch", "game", "Command_son", "game Les percussions, niveau 1 Avec &bruitages");
        row("help", "menu", "Metronome_stop", "menu help");
        row("yes", "win", "Command_oui", playing);
        row("no", "lose", "Quitter", "menu");
    }
    void pressDoesWhatAClickDoes()
    {
        QFETCH(QString, screen);
        QFETCH(QString, control);
        QFETCH(QString, after);
        forms::Form &form = open(screen);
        form.Show();
        auto *pressed = form.findChild<forms::Control *>(control);
        if (!pressed)
            pressed = forms::get<Form_choix_instruments>().findChild<forms::Control *>(control);
        reader(pressed)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QStringList world{forms::isLoaded<Form_instruments>() ? "game" : "menu"};
        if (forms::isLoaded<Form_instruments>()) {
            world << forms::get<Form_instruments>().windowTitle().section(QStringLiteral("– "), 1);
            if (forms::get<Form_instruments>().Command_son.Caption() != QLatin1String("Sans &bruitages"))
                world << forms::get<Form_instruments>().Command_son.Caption();
        }
        if (forms::isLoaded<Form_help>() && forms::get<Form_help>().isVisible())
            world << QStringLiteral("help");
        if (forms::isLoaded<Form_gagner_instruments>() || forms::isLoaded<Form_Perdu_instruments>())
            world << QStringLiteral("result");
        QCOMPARE(world.join(' '), after);
        QVERIFY(forms::isLoaded<Form_choix_instruments>());
    }

    void displaysTellAtMostOncePerSecond()
    {
        Form_instruments &game = play(GameId::Percussions);
        QAccessibleInterface *points = reader(&game.Text_points);
        m_events.clear();
        for (int value = 500; value >= 400; --value)
            game.Text_points.setCaption(QString::number(value));
        const QStringList once{"text Points", "value Points"};
        const auto told = [this] { return m_events; };
        QCOMPARE(told(), once);
        QTRY_COMPARE_WITH_TIMEOUT(told(), once + once, 1500);
        QCOMPARE(points->textInterface()->text(0, points->textInterface()->characterCount()), QStringLiteral("400"));
        QCOMPARE(points->valueInterface()->currentValue().toInt(), 400);
        QTest::qWait(1100);
        QCOMPARE(told(), once + once);

        game.Text_temps.setCaption(QStringLiteral("00:01:23"));
        QCOMPARE(reader(&game.Text_temps)->valueInterface()->currentValue().toInt(), 83);
    }

    void dropsAreAnnounced_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("said");
        QTest::newRow("right") << "CClaire" << QStringLiteral("Bravo : le tambour");
        QTest::newRow("wrong") << "Cymbales" << QStringLiteral("Non, ce n'est pas cette image");
    }
    void dropsAreAnnounced()
    {
        QFETCH(QString, picture);
        QFETCH(QString, said);
        Form_instruments &game = play(GameId::Percussions);
        m_events.clear();
        auto *target = game.findChild<forms::Image *>(picture);
        fakes::drag(game.nameLabel(game::indexOfPicture("CClaire")), fakes::exposedPoint(*target));
        QAccessibleInterface *window = reader(&game);
        QAccessibleInterface *status = window->child(window->childCount() - 1);
        QCOMPARE(status->role(), QAccessible::Notification);
        QCOMPARE(status->text(QAccessible::Name), said);
        QCOMPARE(states(status), QStringLiteral("showing"));
        QCOMPARE(m_events.filter(said), QStringList({"name " + said, "show " + said}));
    }

    void changesOfNamesAndLocksAreTold()
    {
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        QAccessibleInterface *level = reader(&menu.levelLabel(GameId::Vents, 2));
        QVERIFY(fakes::put(QStringLiteral("niveaux/vents.nvl"), "2"));
        Form_instruments &game = play(GameId::Percussions);
        reader(&game);
        m_events.clear();
        menu.Command_fichier.press();
        menu.setEnabled(true); // back in the menu after the win
        game.prepareRound(GameId::Vents, 2);
        QCOMPARE(level->text(QAccessible::Description), QString());
        // Disabling the menu during the game locked nothing; the win opened a level, the new round renamed the
        // game's title and window.
        QCOMPARE(m_events, QStringList({"description Les instruments à vent, niveau 2", "name Les instruments à vent",
                                        "name Calivento – Les instruments à vent, niveau 2"}));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
