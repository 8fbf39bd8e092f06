// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// A long session: many rounds played through the screens in a random mix from a fixed seed
// (wins, losses, "Oui", "Non", restarts, help and back, the way back to the menu), checking the
// rules after each, and reporting time and memory.
//   soak_rounds [--rounds N] [--seed S] [QtTest options]
#include "app/forms/screens.h"
#include "screens/game/form_instruments.h"
#include "screens/help/form_help.h"
#include "screens/menu/form_choix_instruments.h"
#include "screens/results/form_gagner_instruments.h"
#include "screens/results/form_perdu_instruments.h"
#include "store/progress.h"
#include "support/fakes.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <malloc.h>
#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif
#if __has_include(<valgrind/memcheck.h>)
#include <valgrind/memcheck.h>
#define SOAK_VALGRIND 1
#endif

using game::GameId;

namespace {

int g_rounds = 1000;
quint32 g_seed = 1;

// A line of /proc/self/status, in kB.
long statusKb(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(static_cast<qsizetype>(qstrlen(key))).trimmed().split(' ').first().toLong();
    return -1;
}

// The heap in use. Under AddressSanitizer and valgrind, which replace malloc, their own count.
long heapKb()
{
#if defined(__SANITIZE_ADDRESS__)
    return static_cast<long>(__sanitizer_get_current_allocated_bytes() / 1024);
#endif
#ifdef SOAK_VALGRIND
    if (RUNNING_ON_VALGRIND) {
        unsigned long leaked = 0, dubious = 0, reachable = 0, suppressed = 0;
        VALGRIND_DO_QUICK_LEAK_CHECK;
        VALGRIND_COUNT_LEAKS(leaked, dubious, reachable, suppressed);
        return static_cast<long>((leaked + dubious + reachable + suppressed) / 1024);
    }
#endif
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long>((info.uordblks + info.hblkhd) / 1024);
}

void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void click(forms::Control &control)
{
    QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(2, 2));
    settle();
}

// A point of the picture where it is the topmost control, so that a drop there reaches it.
std::optional<QPoint> reachablePoint(Form_instruments &screen, forms::Image &picture)
{
    const QRect area = picture.geometry();
    for (int y = area.top() + 1; y < area.bottom(); y += 6)
        for (int x = area.left() + 1; x < area.right(); x += 6)
            if (screen.childAt(x, y) == &picture)
                return QPoint(x, y);
    return std::nullopt;
}

} // namespace

class Soak : public QObject
{
    Q_OBJECT
    fakes::Platform m_fake{};
    QTemporaryDir m_dir;
    QRandomGenerator m_random;
    std::array<int, 5> m_expected{1, 1, 1, 1, 1}; // the progress each file should hold
    struct {
        int wins = 0, losses = 0, abandoned = 0, yes = 0, no = 0, restarts = 0, helps = 0, menuHelps = 0;
        int drops = 0, wrongDrops = 0, realDrags = 0;
    } m_count;

    bool chance(int percent) { return static_cast<int>(m_random.bounded(100)) < percent; }

    forms::Label &rightLabel(Form_instruments &screen, GameId id, int row)
    {
        if (id == GameId::Familles)
            return screen.familyLabel(game::catalogue[static_cast<std::size_t>(row)].family);
        return screen.nameLabel(row);
    }

    forms::Label &wrongLabel(Form_instruments &screen, GameId id, int row)
    {
        if (id == GameId::Familles) {
            const game::Family own = game::catalogue[static_cast<std::size_t>(row)].family;
            for (const game::FamilyInfo &f : game::families)
                if (f.family != own)
                    return screen.familyLabel(f.family);
        }
        for (int other = 0; other < game::instrumentCount; ++other)
            if (other != row && game::plays(id, other) && screen.nameLabel(other).Visible())
                return screen.nameLabel(other);
        return screen.nameLabel((row + 1) % game::instrumentCount);
    }

    void dropOn(Form_instruments &screen, forms::Label &label, int row)
    {
        forms::Image &picture = screen.picture(row);
        ++m_count.drops;
        if (chance(5)) {
            if (const std::optional<QPoint> at = reachablePoint(screen, picture)) {
                ++m_count.realDrags;
                QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
                QTest::mouseMove(&label, label.mapFrom(&screen, *at));
                QTest::mouseRelease(&label, Qt::LeftButton, {}, label.mapFrom(&screen, *at));
                settle();
                return;
            }
        }
        emit picture.DragDrop(&label);
        settle();
    }

    QList<int> visibleRows(Form_instruments &screen, GameId id)
    {
        QList<int> rows;
        for (int row = 0; row < game::instrumentCount; ++row)
            if (game::plays(id, row) && screen.picture(row).Visible())
                rows << row;
        return rows;
    }

