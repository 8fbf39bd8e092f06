// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Sound, taskbar, browser and program launcher on Linux and other free desktops.
#include "after_paint.h"
#include "platform.h"
#include "sound_engine.h"

#include <QCoreApplication>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <optional>

namespace platform {

namespace {

// Every sound through our own engine: Qt's sound effects replay left-overs of earlier plays,
// lose the ends of sounds and wait on a sound server that does not answer. The game's first
// screen is up before the engine loads its libraries and opens the device.
class EngineSound final : public Sound
{
public:
    void play(SoundId id) override { m_engine.play(static_cast<int>(id)); }
    void stop() override { m_engine.stop(); }

private:
    SoundEngine m_engine{SoundEngine::Open::AfterFirstPaint};
};

// The desktop's panels lie under the full-screen backdrop already; nothing to hide.
class NoTaskbar final : public Taskbar
{
public:
    void hide() override {}
    void show() override {}
};

// xdg-open hands web addresses to the desktop's browser; it is of use only when one is set up.
// Whether one is, xdg-mime says, and it may take seconds to: it is asked once, in the
// background, once the first screen is up (a shell started beside the first paint slows it), and
// until it answers xdg-open is taken on trust.
class XdgBrowser final : public Browser
{
public:
    XdgBrowser()
        : m_asking(afterFirstPaint([this] { ask(); }))
    {
    }
    ~XdgBrowser() override
    {
        if (!m_query)
            return;
        m_query->disconnect();
        m_query->kill();
        m_query->waitForFinished(1000);
        delete m_query;
    }

    QString command() override
    {
        const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (opener.isEmpty())
            return {};
        if (!qEnvironmentVariableIsEmpty("BROWSER") ||
            !QStandardPaths::findExecutable(QStringLiteral("x-www-browser")).isEmpty() || m_webHandler->value_or(true))
            return opener;
        return {};
    }

private:
    void ask()
    {
        auto *query = new QProcess(QCoreApplication::instance());
        m_query = query;
        QObject::connect(query, &QProcess::finished, query, [query, answer = m_webHandler] {
            *answer = !query->readAllStandardOutput().trimmed().isEmpty();
            query->deleteLater();
        });
        QObject::connect(query, &QProcess::errorOccurred, query,
                         [query, answer = m_webHandler](QProcess::ProcessError e) {
                             if (e != QProcess::FailedToStart)
                                 return; // the end comes with finished
                             *answer = false;
                             query->deleteLater();
                         });
        QTimer::singleShot(3000, query, &QProcess::kill);
        query->start(QStringLiteral("xdg-mime"),
                     {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("x-scheme-handler/https")});
    }

    QPointer<QProcess> m_query;
    std::shared_ptr<std::optional<bool>> m_webHandler = std::make_shared<std::optional<bool>>();
    std::unique_ptr<QObject> m_asking;
};

class ProcessLauncher final : public Launcher
{
public:
    void start(const QString &commandLine) override
    {
        QStringList words = QProcess::splitCommand(commandLine);
        if (words.isEmpty())
            return;
        const QString program = words.takeFirst();
        QProcess::startDetached(program, words);
    }
};

} // namespace

std::unique_ptr<Sound> nativeSound()
{
    return std::make_unique<EngineSound>();
}
std::unique_ptr<Taskbar> nativeTaskbar()
{
    return std::make_unique<NoTaskbar>();
}
std::unique_ptr<Browser> nativeBrowser()
{
    return std::make_unique<XdgBrowser>();
}
std::unique_ptr<Launcher> nativeLauncher()
{
    return std::make_unique<ProcessLauncher>();
}

} // namespace platform
