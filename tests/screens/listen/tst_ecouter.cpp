// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The listening screen driven with the mouse and the keyboard: its way in from the menu and back,
// a picture heard in "Découvrir", rounds of "Devine" and the levels they open, and the setting
// that changes what a right drop plays in the games.
#include "app/forms/screens.h"
#include "screens/game/form_instruments.h"
#include "screens/listen/form_ecouter.h"
#include "screens/menu/form_choix_instruments.h"
#include "support/fakes.h"

#include <QtTest>

namespace {
const QString oreille = QStringLiteral("niveaux/oreille.nvl");
}

class TestEcouter : public fakes::ScreenTest
{
    Q_OBJECT
    Form_ecouter &open()
    {
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        QTest::mouseClick(&menu.Command_ecouter, Qt::LeftButton);
        return forms::get<Form_ecouter>();
    }
    QString panel(Form_ecouter &f)
    {
        return QStringList{f.label(Form_ecouter::Label_nom).Caption(), f.label(Form_ecouter::Label_famille).Caption(),
                           f.label(Form_ecouter::Label_phrase).Caption()}
            .join('|');
    }
    void click(QWidget &w) { QTest::mouseClick(&w, Qt::LeftButton, {}, w.rect().center()); }

private slots:
    void menuEntry_data()
    {
        QTest::addColumn<int>("key"); // 0: the mouse
        QTest::newRow("mouse") << 0;
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Space") << int(Qt::Key_Space);
    }
    void menuEntry()
    {
        QFETCH(int, key);
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        forms::Label &entry = menu.Command_ecouter;
        QCOMPARE(QRect(entry.Left(), entry.Top(), entry.Width(), entry.Height()), QRect(4200, 5400, 3600, 615));
        QCOMPARE(entry.cursor().hotSpot(), QPoint(11, 6));
        for (QWidget *other : menu.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            if (other != &entry && other->isVisible())
                QVERIFY2(!other->geometry().intersects(entry.geometry()), qPrintable(other->objectName()));

        menu.Show();
        if (key) {
            entry.setFocus();
            QTest::keyPress(&entry, Qt::Key(key)); // the menu is disabled before the key comes up
        } else {
            click(entry);
        }
        QVERIFY(forms::isLoaded<Form_ecouter>());
        Form_ecouter &f = forms::get<Form_ecouter>();
        QVERIFY(f.isVisible());
        QCOMPARE(f.size(), QSize(800, 600));
        QVERIFY(!menu.isEnabled());
        QTest::keyClick(&f, Qt::Key_Escape);
        QVERIFY(menu.isEnabled());
        QVERIFY(!forms::isLoaded<Form_ecouter>());
    }

    void decouvrir_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<bool>("keyboard");
        QTest::newRow("violon") << "violon"
                                << "Le violon|Famille des cordes|On frotte ses quatre cordes avec un archet, ou on les "
                                   "pince avec un doigt."
                                << false;
        QTest::newRow("saxophone, Enter") << "Saxophone"
                                          << "Le saxophone|Famille des bois|Il est en métal, mais on souffle dans un "
                                             "bec avec une anche, comme la clarinette."
                                          << true;
    }
    void decouvrir()
    {
        QFETCH(QString, picture);
        QFETCH(QString, panel);
        QFETCH(bool, keyboard);
        Form_ecouter &f = open();
        const int row = game::indexOfPicture(picture.toStdString());
        for (int r = 0; r < game::instrumentCount; ++r)
            QVERIFY(f.picture(r).isVisible());
        if (keyboard) {
            f.picture(row).setFocus();
            QTest::keyClick(&f.picture(row), Qt::Key_Enter);
        } else {
            click(f.picture(row));
        }
        QCOMPARE(m_fake.sound->played, QList{platform::instrumentSound(row)});
        QCOMPARE(this->panel(f), panel);
        QVERIFY(f.cell(row).isVisible()); // the frame round the picture heard
        click(f.picture(0));
        QVERIFY(!f.cell(row).isVisible());
    }

