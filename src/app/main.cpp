// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/commands.h"
#include "app/forms/accessibility.h"
#include "app/forms/screens.h"
#include "app/platform/sound_engine.h"
#include "app/startup.h"
#include "screens/loading/form_chargement.h"
#include "store/player.h"
#include "store/server.h"
#include "store/sync.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <cstdio>
#include <memory>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

int run(int argc, char *argv[], const startup::Parsed &parsed)
{
    startup::ScaleFactor scale(parsed.options, argc, argv);
    QApplication app(argc, argv);
    scale.restore();
    QApplication::setApplicationName(QStringLiteral("calivento"));
    QApplication::setApplicationDisplayName(QStringLiteral("Calivento"));
    QApplication::setDesktopFileName(QStringLiteral("fr.calivento.Calivento"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/icon.png")));
    // The program ends when its last screen is unloaded, not when a window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&forms::Screens::instance(), &forms::Screens::lastUnloaded, &app, &QApplication::quit,
                     Qt::QueuedConnection);

    // With a school's server, a sender of its own carries the kept answers to it.
    std::unique_ptr<store::Sync> sync;
    if (const QString base = store::server::configured(); !base.isEmpty())
        sync = std::make_unique<store::Sync>(store::defaultSqliteFile(), base);

    forms::installAccessibility();
    forms::get<Form_chargement>().Show();
    const int status = QApplication::exec();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // A round left mid-way is kept as abandoned, and what was posted reaches the disk.
    store::Player::current().close();
    return status;
}

// The adults' view is a program of its own, beside this one, with the same options.
int runSuivi(int argc, char *argv[])
{
    QString program;
    {
        QCoreApplication app(argc, argv);
        program = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("calivento-suivi"));
    }
#ifdef Q_OS_UNIX
    execv(QFile::encodeName(program).constData(), argv);
#else
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const int status = QProcess::execute(program, arguments);
    if (status >= 0)
        return status;
#endif
    std::fprintf(stderr, "calivento : le suivi des enfants ne peut pas être ouvert (%s).\n",
                 QFile::encodeName(program).constData());
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    const startup::Parsed parsed = startup::parse(startup::arguments(argc, argv));
    if (parsed.exitStatus)
        return startup::report(parsed);
    store::server::setCommandLineBase(parsed.options.base);
    if (commands::asked(parsed.options)) {
        QCoreApplication app(argc, argv);
        return commands::run(parsed.options);
    }
    if (parsed.options.suivi || parsed.options.oublierCode)
        return runSuivi(argc, argv);
    // The application object and the sound engine's device side are gone when run() returns.
    platform::endProcess(run(argc, argv, parsed));
}
