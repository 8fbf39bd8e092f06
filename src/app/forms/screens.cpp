// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "screens.h"

#include "timer.h"

#include <algorithm>

namespace forms {

Screens &Screens::instance()
{
    static Screens screens;
    return screens;
}

Form *Screens::find(std::type_index type) const
{
    auto it = std::find_if(m_loaded.begin(), m_loaded.end(), [&](const Entry &e) { return e.type == type; });
    return it == m_loaded.end() ? nullptr : it->form;
}

void Screens::unload(Form *form)
{
    auto owned = [&] {
        return std::find_if(m_loaded.begin(), m_loaded.end(), [&](const Entry &e) { return e.form == form; });
    };
    if (owned() == m_loaded.end())
        return;
    // Its timers stop at once: a tick due before the deferred deletion would act for a screen
    // already gone, and could even bring it back.
    for (Timer *timer : form->findChildren<Timer *>())
        timer->setEnabled(false);
    form->Form_Unload();
    // Form_Unload may itself have unloaded other screens; look the entry up again.
    if (auto it = owned(); it != m_loaded.end())
        m_loaded.erase(it);
    form->hide();
    form->deleteLater();
    if (m_loaded.empty())
        emit lastUnloaded();
}

void Screens::unloadAll()
{
    while (!m_loaded.empty())
        unload(m_loaded.back().form);
}

} // namespace forms
