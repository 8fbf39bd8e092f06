// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "fakes.h"

#include "app/forms/screens.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace fakes {

Platform install()
{
    Platform p{new Sound, new Taskbar, new Browser, new Launcher, new Clock, new Random, new Dialogs};
    platform::Services &s = platform::services();
    s.sound.reset(p.sound);
    s.taskbar.reset(p.taskbar);
    s.browser.reset(p.browser);
    s.launcher.reset(p.launcher);
    s.clock.reset(p.clock);
    s.random.reset(p.random);
    s.dialogs.reset(p.dialogs);
    return p;
}

void unloadAllScreens()
{
    forms::Screens::instance().unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void enterEmptyFolder()
{
    static std::unique_ptr<QTemporaryDir> folder;
    folder = std::make_unique<QTemporaryDir>();
    QDir::setCurrent(folder->path());
}

QByteArray contentOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool put(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

void drag(QWidget &label, QPoint onForm)
{
    const QPoint to = label.mapFrom(label.window(), onForm);
    QTest::mousePress(&label, Qt::LeftButton, {}, label.rect().center());
    QTest::mouseMove(&label, to);
    QTest::mouseRelease(&label, Qt::LeftButton, {}, to);
}

QPoint exposedPoint(const QWidget &control)
{
    const QRect r = control.geometry();
    for (int y = r.top() + 1; y < r.bottom(); y += 3)
        for (int x = r.left() + 1; x < r.right(); x += 3)
            if (control.window()->childAt(x, y) == &control)
                return QPoint(x, y);
    return QPoint(-1000, -1000);
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QCoreApplication::processEvents(); // a screen just shown becomes the active one
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    QVERIFY(target);
    QTest::keyClick(target, key, modifiers);
}

void holdKey(QWidget &screen, int key, Qt::KeyboardModifiers modifiers)
{
    QWidget *to = screen.focusWidget() ? screen.focusWidget() : &screen;
    QKeyEvent repeat(QEvent::KeyPress, key, modifiers, QString(), true);
    QCoreApplication::sendEvent(to, &repeat);
    // As an X server repeats it: a release and a press at one time, neither flagged.
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    release.setTimestamp(1000);
    press.setTimestamp(1000);
    QCoreApplication::sendEvent(to, &release);
    QCoreApplication::sendEvent(to, &press);
}

} // namespace fakes
