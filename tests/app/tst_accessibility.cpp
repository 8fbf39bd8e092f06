// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// What a screen reader gets from the real screens: windows, names, roles, states, the press
// action, the displays and the status line, asked as a screen reader asks, without a bus.
#include "app/forms/accessibility.h"
#include "app/forms/screens.h"
#include "screens/game/form_instruments.h"
#include "screens/listen/form_ecouter.h"
#include "screens/menu/form_choix_instruments.h"
#include "screens/results/form_gagner_instruments.h"
#include "support/fakes.h"

#include <QAccessible>
#include <QtTest>

using game::GameId;

namespace {

QAccessibleInterface *reader(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

template <class E> QString key(E value)
{
    return QString::fromLatin1(QMetaEnum::fromType<E>().valueToKey(value));
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

// The listening screen opens in "Découvrir"; "devine" is its first level's round.
forms::Form &open(const QString &screen)
{
    if (screen == QLatin1String("menu"))
        return forms::get<Form_choix_instruments>();
    if (screen.startsWith(QLatin1String("listen"))) {
        Form_ecouter &listen = forms::get<Form_ecouter>();
        if (screen.endsWith(QLatin1String("devine")))
            listen.Command_devine_Click();
        return listen;
    }
    return play(GameId::Percussions);
}

// "showing" or "hidden", then "off" when switched off or unavailable, "checked" or "unchecked"
// for a check box.
QString states(QAccessibleInterface *control)
{
    const QAccessible::State s = control->state();
    return QString(s.invisible || s.offscreen ? "hidden" : "showing") + (s.disabled ? " off" : "") +
           (s.checkable ? (s.checked ? " checked" : " unchecked") : "");
}

} // namespace

class TestAccessibility : public fakes::ScreenTest
{
    Q_OBJECT
    QStringList m_events; // "<event> <name>"

private slots:
    void initTestCase()
    {
        forms::installAccessibility();
        forms::a11y::setObserver([this](QAccessibleEvent *event) {
            m_events << key(event->type()) + ' ' + event->accessibleInterface()->text(QAccessible::Name);
        });
    }
    void cleanupTestCase() { forms::a11y::setObserver(nullptr); }

    // Each screen a window named by its title; its controls as read: role, name or left out of
    // what is read, description, states, and whether it can be pressed.
    void screensAndControls_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("control"); // none: the screen's window
        QTest::addColumn<QString>("read");
        const auto row = [](const char *tag, const char *screen, const char *control, const char *read) {
            QTest::newRow(tag) << screen << control << read;
        };
        row("menu", "menu", "", "Window: Calivento – menu, showing");
        row("game", "game", "", "Window: Calivento – Les percussions, niveau 1, showing");
        row("locked level", "menu", "Label_percu2",
            "Button: Les percussions, niveau 2 (verrouillé), showing off, press");
        row("mascot", "menu", "Metronome_stop", "Button: Calivento, aide (Aide de Calivento), showing, press");
        row("listening", "listen", "", "Window: Calivento – écoute, showing");
        // In "Devine" the sound is the question and the pictures the answers to choose from.
        row("Découvrir's picture", "listen", "violon", "Button: Le violon, showing, press");
        row("Devine's picture", "listen devine", "violon", "Button: Le violon, showing, press");
        row("setting", "listen", "Command_trouve",
            "CheckBox: Entendre l'instrument trouvé dans les jeux, showing unchecked, toggle");
    }
    void screensAndControls()
    {
        QFETCH(QString, screen);
        QFETCH(QString, control);
        QFETCH(QString, read);
        forms::Form &form = open(screen);
        form.Show();
        QWidget *widget = &form;
        if (!control.isEmpty())
            widget = form.findChild<forms::Control *>(control, Qt::FindDirectChildrenOnly);
        QVERIFY(widget);
        QAccessibleInterface *is = reader(widget);
        const bool listed = widget == &form || reader(&form)->indexOfChild(is) >= 0;
        QString said = key(is->role()) + ": " + (listed ? is->text(QAccessible::Name) : "not read");
        if (const QString description = is->text(QAccessible::Description); !description.isEmpty())
            said += " (" + description + ")";
        said += ", " + states(is);
        for (const QString &action :
             {QAccessibleActionInterface::pressAction(), QAccessibleActionInterface::toggleAction()})
            if (is->actionInterface()->actionNames().contains(action))
                said += ", " + action.toLower();
        QCOMPARE(said, read);
    }

    void winScreenReadsAsItShows()
    {
        play(GameId::Percussions).Text_temps.setCaption(QStringLiteral("00:01:42"));
        QAccessibleInterface *window = reader(&forms::get<Form_gagner_instruments>());
        QStringList read;
        for (int i = 0; i < window->childCount(); ++i)
            read << window->child(i)->text(QAccessible::Name);
        QCOMPARE(read, QStringList({"Tu as trouvé tous les instruments à percussion en", "1 minute 42 secondes",
                                    "Veux-tu recommencer?", "Oui", "Non"}));
    }

    void picturesAreNumberedNeverNamed()
    {
        Form_instruments &game = play(GameId::Percussions);
        QMap<std::pair<int, int>, QString> inPlay; // by reading order
        for (int row = 0; row < game::instrumentCount; ++row) {
            forms::Image &picture = game.picture(row);
            const QString name = reader(&picture)->text(QAccessible::Name);
            const QString answer = QString::fromUtf8(game::catalogue[std::size_t(row)].caption);
            QVERIFY2(!name.contains(picture.objectName()) && !answer.contains(name), qPrintable(name));
            QCOMPARE(reader(&picture)->text(QAccessible::Description), QString());
            if (picture.Visible())
                inPlay.insert({picture.Top(), picture.Left()}, name);
        }
        QCOMPARE(inPlay.values(),
                 QStringList({"Image 1 sur 5", "Image 2 sur 5", "Image 3 sur 5", "Image 4 sur 5", "Image 5 sur 5"}));
    }

    // A press clicks what a click reaches, and only that: a locked level, which no mouse click
    // reaches, opens nothing; what a press leads to is the click's business, checked with the screens.
    void pressIsAClick()
    {
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        const auto press = [&menu](int level) {
            reader(&menu.levelLabel(GameId::Percussions, level))
                ->actionInterface()
                ->doAction(QAccessibleActionInterface::pressAction());
            QCoreApplication::processEvents();
        };
        press(3); // locked
        QVERIFY(!forms::isLoaded<Form_instruments>());
        press(1);
        QVERIFY(forms::isLoaded<Form_instruments>());
    }

    void displaysTellAtMostOncePerSecond()
    {
        Form_instruments &game = play(GameId::Percussions);
        QAccessibleInterface *points = reader(&game.Text_points);
        m_events.clear();
        for (int value = 500; value >= 400; --value)
            game.Text_points.setCaption(QString::number(value));
        const QStringList once{"TextRemoved Points", "TextInserted Points", "ValueChanged Points"};
        QCOMPARE(m_events, once);
        QTRY_COMPARE_WITH_TIMEOUT(m_events, once + once, 1500);
        QCOMPARE(points->textInterface()->text(0, points->textInterface()->characterCount()), QStringLiteral("400"));
        QCOMPARE(points->valueInterface()->currentValue().toInt(), 400);
    }

    // "Devine" played by ear: a picture tried is unavailable until the next question, each
    // answer is said on the status line.
    void devineIsPlayedByEar()
    {
        auto &listen = static_cast<Form_ecouter &>(open(QStringLiteral("listen devine")));
        listen.Show();
        QAccessibleInterface *window = reader(&listen);
        const int answer = listen.answer();
        const int wrong =
            answer == game::indexOfPicture("violon") ? game::indexOfPicture("Flûte") : game::indexOfPicture("violon");
        const auto said = [&] {
            QAccessibleInterface *status = window->child(window->childCount() - 1); // the status line comes last
            return key(status->role()) + ": " + status->text(QAccessible::Name);
        };
        m_events.clear();
        listen.picture_Click(wrong);
        const QString tried = reader(&listen.picture(wrong))->text(QAccessible::Name);
        QCOMPARE(states(reader(&listen.picture(wrong))), QStringLiteral("showing off"));
        QCOMPARE(said(), QStringLiteral("Notification: Écoute encore"));
        const QRegularExpression toldOf(QStringLiteral("^(StateChanged|ObjectShow) "));
        QCOMPARE(m_events.filter(toldOf), QStringList({"StateChanged " + tried, "ObjectShow Écoute encore"}));
        m_events.clear();
        listen.picture_Click(answer);
        const QString found = QString::fromUtf8(game::catalogue[std::size_t(answer)].caption);
        const QString bravo = "Bravo : " + found.left(1).toLower() + found.mid(1);
        QCOMPARE(said(), "Notification: " + bravo);
        QCOMPARE(m_events.filter(toldOf), QStringList({"ObjectShow " + bravo}));
        listen.Command_suivant_Click();
        QCOMPARE(states(reader(&listen.picture(wrong))), QStringLiteral("showing"));
    }

    // The setting is one check box, one Tab stop; its change is told.
    void settingIsACheckBox()
    {
        auto &listen = static_cast<Form_ecouter &>(open(QStringLiteral("listen")));
        listen.Show();
        forms::Label &setting = listen.label(Form_ecouter::Command_trouve);
        QVERIFY(!(listen.label(Form_ecouter::Case_trouve).focusPolicy() & Qt::TabFocus));
        m_events.clear();
        reader(&setting)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QTRY_COMPARE(states(reader(&setting)), QStringLiteral("showing checked"));
        QCOMPARE(m_events, QStringList({"StateChanged Entendre l'instrument trouvé dans les jeux"}));
        QCOMPARE(listen.label(Form_ecouter::Case_trouve).Caption(), QStringLiteral("X")); // as it was shown
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