    // Something the player may do during a round that does not end it.
    void aside(Form_instruments &screen, GameId id, int level)
    {
        if (chance(10)) {
            ++m_count.helps;
            click(screen.Command_aide);
            Form_help &help = forms::get<Form_help>();
            QVERIFY(help.isVisible());
            QVERIFY(!screen.Timer1.Enabled());
            click(help.Command_retour);
            QVERIFY(!help.isVisible());
            QVERIFY(screen.Timer1.Enabled());
        }
        if (chance(10))
            click(screen.Command_son);
        if (chance(8)) {
            ++m_count.restarts;
            click(screen.Command_recommencer);
            QCOMPARE(screen.visibleGame(), std::optional(id));
            QCOMPARE(screen.visibleLevel(), std::optional(level));
            QCOMPARE(screen.Timer1.Interval(), game::startInterval(id, level));
            QCOMPARE(visibleRows(screen, id).size(), game::board(id).drawOrder.size());
        }
    }

    void win(Form_instruments &screen, GameId id, int level)
    {
        QList<int> rows = visibleRows(screen, id);
        while (!rows.isEmpty()) {
            const int row = rows.takeAt(static_cast<qsizetype>(m_random.bounded(static_cast<int>(rows.size()))));
            if (chance(5) && screen.Timer1.Interval() > 200) {
                ++m_count.wrongDrops;
                dropOn(screen, wrongLabel(screen, id, row), row);
            }
            if (!rows.isEmpty() && chance(3))
                aside(screen, id, level);
            if (!screen.picture(row).Visible())
                continue; // a restart may have brought them all back
            dropOn(screen, rightLabel(screen, id, row), row);
            if (rows.isEmpty())
                rows = visibleRows(screen, id);
        }
        QVERIFY(forms::isLoaded<Form_gagner_instruments>());
        QVERIFY(!screen.isEnabled());
        QVERIFY(!screen.Timer1.Enabled());
        ++m_count.wins;
        int &expected = m_expected[static_cast<std::size_t>(id)];
        expected = store::progress::afterWin(expected, level);
        QFile file(store::progress::Store().path(QLatin1String(game::info(id).progressFile)));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray::number(expected) + "\r\n");
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        for (int l = 1; l <= game::levelCount; ++l)
            QCOMPARE(menu.levelLabel(id, l).Enabled(), l <= expected);
    }

    void lose(Form_instruments &screen, GameId id, int level)
    {
        const QList<int> rows = visibleRows(screen, id);
        for (int i = 0; i < 10 && chance(80); ++i) {
            const int row = rows[static_cast<qsizetype>(m_random.bounded(static_cast<int>(rows.size())))];
            ++m_count.wrongDrops;
            dropOn(screen, wrongLabel(screen, id, row), row);
        }
        aside(screen, id, level);
        for (int beats = 0; !forms::isLoaded<Form_Perdu_instruments>(); ++beats) {
            QVERIFY(beats < 1100);
            screen.Timer1_Timer();
            settle();
        }
        QVERIFY(!screen.isEnabled());
        QVERIFY(screen.Text_0.Visible());
        ++m_count.losses;
    }

    // "Oui" or "Non" on the result screen now up; `again` tells whether the same game goes on.
    void answer(ResultScreen &result, Form_instruments &screen, GameId id, int level, bool &again)
    {
        again = chance(50);
        if (again) {
            ++m_count.yes;
            click(result.Command_oui);
            QVERIFY2(!forms::isLoaded<Form_gagner_instruments>() && !forms::isLoaded<Form_Perdu_instruments>(),
                     "the result screen stays");
            QVERIFY(screen.isEnabled());
            QVERIFY(!screen.Text_0.Visible());
            QCOMPARE(screen.Timer1.Interval(), game::startInterval(id, level));
            QCOMPARE(screen.visibleLevel(), std::optional(level));
            return;
        }
        ++m_count.no;
        click(result.Quitter);
        QVERIFY(!forms::isLoaded<Form_instruments>());
        QVERIFY(forms::get<Form_choix_instruments>().isEnabled());
    }

