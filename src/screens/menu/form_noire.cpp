// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "form_noire.h"

#include "app/forms/keys.h"
#include "app/forms/screens.h"
#include "form_choix_instruments.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include "app/forms/look.h"

#include <QGuiApplication>
#include <QScreen>

Form_noire::Form_noire()
    : Form(QStringLiteral("Form_noire"), 11475, 7785)
{
    setWindowTitle(QStringLiteral("Calivento – fond"));
    setBackColor(QColor(0, 0, 0));
    setFocusPolicy(Qt::NoFocus);
    // A click on the backdrop must not take the keyboard from the menu.
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
}

void Form_noire::Form_Load()
{
    coverDesktop();
}

void Form_noire::coverDesktop()
{
    // Nothing maximises a window when no window manager runs: size it to the screen ourselves.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(screen->geometry());
    // Under a window manager, full screen also lifts it over the desktop's panels.
    setWindowState(Qt::WindowFullScreen);
}

void Form_noire::mousePressEvent(QMouseEvent *)
{
    // A window manager raises what is clicked: the backdrop goes straight back behind the screens.
    lower();
}

void Form_noire::keyPressEvent(QKeyEvent *event)
{
    // Should the backdrop ever hold the keyboard, the keys still reach the menu.
    if (forms::isLoaded<Form_choix_instruments>()) {
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        if (menu.isEnabled() && menu.isVisible()) {
            QCoreApplication::sendEvent(&menu, event);
            return;
        }
    }
    Form::keyPressEvent(event);
}

namespace backdrop {

std::optional<QRgb> colorForKey(int keyCode)
{
    const int index = keyCode - (forms::vk::F1 + 1);
    if (index < 0 || index >= static_cast<int>(colorRefs.size()))
        return std::nullopt;
    return forms::fromColorRef(colorRefs[static_cast<std::size_t>(index)]);
}

} // namespace backdrop
