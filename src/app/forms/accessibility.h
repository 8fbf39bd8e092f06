// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QString>
#include <functional>

class QAccessibleEvent;

// Lets screen readers and desktop automation see the game for what it is: each screen a window
// named by its window title, texts, buttons that can be pressed, pictures, the displays of the
// points and the time, and a status line that says how a drop went.
namespace forms {

class Control;
class Form;
class Image;
class Label;

void installAccessibility();

namespace a11y {

// A display whose caption is a value, read under a fixed name ("Points"). However fast the
// caption changes, its changes are told at most once a second.
void setDisplay(Label &label, const QString &name, int maximum);
// The words a caption is read as when it shows them otherwise ("00:01:42": "1 minute 42 secondes").
void setSpoken(Label &label, std::function<QString(const QString &)> words);
// Leaves a control out of what is read, when another control already says it.
void leaveOut(Control &control);
// Names the pictures "Image i sur n" in reading order, top to bottom and then left to right,
// so that no name gives the answer away.
void numberPictures(QList<Image *> pictures);
// Marks a picture that can be seen but no longer chosen (one already tried), or no more.
void setUnavailable(Control &control, bool unavailable);
// Makes a clickable control a check box, checked as `checked` says; checkedChanged() tells a
// change of it.
void setCheckBox(Control &control, std::function<bool()> checked);
void checkedChanged(Control &control);
// Says the text through the screen's status line, at once and without moving the focus.
void announce(Form &screen, const QString &text);

// Called by Label when its caption changes.
void captionChanged(Label &label);

// Every event this layer sends goes here as well: tests watch them without an accessibility bus.
void setObserver(std::function<void(QAccessibleEvent *)> observer);

} // namespace a11y
} // namespace forms
