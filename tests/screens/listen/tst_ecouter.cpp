// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The listening screen driven with the mouse and the keyboard: its way in from the menu and back,
// a picture heard in "Découvrir", rounds of "Devine" and the levels they open, and the setting
// that changes what a right drop plays in the games.
#include "app/forms/screens.h"
#include "screens/game/form_instruments.h"
#include "screens/listen/form_ecouter.h"
#include "screens/listen/rules.h"
#include "screens/menu/form_choix_instruments.h"
#include "support/fakes.h"

#include <QtTest>

class TestEcouter : public fakes::ScreenTest
{
    Q_OBJECT
    static void click(QWidget &w) { QTest::mouseClick(&w, Qt::LeftButton, {}, w.rect().center()); }
    static QString panel(Form_ecouter &f)
    {
        return QStringList{f.label(Form_ecouter::Label_nom).Caption(), f.label(Form_ecouter::Label_famille).Caption(),
                           f.label(Form_ecouter::Label_phrase).Caption()}
            .join('|');
    }

private slots:
    void menuEntryAndDecouvrir_data()
    {
        QTest::addColumn<bool>("keys");
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("panel");
        QTest::newRow("mouse") << false << "violon"
                               << "Le violon|Famille des cordes|On frotte ses quatre cordes avec un archet, ou on les "
                                  "pince avec un doigt.";
        QTest::newRow("keys") << true << "Saxophone"
                              << "Le saxophone|Famille des bois|Il est en métal, mais on souffle dans un bec avec une "
                                 "anche, comme la clarinette.";
    }
    void menuEntryAndDecouvrir()
    {
        QFETCH(bool, keys);
        QFETCH(QString, picture);
        QFETCH(QString, panel);
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        forms::Label &entry = menu.Command_ecouter;
        QCOMPARE(entry.cursor().hotSpot(), QPoint(11, 6)); // the hand
        for (QWidget *other : menu.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            if (other != &entry && other->isVisible())
                QVERIFY2(!other->geometry().intersects(entry.geometry()), qPrintable(other->objectName()));
        const auto press = [keys](QWidget &w) {
            w.setFocus();
            if (keys)
                QTest::keyPress(&w, Qt::Key_Return); // the menu is disabled before the key comes up
            else
                click(w);
        };

        menu.Show();
        press(entry);
        Form_ecouter &f = forms::get<Form_ecouter>();
        QVERIFY(f.isVisible() && !menu.isEnabled());
        for (int r = 0; r < game::instrumentCount; ++r)
            QVERIFY(f.picture(r).isVisible());
        const int row = game::indexOfPicture(picture.toStdString());
        press(f.picture(row));
        QCOMPARE(m_fake.sound->played, QList{platform::instrumentSound(row)});
        QCOMPARE(this->panel(f), panel);
        QVERIFY(f.cell(row).isVisible()); // the frame round the picture heard, until another is
        click(f.picture(0));
        QVERIFY(!f.cell(row).isVisible());
        QTest::keyClick(&f, Qt::Key_Escape);
        QVERIFY(menu.isEnabled());
        QVERIFY(!forms::isLoaded<Form_ecouter>());
    }

    // A round with a garbled progress file, two questions first answered wrong: level 2 opens.
    void devine()
    {
        const QString oreille = QStringLiteral("niveaux/oreille.nvl");
        QVERIFY(fakes::put(oreille, "zut"));
        Form_ecouter &f = forms::get<Form_ecouter>();
        f.Show();
        click(f.label(Form_ecouter::Command_devine));
        click(f.label(Form_ecouter::Label_niveau2)); // locked: no click
        QCOMPARE(f.level(), 1);

        const std::vector<int> rows = listen::levelRows(1);
        QList<platform::SoundId> &played = m_fake.sound->played;
        for (int q = 0; q < 10; ++q) {
            const int answer = f.answer();
            const int wrong = rows[0] == answer ? rows[1] : rows[0];
            QCOMPARE(f.label(Form_ecouter::Label_question).Caption(), QStringLiteral("Question %1 sur 10").arg(q + 1));
            click(f.label(Form_ecouter::Command_reecouter));
            QCOMPARE(played.mid(played.size() - 2),
                     QList<platform::SoundId>(2, platform::instrumentSound(answer))); // asked, asked again
            const qsizetype before = played.size();
            if (q < 2) {
                click(f.picture(wrong));
                QVERIFY(f.greyed(wrong));
                QCOMPARE(panel(f), QStringLiteral("Écoute encore||"));
                QVERIFY(!f.label(Form_ecouter::Command_suivant).isVisible());
            }
            click(f.picture(answer));
            QVERIFY(panel(f).startsWith(QString::fromUtf8(game::catalogue[std::size_t(answer)].caption) + '|'));
            QVERIFY(f.cell(answer).isVisible() && f.label(Form_ecouter::Command_suivant).isVisible());
            QCOMPARE(played.size(), before); // clicks play nothing in this mode
            click(f.label(Form_ecouter::Command_suivant));
            if (q < 9)
                QVERIFY(!f.greyed(wrong) && !f.cell(answer).isVisible());
        }
        QCOMPARE(f.label(Form_ecouter::Label_nom).Caption(), QStringLiteral("8 sur 10"));
        QCOMPARE(fakes::contentOf(oreille), "2\r\n");
        QVERIFY(f.label(Form_ecouter::Label_niveau2).isEnabled() && !f.label(Form_ecouter::Label_niveau3).isEnabled());
        QVERIFY(f.label(Form_ecouter::Command_rejouer).isVisible());
        click(f.label(Form_ecouter::Command_rejouer));
        QCOMPARE(f.label(Form_ecouter::Label_question).Caption(), QStringLiteral("Question 1 sur 10"));
        QVERIFY(!f.label(Form_ecouter::Command_rejouer).isVisible());
        click(f.label(Form_ecouter::Label_niveau2)); // now open: its round has eight instruments
        QCOMPARE(f.level(), 2);
        QVERIFY(f.picture(game::indexOfPicture("Piano")).isVisible());
    }

    // With the setting off a right drop chimes, as the games' own rounds check.
    void settingChangesTheRightDrop_data()
    {
        QTest::addColumn<bool>("effects");
        QTest::newRow("effects on") << true;
        QTest::newRow("effects off") << false;
    }
    void settingChangesTheRightDrop()
    {
        QFETCH(bool, effects);
        Form_ecouter &f = forms::get<Form_ecouter>();
        f.Show();
        QCOMPARE(f.label(Form_ecouter::Case_trouve).Caption(), QString());
        click(f.label(Form_ecouter::Command_trouve));
        QCOMPARE(f.label(Form_ecouter::Case_trouve).Caption(), QStringLiteral("X"));
        QCOMPARE(fakes::contentOf(QStringLiteral("niveaux/ecoute.cfg")), "1\r\n");
        click(f.label(Form_ecouter::Command_retour));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        click(forms::get<Form_choix_instruments>().levelLabel(game::GameId::Cordes, 1));
        Form_instruments &game = forms::get<Form_instruments>();
        if (!effects)
            click(game.Command_son);
        m_fake.sound->played.clear();
        const int row = game::indexOfPicture("violon");
        game.picture_DragDrop(row, &game.nameLabel(row));
        QVERIFY(!game.picture(row).Visible());
        QCOMPARE(m_fake.sound->played, effects ? QList{platform::instrumentSound(row)} : QList<platform::SoundId>());
    }
};

QTEST_MAIN(TestEcouter)
#include "tst_ecouter.moc"
