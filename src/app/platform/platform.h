// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QTime>
#include <memory>

class QWidget;

// The services the game takes from the computer it runs on, one small interface each.
// The native implementations are installed by default; tests replace them with fakes.
namespace platform {

// The resource numbers of the game's sounds: the win fanfare, the drop chime and, from
// FirstInstrument on, one phrase per row of the instrument catalogue.
enum class SoundId { Win = 101, Drop = 103, FirstInstrument = 200 };

constexpr SoundId instrumentSound(int catalogueRow)
{
    return static_cast<SoundId>(static_cast<int>(SoundId::FirstInstrument) + catalogueRow);
}

class Sound
{
public:
    virtual ~Sound() = default;
    // Starts one of the game's sounds and returns at once; it cuts short the one playing.
    virtual void play(SoundId id) = 0;
    // Cuts short the sound playing, if any, and returns at once: for a screen that is left.
    virtual void stop() = 0;
};

class Taskbar
{
public:
    virtual ~Taskbar() = default;
    virtual void hide() = 0;
    virtual void show() = 0;
};

class Browser
{
public:
    virtual ~Browser() = default;
    // The command that opens a web address, or empty when the computer has no web browser.
    virtual QString command() = 0;
};

class Launcher
{
public:
    virtual ~Launcher() = default;
    // Starts a program from a command line, without a shell and without waiting for it.
    virtual void start(const QString &commandLine) = 0;
};

class Clock
{
public:
    virtual ~Clock() = default;
    virtual QTime timeOfDay() = 0;
};

class Random
{
public:
    virtual ~Random() = default;
    virtual void reseed() = 0;
    // Uniform in [0, 1).
    virtual float next() = 0;
};

class Dialogs
{
public:
    virtual ~Dialogs() = default;
    // A modal box with an exclamation icon and an OK button; returns when it is closed.
    virtual void exclamation(QWidget *parent, const QString &title, const QString &text) = 0;
};

struct Services {
    std::unique_ptr<Sound> sound;
    std::unique_ptr<Taskbar> taskbar;
    std::unique_ptr<Browser> browser;
    std::unique_ptr<Launcher> launcher;
    std::unique_ptr<Clock> clock;
    std::unique_ptr<Random> random;
    std::unique_ptr<Dialogs> dialogs;
};

// The services in use, the native ones unless replaced.
Services &services();

// Native implementations, for the program and for tests that want the real thing.
std::unique_ptr<Sound> nativeSound();
std::unique_ptr<Taskbar> nativeTaskbar();
std::unique_ptr<Browser> nativeBrowser();
std::unique_ptr<Launcher> nativeLauncher();
std::unique_ptr<Clock> nativeClock();
std::unique_ptr<Random> nativeRandom();
std::unique_ptr<Dialogs> nativeDialogs();

// Ends the process once the application object is gone, without the libraries' own teardown:
// Qt Multimedia 6.4 frees its PulseAudio connection at unload while its PulseAudio thread may
// still be dispatching, which now and then crashes the program on its way out. Everything of
// ours is saved and closed by then; open output streams are flushed.
[[noreturn]] void endProcess(int status);

// The browser command as stored in the registry's default value for web addresses, reduced to
// the program: a quoted path loses its quotes and what follows; an unquoted one is cut before
// its first double quote.
QString stripQuotes(QString command);

} // namespace platform
