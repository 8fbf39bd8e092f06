// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Sound, taskbar and browser on Linux and other free desktops.
#include "platform.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSoundEffect>
#include <QStandardPaths>
#include <QUrl>
#include <map>

namespace platform {

namespace {

class SoundEffects final : public Sound
{
public:
    // The effects must go while the application still exists: they post events as they die.
    SoundEffects()
    {
        s_current = this;
        qAddPostRoutine(releaseEffects);
    }
    ~SoundEffects() override
    {
        qRemovePostRoutine(releaseEffects);
        s_current = nullptr;
    }

    void play(SoundId id) override
    {
        for (auto &[other, effect] : m_effects)
            if (other != id)
                effect->stop();
        QSoundEffect &effect = this->effect(id);
        effect.stop();
        effect.play();
    }

private:
    QSoundEffect &effect(SoundId id)
    {
        auto &slot = m_effects[id];
        if (!slot) {
            slot = std::make_unique<QSoundEffect>();
            slot->setSource(QUrl(id == SoundId::Win ? QStringLiteral("qrc:/sounds/win.wav")
                                                    : QStringLiteral("qrc:/sounds/drop.wav")));
        }
        return *slot;
    }

    static void releaseEffects()
    {
        if (s_current)
            s_current->m_effects.clear();
    }

    static inline SoundEffects *s_current = nullptr;
    std::map<SoundId, std::unique_ptr<QSoundEffect>> m_effects;
};

// The desktop's panels lie under the full-screen backdrop already; nothing to hide.
class NoTaskbar final : public Taskbar
{
public:
    void hide() override {}
    void show() override {}
};

// xdg-open hands web addresses to the desktop's browser; it is of use only when one is set up.
class XdgBrowser final : public Browser
{
public:
    QString command() override
    {
        const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (opener.isEmpty())
            return {};
        if (!qEnvironmentVariableIsEmpty("BROWSER")
            || !QStandardPaths::findExecutable(QStringLiteral("x-www-browser")).isEmpty()
            || hasWebHandler())
            return opener;
        return {};
    }

private:
    static bool hasWebHandler()
    {
        QProcess query;
        query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                                  QStringLiteral("x-scheme-handler/https")});
        if (!query.waitForFinished(3000)) {
            query.kill();
            query.waitForFinished(1000);
            return false;
        }
        return !query.readAllStandardOutput().trimmed().isEmpty();
    }
};

} // namespace

std::unique_ptr<Sound> nativeSound() { return std::make_unique<SoundEffects>(); }
std::unique_ptr<Taskbar> nativeTaskbar() { return std::make_unique<NoTaskbar>(); }
std::unique_ptr<Browser> nativeBrowser() { return std::make_unique<XdgBrowser>(); }

} // namespace platform
