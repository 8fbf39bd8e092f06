// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "form.h"

#include <QObject>
#include <typeindex>
#include <vector>

namespace forms {

// The one instance of each screen class. A screen is created, and its Form_Load run, the first
// time it is referred to; Unload discards it, and the next reference builds a fresh one.
class Screens : public QObject
{
    Q_OBJECT
public:
    static Screens &instance();

    template <class F>
    F &get()
    {
        if (Form *form = find(typeid(F)))
            return static_cast<F &>(*form);
        auto *form = new F;
        m_loaded.push_back({typeid(F), form});
        form->Form_Load();
        return *form;
    }

    template <class F>
    bool isLoaded() const
    {
        return find(typeid(F)) != nullptr;
    }

    template <class F>
    void unload()
    {
        if (Form *form = find(typeid(F)))
            unload(form);
    }

    // Runs the screen's Form_Unload, hides it and destroys it once the current event is over,
    // so that a screen may unload itself from inside its own handler.
    void unload(Form *form);
    void unloadAll();
    int loadedCount() const { return static_cast<int>(m_loaded.size()); }

signals:
    // The program ends here: no screen is loaded any more.
    void lastUnloaded();

private:
    Form *find(std::type_index type) const;

    struct Entry {
        std::type_index type;
        Form *form;
    };
    std::vector<Entry> m_loaded;
};

template <class F>
F &get()
{
    return Screens::instance().get<F>();
}

template <class F>
bool isLoaded()
{
    return Screens::instance().isLoaded<F>();
}

template <class F>
void unload()
{
    Screens::instance().unload<F>();
}

} // namespace forms
