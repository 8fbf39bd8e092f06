// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// "Suivi des enfants": its rules, the access code, and the window driven with keys and over the
// accessibility tree, on a real SQLite file.
#include "store/database.h"
#include "suivi/access.h"
#include "suivi/report.h"
#include "suivi/rules.h"
#include "suivi/window.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QBuffer>
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
    template <class T = QWidget> static T *find(Window &w, const char *name)
    {
        return w.findChild<T *>(QString::fromLatin1(name));
    }
    static void click(Window &w, const char *name) { find<QAbstractButton>(w, name)->click(); }

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
        QTest::newRow("week, on Sunday night") << int(Period::Semaine) << sunday << QDateTime(QDate(2026, 3, 9), {});
        QTest::newRow("month") << int(Period::Mois) << now << QDateTime(QDate(2026, 3, 1), {});
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

    // Red, then yellow, then green, and dark text readable on each.
    void colourScale()
    {
        QVERIFY(shareColor(0).hue() <= 5 && shareColor(100).hue() > 100 && shareColor(100).hue() < 140);
        QVERIFY(shareColor(50).hue() > 40 && shareColor(50).hue() < 65);
        for (int percent = 0; percent <= 100; percent += 10) {
            const QColor c = shareColor(percent);
            QVERIFY2(c.lightnessF() > 0.55, qPrintable(QString::number(percent)));
            if (percent > 0)
                QVERIFY(c.hue() >= shareColor(percent - 10).hue());
        }
    }

    // "le", "la" and "l'" are said on Léa's page below; "les" and the names of two words here.
    void sentences()
    {
        QCOMPARE(childConfusion(QStringLiteral("timbales"), QStringLiteral("cymbales"), 2),
                 QStringLiteral("A pris les timbales pour les cymbales (2 fois)"));
        QCOMPARE(childConfusion(QStringLiteral("ct_basson"), QStringLiteral("cor_anglais"), 3),
                 QStringLiteral("A pris le contrebasson pour le cor anglais (3 fois)"));
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
        for (const char *code : {"123", "123456789", "12a4"})
            QVERIFY(!access::isValidCode(QString::fromLatin1(code)));
        QVERIFY(access::isValidCode(QStringLiteral("12345678")));

        qint64 clock = 0;
        access::Door door(kept, [&] { return clock; });
        for (int i = 0; i < 5; ++i)
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
            auto *code = find<QLineEdit>(*w, "E_nouveau_code");
            QTRY_VERIFY(code->hasFocus());
            QTest::keyClicks(code, QStringLiteral("13579"));
            QTest::keyClick(code, Qt::Key_Tab);
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("13579"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QTRY_COMPARE(page(*w), 3);
        }
        {
            auto db = store::Database::open({file(), {}}, QStringLiteral("look"));
            QSqlQuery all(db->sql());
            QVERIFY(all.exec(QStringLiteral("SELECT key, value FROM settings")));
            while (all.next())
                QVERIFY(!all.value(1).toString().contains(QStringLiteral("13579")));
            // The closed window's store thread may still be finishing its last write.
            QTRY_VERIFY(access::matches(QStringLiteral("13579"),
                                        db->setting(QString::fromLatin1(access::settingKey)).value_or(QString())));
        }
        auto w = openWindow();
        QTRY_COMPARE(page(*w), 2);
        auto *code = find<QLineEdit>(*w, "E_code");
        for (int i = 0; i < access::triesBeforeWait; ++i) {
            QTRY_VERIFY(code->isEnabled());
            QTest::keyClicks(code, QStringLiteral("1111"));
            QTest::keyClick(code, Qt::Key_Return);
        }
        QTRY_VERIFY(find<QLabel>(*w, "L_message")->text().contains(QStringLiteral("attendez 30 secondes")));
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
        auto *map = find<QTableView>(*w, "Table_classe");
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
        find<QComboBox>(*w, "Combo_periode")->setCurrentIndex(3); // "Tout"
        QTRY_COMPARE(model->index(2, cor).data().toString(), QStringLiteral("100 %"));
        // By ear.
        shown.clear();
        click(*w, "Option_oreille");
        QTRY_VERIFY(!shown.isEmpty());
        QCOMPARE(model->index(1, violon).data().toString(), QStringLiteral("67 %"));

        // A click on Léa opens her page.
        QSignalSpy childShown(w.get(), &Window::childShown);
        map->scrollTo(model->index(1, violon));
        QTest::mouseClick(map->viewport(), Qt::LeftButton, {}, map->visualRect(model->index(1, violon)).center());
        QTRY_VERIFY(!childShown.isEmpty());
        QCOMPARE(w->shownChildId(), lea);
        auto *confusions = find<QListWidget>(*w, "Liste_confusions_enfant");
        QCOMPARE(confusions->item(0)->text(), QStringLiteral("A pris le hautbois pour la clarinette (2 fois)"));
        QCOMPARE(confusions->item(1)->text(), QStringLiteral("A pris le violon pour l'alto (1 fois)"));
        QVERIFY(find<QLabel>(*w, "L_niveaux")->text().contains(QStringLiteral("Devine (à l'oreille) : 3")));
        QVERIFY(find<QLabel>(*w, "L_jeu")->text().contains(QStringLiteral("gagnées : 2")));
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
        QCOMPARE(QAccessible::queryAccessibleInterface(map)->role(), QAccessible::Table);
        const QString spoken = model->index(1, violon).data(Qt::AccessibleTextRole).toString();
        QVERIFY(spoken.startsWith(QStringLiteral("Léa, le violon : 67 %")));

        // The report, for the child and for the class.
        QVERIFY(w->writePdf(m_dir.filePath(QStringLiteral("lea.pdf")), true));
        QVERIFY(w->writePdf(m_dir.filePath(QStringLiteral("classe.pdf")), false));
    }

    // Adding, refusing a name twice, importing, removing with the count said, exporting.
    void children()
    {
        auto w = openWindow();
        QTRY_VERIFY(!w->classPage().children.empty());
        QSignalSpy said(w.get(), &Window::said);
        auto *name = find<QLineEdit>(*w, "E_prenom");
        name->setText(QStringLiteral("léa"));
        click(*w, "Command_ajouter");
        QTRY_COMPARE(said.size(), 1);
        QVERIFY2(said.last().first().toString().contains(QStringLiteral("déjà")),
                 qPrintable(said.last().first().toString()));
        name->setText(QStringLiteral("Robert'); DROP TABLE children;--"));
        click(*w, "Command_ajouter");
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
        auto *table = find<QTableWidget>(*w, "Table_enfants");
        const auto lea = table->findItems(QStringLiteral("Léa"), Qt::MatchExactly);
        QCOMPARE(lea.size(), 1);
        table->selectRow(lea.first()->row());
        click(*w, "Command_retirer");
        QTRY_COMPARE(w->classPage().children.size(), std::size_t(4));
        QCOMPARE(asked, QStringLiteral(
                            "Retirer Léa ? Ses 9 réponses gardées seront effacées, avec ses niveaux et ses manches."));
        {
            auto db = store::Database::open({file(), {}}, QStringLiteral("look"));
            QSqlQuery left(db->sql()); // Léa alone had levels; Zoé's round stays
            QVERIFY(left.exec(QStringLiteral("SELECT (SELECT count(*) FROM levels) || ' ' || (SELECT count(*) FROM"
                                             " rounds)")) &&
                    left.next());
            QCOMPARE(left.value(0).toString(), QStringLiteral("0 1"));
        }

        const QString csv = m_dir.filePath(QStringLiteral("réponses.csv"));
        w->exportTo(csv);
        QTRY_VERIFY(QFile::exists(csv));
        QFile out(csv);
        QVERIFY(out.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = out.readAll().split('\n'); // the format is the CSV test's
        QCOMPARE(lines.size(), 1 + 3 + 1); // the header, Zoé's round, and the end of the last line
        QVERIFY(lines[1].contains(",Zoé,Ma classe,vue,"));
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
        click(*w, "Command_sans_code");
        QTRY_COMPARE(page(*w), 3);
        QStringList asked;
        w->setConfirm([&](const QString &, const QString &yes, const QString &) {
            asked << yes;
            return true;
        });
        QTRY_VERIFY(find<QComboBox>(*w, "Combo_classe_enfant")->count() > 0);
        find<QComboBox>(*w, "Combo_classe_enfant")->setEditText(QStringLiteral("CE2 B"));
        for (const QString &name : {QStringLiteral("  Jean-Noël  "), QStringLiteral("Inès")}) {
            find<QLineEdit>(*w, "E_prenom")->setText(name);
            click(*w, "Command_ajouter");
            QTRY_VERIFY(!asked.isEmpty());
        }
        QTRY_COMPARE(find<QTableWidget>(*w, "Table_enfants")->rowCount(), 2);
        QCOMPARE(asked, QStringList{QStringLiteral("Reprendre la progression actuelle")}); // the first child only
        QCOMPARE(find<QComboBox>(*w, "Combo_classe")->currentText(), QStringLiteral("CE2 B"));
        QSignalSpy said(w.get(), &Window::said);
        click(*w, "Command_classe_du_poste");
        QTRY_COMPARE(said.size(), 1);
        {
            auto db = store::Database::open({fresh, {}}, QStringLiteral("look"));
            const std::vector<store::Child> children = db->children();
            QCOMPARE(children.size(), std::size_t(2));
            const auto jean = std::find_if(children.begin(), children.end(), [](const store::Child &c) {
                return c.firstName == QStringLiteral("Jean-Noël");
            });
            QCOMPARE(store::stats::levels(db->sql(), jean->id)[QStringLiteral("vents")], 3);
            QCOMPARE(db->setting(QStringLiteral("classe_du_poste")), std::optional<QString>(jean->classId));
        }
        click(*w, "Command_effacer");
        QTRY_COMPARE(find<QTableWidget>(*w, "Table_enfants")->rowCount(), 0);
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
        QBuffer pdf;
        QVERIFY(pdf.open(QIODevice::WriteOnly));
        {
            QPdfWriter writer(&pdf);
            QVERIFY(paintReport(writer, report));
        }
        QVERIFY(pdf.data().startsWith("%PDF-") && pdf.data().count("/Type /Page\n") >= 2);
    }
};

QTEST_MAIN(TestSuivi)
#include "tst_suivi.moc"
