// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/forms/form.h"
#include "app/forms/image.h"
#include "app/forms/label.h"
#include "roster.h"

#include <deque>

// "Qui joue ?": one tile per child of this computer's class, the child's instrument above the
// first name; a click, or the arrows and Enter, opens the menu as theirs. With several classes and
// none chosen for the computer, one tile per class comes first.
class Form_joueurs : public forms::Form
{
    Q_OBJECT
public:
    Form_joueurs();

    void Form_Load() override;
    void Form_KeyDown(int keyCode, int shift) override;
    QList<forms::Control *> keyboardOrder() override;

    // Who may play, as read from the store; the tiles follow.
    void setRoster(const joueurs::Roster &roster);

    void Case_joueur_Click(int tile);
    void Command_suivants_Click();
    void Command_precedents_Click();
    void Command25_Click();

    // The tiles of a page, in reading order: each a button named by the first name, with the
    // picture and the name drawn over it.
    forms::Label &tile(int index) { return m_tiles[static_cast<std::size_t>(index)]; }
    forms::Image &tilePicture(int index) { return m_pictures[static_cast<std::size_t>(index)]; }
    forms::Label &tileName(int index) { return m_names[static_cast<std::size_t>(index)]; }
    int page() const { return m_page; }
    joueurs::Offer offer() const { return m_offer; }

    forms::Label Label6;
    forms::Label Command_precedents;
    forms::Label Command_suivants;
    forms::Label Command25;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // A tile's content: a child, or a class to choose first.
    struct Entry {
        QString id;
        QString name;
        QString picture;
    };

    void showChildren(const QString &classId);
    void showClasses();
    void showPage(int page);
    void play(const store::Child &child);

    joueurs::Roster m_roster;
    joueurs::Offer m_offer = joueurs::Offer::Children;
    std::vector<Entry> m_entries;
    std::vector<store::Child> m_children; // in the order of m_entries when they are children
    int m_page = 0;
    bool m_fromClasses = false; // the children shown are those of a class tile: "Précédents" goes back
    std::deque<forms::Label> m_tiles;
    std::deque<forms::Image> m_pictures;
    std::deque<forms::Label> m_names;
};
