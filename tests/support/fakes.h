// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/platform/platform.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QStringList>
#include <QTime>

// Stand-ins for the computer's services, installed by tests.
namespace fakes {

struct Sound : platform::Sound {
    QList<platform::SoundId> played;
    int stops = 0;
    void play(platform::SoundId id) override { played.append(id); }
    void stop() override { ++stops; }
};
struct Taskbar : platform::Taskbar {
    QStringList calls;
    void hide() override { calls << QStringLiteral("hide"); }
    void show() override { calls << QStringLiteral("show"); }
};
struct Browser : platform::Browser {
    QString answer;
    int lookups = 0;
    QString command() override
    {
        ++lookups;
        return answer;
    }
};
struct Launcher : platform::Launcher {
    QStringList started;
    void start(const QString &commandLine) override { started << commandLine; }
};
struct Clock : platform::Clock {
    QTime now{10, 0, 0};
    QTime timeOfDay() override { return now; }
};
// Plays back a fixed list of values, round and round.
struct Random : platform::Random {
    QList<float> values{0.5f};
    int next_ = 0;
    int reseeds = 0;
    void reseed() override { ++reseeds; }
    float next() override { return values[next_++ % values.size()]; }
};
struct Dialogs : platform::Dialogs {
    QStringList shown; // "title|text"
    void exclamation(QWidget *, const QString &title, const QString &text) override { shown << title + '|' + text; }
};

// Every service faked at once; pointers stay valid until the next install().
struct Platform {
    Sound *sound;
    Taskbar *taskbar;
    Browser *browser;
    Launcher *launcher;
    Clock *clock;
    Random *random;
    Dialogs *dialogs;
};
Platform install();

// Unloads every screen and lets their deferred deletion run.
void unloadAllScreens();

// Moves into a new, empty current folder, where the game keeps its progress files.
void enterEmptyFolder();

// A file's bytes, or "<unreadable>".
QByteArray contentOf(const QString &path);
// Writes a file, making its folder first; false when it cannot.
bool put(const QString &path, const QByteArray &content);

// Base of the tests that drive screens: each case starts with every service faked, in an empty
// folder, and ends with every screen unloaded.
class ScreenTest : public QObject
{
    Q_OBJECT
protected:
    Platform m_fake{};
private slots:
    void init()
    {
        m_fake = install();
        enterEmptyFolder();
    }
    void cleanup() { unloadAllScreens(); }
};

// Drags the label to a point of its screen; every event goes to the label, as a real drag's would.
void drag(QWidget &label, QPoint onForm);
// A point of its screen where the control is the topmost one, for a drop that must reach it.
QPoint exposedPoint(const QWidget &control);

// A key as the player presses it: to whatever has the focus in the active screen.
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {});

// Presses that a key held down repeats, flagged as such or not, sent to the screen's widget in
// focus (the screen itself when none has it).
void holdKey(QWidget &screen, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

} // namespace fakes
