// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/forms/form.h"
#include "app/forms/image.h"
#include "app/forms/label.h"
#include "practice.h"

#include <array>
#include <deque>
#include <vector>

// "Écoute l'orchestre": every instrument's own sound. In "Découvrir" a click on a picture plays
// it and says what it is; in "Devine" a phrase plays and the child finds its picture, ten
// questions a round, on three levels opened one after the other.
class Form_ecouter : public forms::Form
{
    Q_OBJECT
public:
    // The screen's labels, named as their controls.
    enum LabelId {
        Label_titre,
        Command_decouvrir,
        Command_devine,
        Label_niveau1,
        Label_niveau2,
        Label_niveau3,
        Command_reecouter,
        Label_cadre,
        Label_panneau,
        Label_nom,
        Label_famille,
        Label_phrase,
        Command_retour,
        Command_suivant,
        Command_rejouer,
        Label_question,
        Case_trouve,
        Command_trouve,
        labelCount
    };
    enum class Mode { Decouvrir, Devine };

    Form_ecouter();

    void Form_Load() override;
    void Form_KeyDown(int keyCode, int shift) override;

    forms::Label &label(LabelId id) { return m_labels[static_cast<std::size_t>(id)]; }
    forms::Image &picture(int row) { return m_pictures[static_cast<std::size_t>(row)]; }
    forms::Label &cell(int row) { return m_cells[static_cast<std::size_t>(row)]; }

    // Handlers.
    void Command_decouvrir_Click();
    void Command_devine_Click();
    void Label_niveau_Click(int level);
    void Command_reecouter_Click();
    void picture_Click(int row);
    void Command_suivant_Click();
    void Command_rejouer_Click();
    void Command_retour_Click();
    void Command_trouve_Click();

    Mode mode() const { return m_mode; }
    int level() const { return m_round.level; }
    // The instrument that the current question plays, or -1 outside a round.
    int answer() const;
    int rightFirstTry() const { return m_round.rightFirstTry; }
    bool greyed(int row) const { return m_greyed[static_cast<std::size_t>(row)]; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Round {
        int level = 1;
        std::vector<int> questions;
        int current = 0;
        int rightFirstTry = 0;
        bool missed = false;   // a wrong picture was clicked for this question
        bool answered = false; // this question's picture was found
        bool over = false;
    };

    void showMode(Mode mode);
    void lay(const std::vector<int> &rows);
    void startRound(int level);
    void askQuestion();
    void endRound();
    void showInstrument(int row);
    void setPanel(const QString &name, const QString &family, const QString &sentence);
    void setGreyed(int row, bool greyed);
    void refreshLevels();
    void markSelected();
    void prepareSound(int row);

    // A child's answers: kept, and the last rounds' first tries for the draw.
    void recordAnswer(int row);
    void leaveRound();
    listen::practice::History m_history;
    std::vector<listen::practice::Asked> m_firstTries;

    std::deque<forms::Label> m_labels;   // in LabelId order
    std::deque<forms::Label> m_captions; // in the order of game::sections
    std::deque<forms::Label> m_cells;    // catalogue order: the frames under the pictures
    std::deque<forms::Image> m_pictures; // catalogue order
    std::array<bool, 24> m_greyed{};
    std::array<bool, 24> m_prepared{};
    std::array<QPixmap, 24> m_drawn; // each picture as fitted to its cell
    Mode m_mode = Mode::Decouvrir;
    Round m_round;
    int m_highlighted = -1;
};
