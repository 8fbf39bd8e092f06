// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// "Suivi des enfants": its rules, the access code, and the window driven with keys and over the
// accessibility tree, on a real SQLite file.
#include "store/csv.h"
#include "store/database.h"
#include "suivi/access.h"
#include "suivi/report.h"
#include "suivi/rules.h"
#include "suivi/window.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPdfWriter>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace suivi;

namespace {

const QDateTime now(QDate(2026, 3, 12), QTime(10, 0)); // a Thursday

// Keeps a round of answers: (instrument, answer, first try) each, right when they agree.
void keepRound(store::Database &db, const QString &childId, const QString &mode, qint64 startedMs,
               const QList<std::tuple<const char *, const char *, bool>> &answers)
{
    store::Round round;
    round.id = store::newUuid();
    round.childId = childId;
    round.mode = mode;
    round.game = mode == QStringLiteral("oreille") ? QStringLiteral("oreille") : QStringLiteral("tous");
    round.startedMs = startedMs;
    round.durationMs = 60000;
    round.outcome = QStringLiteral("gagné");
    QVERIFY(db.saveRound(round));
    std::vector<store::Answer> kept;
    int seq = 0;
    for (const auto &[instrument, answer, first] : answers)
        kept.push_back({round.id, ++seq, QString::fromLatin1(instrument), QString::fromLatin1(answer),
                        qstrcmp(instrument, answer) == 0, first, seq * 1000});
    QVERIFY(db.addAnswers(kept));
}

} // namespace

