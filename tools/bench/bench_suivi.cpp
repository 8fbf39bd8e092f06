// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// "Suivi des enfants" over a school year: "La classe" and a child's page from the window's
// creation to their first paint, and every answer of 300 children exported through the window.
// With --captures FOLDER, it writes the README's pictures of the heat map and a child's page.
#include "store/database.h"
#include "suivi/access.h"
#include "suivi/window.h"
#include "year.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {

// The made year runs from 1 September 2025 to the end of June: "Cette année scolaire" holds it all.
const QDateTime endOfYear(QDate(2026, 6, 30), QTime(17, 0));

QString makeYear(const QString &folder, int children)
{
    const QString file = folder + QStringLiteral("/year-%1.sqlite").arg(children);
    std::optional<store::Database> db = store::Database::open({file, {}}, QStringLiteral("year"));
    QElapsedTimer clock;
    clock.start();
    const bench::Year year = bench::makeYear(*db, {children, 200, 12, 30});
    db->setSetting(QString::fromLatin1(suivi::access::settingKey), QString::fromLatin1(suivi::access::noCode));
    QSqlQuery(db->sql()).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    std::printf("%d children: %lld answers made in %.1f s, file %.1f MB\n", children,
                static_cast<long long>(year.answers), clock.elapsed() / 1000.0, QFileInfo(file).size() / 1e6);
    return file;
}

// Waits for a signal, then for the paint it asks for.
bool shown(QSignalSpy &spy, QWidget &window)
{
    if (spy.isEmpty() && !spy.wait(30000))
        return false;
    window.repaint();
    return true;
}

struct Times {
    std::vector<qint64> classMs, childMs;
};

void openings(const QString &file, int runs, Times &times, const QString &captures = {})
{
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        suivi::Window window({file, {}});
        window.setNow([] { return endOfYear; });
        QSignalSpy classShown(&window, &suivi::Window::classShown);
        window.resize(1280, 800);
        window.show();
        window.findChild<QTabWidget *>(QStringLiteral("Onglets"))->setCurrentIndex(1);
        if (!shown(classShown, window))
            return;
        times.classMs.push_back(clock.elapsed());
        if (!captures.isEmpty() && run == 0)
            window.grab().save(captures + QStringLiteral("/suivi-classe.png"));

        const QString child = window.classPage().grid.at(run % window.classPage().grid.size()).childId;
        QSignalSpy childShown(&window, &suivi::Window::childShown);
        clock.restart();
        window.showChild(child);
        if (!shown(childShown, window))
            return;
        times.childMs.push_back(clock.elapsed());
        if (!captures.isEmpty() && run == 0)
            window.grab().save(captures + QStringLiteral("/suivi-enfant.png"));
    }
}

void report(const char *what, std::vector<qint64> ms)
{
    if (ms.empty()) {
        std::printf("  %s: never shown\n", what);
        return;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("  %s: median %lld ms, worst %lld ms over %zu openings\n", what,
                static_cast<long long>(ms[ms.size() / 2]), static_cast<long long>(ms.back()), ms.size());
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir folder;
    const QStringList args = QApplication::arguments();
    const int at = static_cast<int>(args.indexOf(QStringLiteral("--captures")));
    if (at > 0 && at + 1 < args.size()) {
        Times times;
        openings(makeYear(folder.path(), 30), 1, times, args.at(at + 1));
        return times.childMs.empty() ? 1 : 0;
    }

    const QString small = makeYear(folder.path(), 30);
    Times times;
    openings(small, 10, times);
    report("\"La classe\", 30 children, window made to heat map painted", times.classMs);
    report("a child's page, click to painted", times.childMs);

    const QString large = makeYear(folder.path(), 300);
    Times inLarge;
    openings(large, 5, inLarge);
    report("\"La classe\" of 30 among 300 children", inLarge.classMs);
    report("a child's page among 300 children", inLarge.childMs);

    suivi::Window window({large, {}});
    window.setNow([] { return endOfYear; });
    QSignalSpy opened(&window, &suivi::Window::classShown);
    opened.wait(30000);
    QSignalSpy said(&window, &suivi::Window::said);
    QElapsedTimer clock;
    clock.start();
    const QString csv = folder.filePath(QStringLiteral("export.csv"));
    window.exportTo(csv);
    said.wait(60000);
    std::printf("  \"Exporter (CSV)\" of 300 children: %lld ms, %.1f MB (%s)\n",
                static_cast<long long>(clock.elapsed()), QFileInfo(csv).size() / 1e6,
                said.isEmpty() ? "no answer" : qPrintable(said.first().first().toString()));
    return 0;
}