private slots:
    void initTestCase()
    {
        m_fake = fakes::install();
        m_random.seed(g_seed);
        QVERIFY(QDir::setCurrent(m_dir.path()));
    }

    void rounds()
    {
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        QElapsedTimer clock;
        clock.start();
        long hwmFirst = 0, heapFirst = 0;
        // The heap measured back on the menu with no game screen, once warmed up and at the end.
        long heapWarm = 0, heapLast = 0;
        std::optional<std::pair<GameId, int>> playing;
        for (int round = 1; round <= g_rounds; ++round) {
            // The random list that the game screen's scatter draws from, changed every round.
            m_fake.random->values = {static_cast<float>(m_random.generateDouble()),
                                     static_cast<float>(m_random.generateDouble()),
                                     static_cast<float>(m_random.generateDouble())};
            if (!playing) {
                if (chance(5)) {
                    ++m_count.menuHelps;
                    click(menu.Metronome_stop);
                    click(forms::get<Form_help>().Command_retour);
                }
                const GameId id = game::games[m_random.bounded(static_cast<quint32>(game::games.size()))].id;
                int open = 1;
                while (open < game::levelCount && menu.levelLabel(id, open + 1).Enabled())
                    ++open;
                const int level = 1 + static_cast<int>(m_random.bounded(open));
                click(menu.levelLabel(id, level));
                QVERIFY(forms::isLoaded<Form_instruments>());
                QVERIFY(!menu.isEnabled());
                playing = {id, level};
            }
            const auto [id, level] = *playing;
            Form_instruments &screen = forms::get<Form_instruments>();
            QCOMPARE(screen.visibleGame(), std::optional(id));
            const int outcome = static_cast<int>(m_random.bounded(100));
            if (outcome < 10) {
                ++m_count.abandoned;
                aside(screen, id, level);
                click(screen.Command_retour);
                QVERIFY(!forms::isLoaded<Form_instruments>());
                QVERIFY(menu.isEnabled());
                playing.reset();
            } else {
                if (outcome < 60)
                    win(screen, id, level);
                else
                    lose(screen, id, level);
                if (QTest::currentTestFailed())
                    return;
                ResultScreen &result = forms::isLoaded<Form_gagner_instruments>()
                                           ? static_cast<ResultScreen &>(forms::get<Form_gagner_instruments>())
                                           : forms::get<Form_Perdu_instruments>();
                bool again = false;
                answer(result, screen, id, level, again);
                if (!again)
                    playing.reset();
            }
            if (QTest::currentTestFailed())
                return;
            if (round % 25 == 0)
                QCoreApplication::processEvents();
            if (round == 1) {
                hwmFirst = statusKb("VmHWM:");
                heapFirst = heapKb();
            }
            if (!playing && heapWarm == 0 && round >= g_rounds / 4) {
                settle();
                heapWarm = heapKb();
            }
            if (round % 100 == 0 || round == g_rounds)
                qInfo("round %d: %.1f s, VmHWM %ld kB, VmRSS %ld kB", round, clock.elapsed() / 1000.0,
                      statusKb("VmHWM:"), statusKb("VmRSS:"));
        }
        // Back to the menu for the last measure.
        if (forms::isLoaded<Form_gagner_instruments>())
            click(forms::get<Form_gagner_instruments>().Quitter);
        else if (forms::isLoaded<Form_Perdu_instruments>())
            click(forms::get<Form_Perdu_instruments>().Quitter);
        else if (forms::isLoaded<Form_instruments>())
            click(forms::get<Form_instruments>().Command_retour);
        QVERIFY(!forms::isLoaded<Form_instruments>());
        heapLast = heapKb();
        qInfo("%d rounds in %.1f s: %d won, %d lost, %d left for the menu; %d Oui, %d Non, %d restarts, "
              "%d help from the game, %d from the menu; %d drops (%d wrong, %d real drags)",
              g_rounds, clock.elapsed() / 1000.0, m_count.wins, m_count.losses, m_count.abandoned, m_count.yes,
              m_count.no, m_count.restarts, m_count.helps, m_count.menuHelps, m_count.drops, m_count.wrongDrops,
              m_count.realDrags);
        qInfo("VmHWM at round 1: %ld kB, at round %d: %ld kB; heap in use at round 1: %ld kB; back on the menu "
              "after a quarter of the rounds: %ld kB, at the end: %ld kB",
              hwmFirst, g_rounds, statusKb("VmHWM:"), heapFirst, heapWarm, heapLast);
        // Once warmed up, rounds must not pile up memory: a screen kept alive per round would.
        if (heapWarm > 0)
            QVERIFY2(heapLast - heapWarm < 1024, "the heap grows from round to round");
    }

    void cleanupTestCase() { fakes::unloadAllScreens(); }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStringList args;
    for (int i = 0; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--rounds" && i + 1 < argc)
            g_rounds = std::max(1, QByteArray(argv[++i]).toInt());
        else if (arg == "--seed" && i + 1 < argc)
            g_seed = QByteArray(argv[++i]).toUInt();
        else
            args << QString::fromLocal8Bit(arg);
    }
    Soak soak;
    return QTest::qExec(&soak, args);
}

#include "soak_rounds.moc"