class TestSuivi : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString file() const { return m_dir.filePath(QStringLiteral("calivento.sqlite")); }
    qint64 m_clock = 0;

    std::unique_ptr<Window> openWindow(const QString &at = {})
    {
        auto window =
            std::make_unique<Window>(store::Location{at.isEmpty() ? file() : at, {}}, [this] { return m_clock; });
        window->setNow([] { return now; });
        window->resize(1000, 700);
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("the window is not active: keys may go nowhere");
        return window;
    }
    static int page(Window &w) { return w.findChild<QStackedWidget *>(QStringLiteral("pages"))->currentIndex(); }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QDir::setCurrent(m_dir.path());
    }

    void periodStarts_data()
    {
        QTest::addColumn<int>("period");
        QTest::addColumn<QDateTime>("at");
        QTest::addColumn<QDateTime>("start");
        const QDateTime sunday(QDate(2026, 3, 15), QTime(23, 59));
        QTest::newRow("week, on Thursday") << int(Period::Semaine) << now << QDateTime(QDate(2026, 3, 9), {});
        QTest::newRow("week, on Sunday night") << int(Period::Semaine) << sunday << QDateTime(QDate(2026, 3, 9), {});
        QTest::newRow("month") << int(Period::Mois) << now << QDateTime(QDate(2026, 3, 1), {});
        QTest::newRow("school year, in spring")
            << int(Period::AnneeScolaire) << now << QDateTime(QDate(2025, 9, 1), {});
        QTest::newRow("school year, on 1 September")
            << int(Period::AnneeScolaire) << QDateTime(QDate(2026, 9, 1), QTime(8, 0))
            << QDateTime(QDate(2026, 9, 1), {});
        QTest::newRow("school year, in August")
            << int(Period::AnneeScolaire) << QDateTime(QDate(2026, 8, 31), QTime(8, 0))
            << QDateTime(QDate(2025, 9, 1), {});
        QTest::newRow("everything") << int(Period::Tout) << now << QDateTime::fromMSecsSinceEpoch(0);
    }
    void periodStarts()
    {
        QFETCH(int, period);
        QFETCH(QDateTime, at);
        QFETCH(QDateTime, start);
        QCOMPARE(periodStart(static_cast<Period>(period), at), start.toMSecsSinceEpoch());
    }

    // Shares, their colours and their text: too few answers say nothing.
    void shares_data()
    {
        QTest::addColumn<int>("answers");
        QTest::addColumn<int>("right");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << 0 << 0 << QStringLiteral("–");
        QTest::newRow("two right of two") << 2 << 2 << QStringLiteral("–");
        QTest::newRow("none right of three") << 3 << 0 << QStringLiteral("0 %");
        QTest::newRow("two of three") << 3 << 2 << QStringLiteral("67 %");
        QTest::newRow("all") << 12 << 12 << QStringLiteral("100 %");
    }
    void shares()
    {
        QFETCH(int, answers);
        QFETCH(int, right);
        QFETCH(QString, text);
        QCOMPARE(shareText(share(answers, right)), text);
    }

    // Red, then yellow, then green, and dark text readable on each.
    void colourScale()
    {
        const QColor red = shareColor(0), yellow = shareColor(50), green = shareColor(100);
        QVERIFY(red.hue() <= 5);
        QVERIFY(yellow.hue() > 40 && yellow.hue() < 65);
        QVERIFY(green.hue() > 100 && green.hue() < 140);
        for (int percent = 0; percent <= 100; percent += 10) {
            const QColor c = shareColor(percent);
            QVERIFY2(c.lightnessF() > 0.55, qPrintable(QString::number(percent)));
            if (percent > 0)
                QVERIFY(c.hue() >= shareColor(percent - 10).hue());
        }
    }

    void sentences_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("answered");
        QTest::addColumn<int>("times");
        QTest::addColumn<QString>("sentence");
        QTest::newRow("le, la") << "hautbois"
                                << "clarinette" << 7 << "A pris le hautbois pour la clarinette (7 fois)";
        QTest::newRow("l'") << "violon"
                            << "alto" << 1 << "A pris le violon pour l'alto (1 fois)";
        QTest::newRow("les") << "timbales"
                             << "cymbales" << 2 << "A pris les timbales pour les cymbales (2 fois)";
        QTest::newRow("two words") << "ct_basson"
                                   << "cor_anglais" << 3 << "A pris le contrebasson pour le cor anglais (3 fois)";
    }
    void sentences()
    {
        QFETCH(QString, shown);
        QFETCH(QString, answered);
        QFETCH(int, times);
        QFETCH(QString, sentence);
        QCOMPARE(childConfusion(shown, answered, times), sentence);
    }

    // Only a salted key is kept; a wrong code is refused, and the fifth makes the door wait.
    void accessCode()
    {
        const QString kept = access::keep(QStringLiteral("2468"));
        QVERIFY(!kept.contains(QStringLiteral("2468")));
        QVERIFY(kept.startsWith(QStringLiteral("pbkdf2-sha256$100000$")));
        QVERIFY(kept != access::keep(QStringLiteral("2468"))); // a new salt each time
        QVERIFY(access::matches(QStringLiteral("2468"), kept));
        QVERIFY(!access::matches(QStringLiteral("2469"), kept));
        QVERIFY(!access::matches(QStringLiteral("2468"), access::keep(QStringLiteral("2468"), 1000)));
        QVERIFY(!access::isValidCode(QStringLiteral("123")) && !access::isValidCode(QStringLiteral("123456789")) &&
                !access::isValidCode(QStringLiteral("12a4")) && access::isValidCode(QStringLiteral("12345678")));

        qint64 clock = 0;
        access::Door door(kept, [&] { return clock; });
        for (int i = 0; i < 4; ++i)
            QCOMPARE(door.tryCode(QStringLiteral("0000")), access::Door::Verdict::Wrong);
        QCOMPARE(door.waitLeft(), 0);
        QCOMPARE(door.tryCode(QStringLiteral("0000")), access::Door::Verdict::Wrong);
        QCOMPARE(door.waitLeft(), 30000);
        clock += 29999;
        QCOMPARE(door.tryCode(QStringLiteral("2468")), access::Door::Verdict::Waiting);
        clock += 1;
        QCOMPARE(door.tryCode(QStringLiteral("2468")), access::Door::Verdict::Open);
        QVERIFY(!access::Door(QString::fromLatin1(access::noCode)).needsCode());
    }

    // The window from its first opening: a code chosen with the keys, then asked for.
    void codeAtTheDoor()
    {
        {
            auto w = openWindow();
            QTRY_COMPARE(page(*w), 1);
            auto *code = w->findChild<QLineEdit *>(QStringLiteral("E_nouveau_code"));
            QTRY_VERIFY(code->hasFocus());
            QTest::keyClicks(code, QStringLiteral("13579"));
            QTest::keyClick(code, Qt::Key_Tab);
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("13579"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QTRY_COMPARE(page(*w), 3);
        }
        {
            auto db = store::Database::open({file(), {}}, QStringLiteral("look"));
            QVERIFY(db);
            QSqlQuery all(db->sql());
            QVERIFY(all.exec(QStringLiteral("SELECT key, value FROM settings")));
            while (all.next())
                QVERIFY(!all.value(1).toString().contains(QStringLiteral("13579")));
            QVERIFY(access::matches(QStringLiteral("13579"), *db->setting(QString::fromLatin1(access::settingKey))));
        }
        auto w = openWindow();
        QTRY_COMPARE(page(*w), 2);
        auto *code = w->findChild<QLineEdit *>(QStringLiteral("E_code"));
        auto *message = w->findChild<QLabel *>(QStringLiteral("L_message"));
        for (int i = 0; i < access::triesBeforeWait; ++i) {
            QTRY_VERIFY(code->isEnabled());
            QTest::keyClicks(code, QStringLiteral("1111"));
            QTest::keyClick(code, Qt::Key_Return);
        }
        QTRY_VERIFY(message->text().contains(QStringLiteral("attendez 30 secondes")));
        QVERIFY(!code->isEnabled());
        m_clock += access::waitMs;
        QTRY_VERIFY(code->isEnabled());
        QTest::keyClicks(code, QStringLiteral("13579"));
        QTest::keyClick(code, Qt::Key_Return);
        QTRY_COMPARE(page(*w), 3);
    }

    // The children, the class's heat map and a child's page, on a few rounds kept.
    void classAndChild()
    {
        QString lea, zoe;
        {
            auto db = store::Database::open({file(), {}}, QStringLiteral("seed"));
            QVERIFY(db);
            const store::ClassRow klass = db->defaultClass();
            const qint64 thisWeek = QDateTime(QDate(2026, 3, 10), QTime(9, 0)).toMSecsSinceEpoch();
            const qint64 lastYear = QDateTime(QDate(2025, 6, 10), QTime(9, 0)).toMSecsSinceEpoch();
            QVERIFY(db->setSetting(QString::fromLatin1(access::settingKey), QString::fromLatin1(access::noCode)));
            lea = db->addChild({{}, klass.id, QStringLiteral("Léa"), QStringLiteral("violon"), {}, false})->id;
            zoe = db->addChild({{}, klass.id, QStringLiteral("Zoé"), QStringLiteral("cor"), {}, false})->id;
            db->addChild({{}, klass.id, QStringLiteral("Émile"), QStringLiteral("harpe"), {}, false});
            db->setLevel(lea, QStringLiteral("oreille"), 3);
            keepRound(*db, lea, QStringLiteral("vue"), thisWeek,
                      {{"hautbois", "clarinette", true},
                       {"hautbois", "hautbois", false},
                       {"hautbois", "hautbois", true},
                       {"hautbois", "clarinette", true},
                       {"violon", "violon", true},
                       {"violon", "famille:cordes", true}});
            keepRound(*db, lea, QStringLiteral("oreille"), thisWeek,
                      {{"violon", "violon", true}, {"violon", "violon", true}, {"violon", "alto", true}});
            // Out of this school year: left out of the map.
            keepRound(*db, zoe, QStringLiteral("vue"), lastYear,
                      {{"cor", "cor", true}, {"cor", "cor", true}, {"cor", "cor", true}});
        }
        auto w = openWindow();
        QTRY_COMPARE(page(*w), 3);
        QSignalSpy shown(w.get(), &Window::classShown);
        QTRY_VERIFY(!w->classPage().grid.empty());
        auto *map = w->findChild<QTableView *>(QStringLiteral("Table_classe"));
        QAbstractItemModel *model = map->model();
        QCOMPARE(model->rowCount(), 3);
        // French order: Émile between Léa's E and Z.
        QCOMPARE(model->headerData(0, Qt::Vertical).toString(), QStringLiteral("Émile"));
        QCOMPARE(model->headerData(1, Qt::Vertical).toString(), QStringLiteral("Léa"));
        QCOMPARE(model->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Le violon"));
        const int hautbois = 13, violon = 4, cor = 9;
        QCOMPARE(model->index(1, hautbois).data().toString(), QStringLiteral("33 %")); // three first answers
        QCOMPARE(model->index(1, violon).data().toString(), QStringLiteral("–"));      // the family drop not counted
        QCOMPARE(model->index(2, cor).data().toString(), QStringLiteral("–"));
        w->findChild<QComboBox *>(QStringLiteral("Combo_periode"))->setCurrentIndex(3); // "Tout"
        QTRY_COMPARE(model->index(2, cor).data().toString(), QStringLiteral("100 %"));
        // By ear.
        shown.clear();
        w->findChild<QAbstractButton *>(QStringLiteral("Option_oreille"))->click();
        QTRY_VERIFY(!shown.isEmpty());
        QCOMPARE(model->index(1, violon).data().toString(), QStringLiteral("67 %"));

        // A click on Léa opens her page.
        QSignalSpy childShown(w.get(), &Window::childShown);
        map->scrollTo(model->index(1, violon));
        QTest::mouseClick(map->viewport(), Qt::LeftButton, {}, map->visualRect(model->index(1, violon)).center());
        QTRY_VERIFY(!childShown.isEmpty());
        QCOMPARE(w->shownChildId(), lea);
        auto *confusions = w->findChild<QListWidget *>(QStringLiteral("Liste_confusions_enfant"));
        QCOMPARE(confusions->item(0)->text(), QStringLiteral("A pris le hautbois pour la clarinette (2 fois)"));
        QCOMPARE(confusions->item(1)->text(), QStringLiteral("A pris le violon pour l'alto (1 fois)"));
        QVERIFY2(w->findChild<QLabel *>(QStringLiteral("L_niveaux"))
                     ->text()
                     .contains(QStringLiteral("Devine (à l'oreille) : 3")),
                 qPrintable(w->findChild<QLabel *>(QStringLiteral("L_niveaux"))->text()));
        QVERIFY(w->findChild<QLabel *>(QStringLiteral("L_jeu"))->text().contains(QStringLiteral("gagnées : 2")));
        QCOMPARE(w->childPage().weeks.size(), std::size_t(1));

        // Every control has a name a screen reader says, and the heat map's cells say theirs.
        for (QWidget *widget : w->findChildren<QWidget *>()) {
            // Qt's own parts of a control (a combo box's line, a view's viewport) go by their control.
            if (!widget->focusPolicy() || widget->window() != w.get() ||
                qobject_cast<QComboBox *>(widget->parentWidget()) ||
                widget->objectName().startsWith(QStringLiteral("qt_")))
                continue;
            if (!qobject_cast<QAbstractButton *>(widget) && !qobject_cast<QLineEdit *>(widget) &&
                !qobject_cast<QComboBox *>(widget) && !qobject_cast<QAbstractItemView *>(widget))
                continue;
            QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
            QVERIFY2(
                face && !face->text(QAccessible::Name).isEmpty(),
                qPrintable(widget->objectName() + QLatin1Char(' ') + QLatin1String(widget->metaObject()->className())));
        }
        QAccessibleInterface *table = QAccessible::queryAccessibleInterface(map);
        QCOMPARE(table->role(), QAccessible::Table);
        QVERIFY(model->index(1, violon)
                    .data(Qt::AccessibleTextRole)
                    .toString()
                    .startsWith(QStringLiteral("Léa, le violon : 67 %")));

        // The report, for the child and for the class.
        QVERIFY(w->writePdf(m_dir.filePath(QStringLiteral("lea.pdf")), true));
        QVERIFY(w->writePdf(m_dir.filePath(QStringLiteral("classe.pdf")), false));
        QFile pdf(m_dir.filePath(QStringLiteral("lea.pdf")));
        QVERIFY(pdf.open(QIODevice::ReadOnly) && pdf.read(5) == "%PDF-");
    }

    // Adding, refusing a name twice, importing, removing with the count said, exporting.
    void children()
    {
        auto w = openWindow();
        QTRY_VERIFY(!w->classPage().children.empty());
        QSignalSpy said(w.get(), &Window::said);
        auto *name = w->findChild<QLineEdit *>(QStringLiteral("E_prenom"));
        name->setText(QStringLiteral("léa"));
        w->findChild<QAbstractButton *>(QStringLiteral("Command_ajouter"))->click();
        QTRY_COMPARE(said.size(), 1);
        QVERIFY2(said.last().first().toString().contains(QStringLiteral("déjà")),
                 qPrintable(said.last().first().toString()));
        name->setText(QStringLiteral("Robert'); DROP TABLE children;--"));
        w->findChild<QAbstractButton *>(QStringLiteral("Command_ajouter"))->click();
        QTRY_COMPARE(w->classPage().children.size(), std::size_t(4));

        QFile list(m_dir.filePath(QStringLiteral("liste.csv")));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write("Noé\n\nnoé\nZoé\n");
        list.close();
        w->importFile(list.fileName());
        QTRY_COMPARE(w->classPage().children.size(), std::size_t(5));
        QCOMPARE(said.last().first().toString(),
                 QStringLiteral("1 enfant ajouté à « Ma classe » ; 1 ligne vide et 2 doublons ignorés."));

        QString asked;
        w->setConfirm([&](const QString &text, const QString &, const QString &) {
            asked = text;
            return true;
        });
        auto *table = w->findChild<QTableWidget *>(QStringLiteral("Table_enfants"));
        const auto lea = table->findItems(QStringLiteral("Léa"), Qt::MatchExactly);
        QCOMPARE(lea.size(), 1);
        table->selectRow(lea.first()->row());
        w->findChild<QAbstractButton *>(QStringLiteral("Command_retirer"))->click();
        QTRY_COMPARE(w->classPage().children.size(), std::size_t(4));
        QCOMPARE(asked, QStringLiteral(
                            "Retirer Léa ? Ses 9 réponses gardées seront effacées, avec ses niveaux et ses manches."));

        const QString csv = m_dir.filePath(QStringLiteral("réponses.csv"));
        w->exportTo(csv);
        QTRY_VERIFY(QFile::exists(csv));
        QFile out(csv);
        QVERIFY(out.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = out.readAll().split('\n');
        QCOMPARE(lines.first().trimmed(), QByteArray(store::csv::header));
        QCOMPARE(lines.size(), 1 + 3 + 1); // Zoé's round, and the end of the last line
        QVERIFY(lines[1].contains(",Zoé,Ma classe,vue,"));
        QVERIFY(lines[1].trimmed().endsWith(",Le cor,Le cor,1,1,1000"));
    }

    // On a new computer: no code, the first child made takes the levels of the files when the
    // adult says so; the class shown on this computer is kept; erasing everything leaves nothing.
    void firstChildAndErasing()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("niveaux"));
        QFile vents(m_dir.filePath(QStringLiteral("niveaux/vents.nvl")));
        QVERIFY(vents.open(QIODevice::WriteOnly) && vents.write("3\r\n") == 3);
        vents.close();
        const QString fresh = m_dir.filePath(QStringLiteral("neuf.sqlite"));
        auto w = openWindow(fresh);
        QTRY_COMPARE(page(*w), 1);
        w->findChild<QAbstractButton *>(QStringLiteral("Command_sans_code"))->click();
        QTRY_COMPARE(page(*w), 3);
        QStringList asked;
        w->setConfirm([&](const QString &, const QString &yes, const QString &) {
            asked << yes;
            return true;
        });
        QTRY_VERIFY(w->findChild<QComboBox *>(QStringLiteral("Combo_classe_enfant"))->count() > 0);
        w->findChild<QComboBox *>(QStringLiteral("Combo_classe_enfant"))->setEditText(QStringLiteral("CE2 B"));
        w->findChild<QLineEdit *>(QStringLiteral("E_prenom"))->setText(QStringLiteral("  Jean-Noël  "));
        w->findChild<QAbstractButton *>(QStringLiteral("Command_ajouter"))->click();
        QTRY_COMPARE(asked, QStringList{QStringLiteral("Reprendre la progression actuelle")});
        w->findChild<QLineEdit *>(QStringLiteral("E_prenom"))->setText(QStringLiteral("Inès"));
        w->findChild<QAbstractButton *>(QStringLiteral("Command_ajouter"))->click();
        QTRY_COMPARE(w->findChild<QTableWidget *>(QStringLiteral("Table_enfants"))->rowCount(), 2);
        QCOMPARE(asked.size(), 1); // only for the first child
        QCOMPARE(w->findChild<QComboBox *>(QStringLiteral("Combo_classe"))->currentText(), QStringLiteral("CE2 B"));
        QSignalSpy said(w.get(), &Window::said);
        w->findChild<QAbstractButton *>(QStringLiteral("Command_classe_du_poste"))->click();
        QTRY_COMPARE(said.size(), 1);
        {
            auto db = store::Database::open({fresh, {}}, QStringLiteral("look"));
            const std::vector<store::Child> children = db->children();
            QCOMPARE(children.size(), std::size_t(2));
            const auto jean = std::find_if(children.begin(), children.end(), [](const store::Child &c) {
                return c.firstName == QStringLiteral("Jean-Noël");
            });
            QVERIFY(jean != children.end());
            QCOMPARE(store::stats::levels(db->sql(), jean->id)[QStringLiteral("vents")], 3);
            QCOMPARE(db->setting(QStringLiteral("classe_du_poste")), std::optional<QString>(jean->classId));
        }
        w->findChild<QAbstractButton *>(QStringLiteral("Command_effacer"))->click();
        QTRY_COMPARE(w->findChild<QTableWidget *>(QStringLiteral("Table_enfants"))->rowCount(), 0);
        QCOMPARE(asked.last(), QStringLiteral("Effacer toutes les données"));
        w.reset();
        auto again = openWindow(fresh);
        QTRY_COMPARE(page(*again), 1); // the code is gone with the rest
    }

    // A class too long for one page goes on to the next, its heading drawn again.
    void reportPages()
    {
        Report report;
        report.title = QStringLiteral("Suivi de la classe");
        for (int i = 0; i < 90; ++i) {
            report.lines << QStringLiteral("Enfant %1").arg(i);
            report.cells.push_back({{QStringLiteral("violon"), {4, 3}}});
        }
        const QString file = m_dir.filePath(QStringLiteral("pages.pdf"));
        {
            QPdfWriter writer(file);
            QVERIFY(paintReport(writer, report));
        }
        QFile pdf(file);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.readAll().count("/Type /Page\n") >= 2);
    }
};

QTEST_MAIN(TestSuivi)
#include "tst_suivi.moc"