    void devine_data()
    {
        QTest::addColumn<QString>("stored"); // oreille.nvl before
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("missed");       // questions first answered wrong
        QTest::addColumn<QByteArray>("after"); // oreille.nvl after the round
        QTest::addColumn<QString>("open");     // level labels enabled after the round
        QTest::newRow("level 1, all right") << "" << 1 << 0 << QByteArray("2\r\n") << "12-";
        QTest::newRow("level 1, 8 right") << "" << 1 << 2 << QByteArray("2\r\n") << "12-";
        QTest::newRow("level 1, 7 right") << "" << 1 << 3 << QByteArray("1\r\n") << "1--";
        QTest::newRow("level 2, 9 right") << "2" << 2 << 1 << QByteArray("3\r\n") << "123";
        QTest::newRow("level 1 again") << "2" << 1 << 0 << QByteArray("2") << "12-";
        QTest::newRow("garbled file") << "zut" << 1 << 0 << QByteArray("2\r\n") << "12-";
    }
    void devine()
    {
        QFETCH(QString, stored);
        QFETCH(int, level);
        QFETCH(int, missed);
        QFETCH(QByteArray, after);
        QFETCH(QString, open);
        if (!stored.isEmpty())
            QVERIFY(fakes::put(oreille, stored.toLatin1()));
        m_fake.random->values = {0.7f, 0.1f, 0.4f, 0.9f, 0.3f};
        Form_ecouter &f = this->open();
        click(f.label(Form_ecouter::Command_devine));
        click(f.label(Form_ecouter::Label_niveau3)); // locked: no click
        QCOMPARE(f.level(), 1);
        if (level != 1)
            click(f.label(level == 2 ? Form_ecouter::Label_niveau2 : Form_ecouter::Label_niveau3));
        QCOMPARE(f.mode(), Form_ecouter::Mode::Devine);
        QCOMPARE(f.level(), level);

        for (int q = 0; q < 10; ++q) {
            const int answer = f.answer();
            QCOMPARE(m_fake.sound->played.last(), platform::instrumentSound(answer));
            QCOMPARE(f.label(Form_ecouter::Label_question).Caption(), QStringLiteral("Question %1 sur 10").arg(q + 1));
            click(f.label(Form_ecouter::Command_reecouter));
            QCOMPARE(m_fake.sound->played.last(), platform::instrumentSound(answer));
            const int before = m_fake.sound->played.size();
            if (q < missed) {
                int wrong = 0;
                while (wrong == answer || !f.picture(wrong).isVisible())
                    ++wrong;
                click(f.picture(wrong));
                QVERIFY(f.greyed(wrong));
                QCOMPARE(panel(f), QStringLiteral("Écoute encore||"));
                click(f.picture(wrong)); // greyed: nothing happens
                QVERIFY(!f.label(Form_ecouter::Command_suivant).isVisible());
            }
            click(f.picture(answer));
            QVERIFY(panel(f).startsWith(QString::fromUtf8(game::catalogue[std::size_t(answer)].caption) + '|'));
            QVERIFY(f.cell(answer).isVisible());           // marked found
            QCOMPARE(m_fake.sound->played.size(), before); // clicks play nothing in this mode
            QVERIFY(f.label(Form_ecouter::Command_suivant).isVisible());
            click(f.label(Form_ecouter::Command_suivant));
            if (q < 9)
                QVERIFY(!f.greyed(answer) && !f.cell(answer).isVisible());
        }
        QCOMPARE(f.rightFirstTry(), 10 - missed);
        QCOMPARE(f.label(Form_ecouter::Label_nom).Caption(), QStringLiteral("%1 sur 10").arg(10 - missed));
        QVERIFY(f.label(Form_ecouter::Command_rejouer).isVisible());
        QCOMPARE(fakes::contentOf(oreille), after);
        QString levels;
        for (auto id : {Form_ecouter::Label_niveau1, Form_ecouter::Label_niveau2, Form_ecouter::Label_niveau3})
            levels += f.label(id).isEnabled() ? QChar(char('1' + levels.size())) : QChar('-');
        QCOMPARE(levels, open);

        click(f.label(Form_ecouter::Command_rejouer));
        QCOMPARE(f.label(Form_ecouter::Label_question).Caption(), QStringLiteral("Question 1 sur 10"));
        QVERIFY(!f.label(Form_ecouter::Command_rejouer).isVisible());
        click(f.label(Form_ecouter::Command_retour));
        QVERIFY(!forms::isLoaded<Form_ecouter>());
    }

    void settingChangesTheRightDrop_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("effects");
        QTest::newRow("off") << false << true;
        QTest::newRow("on") << true << true;
        QTest::newRow("on, effects off") << true << false;
    }
    void settingChangesTheRightDrop()
    {
        QFETCH(bool, on);
        QFETCH(bool, effects);
        Form_ecouter &f = open();
        QCOMPARE(f.label(Form_ecouter::Case_trouve).Caption(), QString());
        if (on)
            click(f.label(Form_ecouter::Command_trouve));
        QCOMPARE(fakes::contentOf(QStringLiteral("niveaux/ecoute.cfg")),
                 on ? QByteArray("1\r\n") : QByteArray("<unreadable>"));
        click(f.label(Form_ecouter::Command_retour));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        click(menu.levelLabel(game::GameId::Cordes, 1));
        Form_instruments &game = forms::get<Form_instruments>();
        if (!effects)
            click(game.Command_son);
        m_fake.sound->played.clear();
        const int row = game::indexOfPicture("violon");
        game.picture_DragDrop(row, &game.nameLabel(row));
        QVERIFY(!game.picture(row).Visible());
        const QList<platform::SoundId> expected{on ? platform::instrumentSound(row) : platform::SoundId::Drop};
        QCOMPARE(m_fake.sound->played, effects ? expected : QList<platform::SoundId>());
    }
};

QTEST_MAIN(TestEcouter)
#include "tst_ecouter.moc"
