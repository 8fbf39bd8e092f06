// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Sound, taskbar, browser and program launcher on Windows, through the system's own calls.
#include "platform.h"
#include "sound_engine.h"

#include <windows.h>

#include <mmsystem.h>
#include <string>

namespace platform {

namespace {

// The win fanfare and the drop chime play through the system, as they always have; the
// instruments' phrases through our engine. Either kind stops the other: one voice at a time.
class PlaySoundEffects final : public Sound
{
public:
    void play(SoundId id) override
    {
        if (id == SoundId::Win || id == SoundId::Drop) {
            m_engine.stop();
            // SND_RESOURCE | SND_ASYNC: the WAVE resource of our own module, returning at once.
            PlaySoundA(MAKEINTRESOURCEA(static_cast<int>(id)), GetModuleHandleA(nullptr), 0x40005);
        } else {
            PlaySoundA(nullptr, nullptr, 0); // stops the system's sound of this program
            m_engine.play(static_cast<int>(id));
        }
    }

    void stop() override
    {
        m_engine.stop();
        PlaySoundA(nullptr, nullptr, 0);
    }

private:
    SoundEngine m_engine{SoundEngine::Open::AfterFirstPaint};
};

class ShellTaskbar final : public Taskbar
{
public:
    void hide() override { SetWindowPos(FindWindowA("Shell_traywnd", ""), nullptr, 0, 0, 0, 0, 0x0080); }
    void show() override { SetWindowPos(FindWindowA("Shell_traywnd", ""), nullptr, 0, 0, 0, 0, 0x0040); }
};

class RegistryBrowser final : public Browser
{
public:
    QString command() override
    {
        HKEY key = nullptr;
        QString answer;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "HTTP\\Shell\\Open\\command", 0, 0xF003F, &key) == 0) {
            char buffer[255];
            memset(buffer, ' ', sizeof buffer);
            DWORD size = 255;
            DWORD type = 1;
            if (RegQueryValueExA(key, "", nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size) == 0 && size > 0)
                answer = stripQuotes(QString::fromLocal8Bit(buffer, static_cast<int>(size) - 1));
        }
        RegCloseKey(key);
        return answer;
    }
};

// The command line goes to the system whole: CreateProcess finds the program in it by itself,
// spaces in its path included (C:\Program Files\...), where splitting at spaces would not.
class CreateProcessLauncher final : public Launcher
{
public:
    void start(const QString &commandLine) override
    {
        std::wstring line = commandLine.toStdWString();
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
};

} // namespace

// The system's audio service is always there; Qt Multimedia does not wait on it.
bool soundServerAnswers(const std::function<bool()> &)
{
    return true;
}

std::unique_ptr<Sound> nativeSound()
{
    return std::make_unique<PlaySoundEffects>();
}
std::unique_ptr<Taskbar> nativeTaskbar()
{
    return std::make_unique<ShellTaskbar>();
}
std::unique_ptr<Browser> nativeBrowser()
{
    return std::make_unique<RegistryBrowser>();
}
std::unique_ptr<Launcher> nativeLauncher()
{
    return std::make_unique<CreateProcessLauncher>();
}

} // namespace platform
