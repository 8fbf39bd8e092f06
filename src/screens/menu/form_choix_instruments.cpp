// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "form_choix_instruments.h"

#include "app/forms/keys.h"
#include "app/forms/screens.h"
#include "app/platform/platform.h"
#include "form_noire.h"
#include "resources/resources.h"
#include "screens/game/form_instruments.h"
#include "screens/help/form_help.h"
#include "screens/listen/form_ecouter.h"
#include "screens/results/form_gagner_instruments.h"
#include "store/player.h"

#include <QCloseEvent>

namespace {

const QColor darkRed(128, 0, 0);

const forms::LabelLook headingLook{.back = forms::headingColor,
                                   .fore = QColor(255, 224, 192),
                                   .border = true,
                                   .align = Qt::AlignHCenter,
                                   .wrap = true,
                                   .font = {.points = 12, .bold = true}};
const forms::LabelLook levelLook{.back = QColor(255, 224, 192),
                                 .fore = QColor(128, 64, 64),
                                 .border = true,
                                 .align = Qt::AlignHCenter,
                                 .wrap = true,
                                 .font = {.points = 12, .bold = true}};

// Columns of the five games, in the order of game::games.
constexpr std::array<int, 5> headingLefts{480, 2775, 5055, 7350, 9645};
constexpr std::array<int, 5> levelLefts{480, 2760, 5040, 7320, 9600};
constexpr std::array<int, 3> levelTops{3360, 3840, 4320};

std::size_t indexOf(game::GameId id)
{
    for (std::size_t i = 0; i < game::games.size(); ++i)
        if (game::games[i].id == id)
            return i;
    return 0;
}

} // namespace

Form_choix_instruments::Form_choix_instruments()
    : Form(QStringLiteral("Form_choix_instruments"), 12000, 9000)
    , Label6(this, QStringLiteral("Label6"), QStringLiteral("Les instruments de musique"), {1320, 480, 4815, 1095},
             {.fore = darkRed,
              .align = Qt::AlignHCenter,
              .font = {.points = 20.25, .bold = true, .italic = true, .underline = true}})
    , Command25(this, QStringLiteral("Command25"), QStringLiteral("Quitter"), {9960, 8520, 1935, 375},
                {.fore = darkRed, .align = Qt::AlignHCenter, .font = {.points = 12, .bold = true}})
    , Metronome_stop(this, QStringLiteral("Metronome_stop"), {360, 7560, 795, 1200},
                     resources::design(QStringLiteral("metronome_menu")), false)
    , Command_ecouter(this, QStringLiteral("Command_ecouter"), QStringLiteral("Écouter les instruments"),
                      {4200, 5400, 3600, 615}, headingLook)
    , Command_fichier(this, QStringLiteral("Command_fichier"), QString(), {3840, 9720, 855, 255})
    , Command_pasicon(this, QStringLiteral("Command_pasicon"), QStringLiteral("pas_icon"), {4920, 9720, 975, 255})
    , Command_icon(this, QStringLiteral("Command_icon"), QStringLiteral("icon"), {5880, 9720, 615, 255})
{
    setWindowTitle(QStringLiteral("Calivento – menu"));
    for (std::size_t g = 0; g < game::games.size(); ++g) {
        const game::GameInfo &info = game::games[g];
        m_headings.emplace_back(this, QString::fromUtf8(info.menuHeading), QString::fromUtf8(info.menuHeadingCaption),
                                QRect(headingLefts[g], 2640, 1890, 615), headingLook);
        for (int level = 1; level <= game::levelCount; ++level) {
            forms::Label &label = m_levels.emplace_back(
                this, QString::fromUtf8(info.menuLevelPrefix) + QString::number(level),
                QStringLiteral("Niveau %1").arg(level),
                QRect(levelLefts[g], levelTops[static_cast<std::size_t>(level - 1)], 1935, 375), levelLook);
            label.setEnabled(level == 1);
            label.setAccessibleName(
                QStringLiteral("%1, niveau %2").arg(QString::fromUtf8(info.menuHeadingCaption)).arg(level));
            label.setFocusPolicy(Qt::TabFocus);
            connect(&label, &forms::Control::Click, this, [this, id = info.id, level] { startGame(id, level); });
        }
    }

    Command25.setFocusPolicy(Qt::TabFocus);
    Command25.setMouseIcon(forms::handCursor());
    Command25.setMousePointer(forms::Pointer::Custom);
    Metronome_stop.setMouseIcon(forms::handCursor());
    Metronome_stop.setMousePointer(forms::Pointer::Custom);
    Metronome_stop.setToolTip(QStringLiteral("Aide de Calivento"));
    Metronome_stop.setAccessibleName(QStringLiteral("Calivento, aide"));
    Command_icon.setMouseIcon(forms::handCursor());
    Command_icon.setMousePointer(forms::Pointer::Custom);
    Command_ecouter.setMouseIcon(forms::handCursor());
    Command_ecouter.setMousePointer(forms::Pointer::Custom);
    Command_ecouter.setFocusPolicy(Qt::TabFocus);
    for (forms::TriggerButton *trigger : {&Command_fichier, &Command_pasicon, &Command_icon})
        trigger->setEnabled(false);

    connect(&Command_fichier, &forms::Control::Click, this, &Form_choix_instruments::Command_fichier_Click);
    connect(&Command_icon, &forms::Control::Click, this, &Form_choix_instruments::Command_icon_Click);
    connect(&Command_pasicon, &forms::Control::Click, this, &Form_choix_instruments::Command_pasicon_Click);
    connect(&Command25, &forms::Control::Click, this, &Form_choix_instruments::Command25_Click);
    connect(&Metronome_stop, &forms::Control::Click, this, &Form_choix_instruments::Metronome_stop_Click);
    connect(&Command_ecouter, &forms::Control::Click, this, &Form_choix_instruments::Command_ecouter_Click);
}

forms::Label &Form_choix_instruments::levelLabel(game::GameId id, int level)
{
    return m_levels[indexOf(id) * game::levelCount + static_cast<std::size_t>(level - 1)];
}

void Form_choix_instruments::Form_Load()
{
    centreOnDesktop();
    platform::services().taskbar->hide();
    setPicture(resources::picture(QStringLiteral("Fond"), 1));
    Command_icon.press();
    Command_fichier.press();
}

void Form_choix_instruments::Form_Unload()
{
    platform::services().taskbar->show();
    forms::unload<Form_noire>();
    forms::unload<Form_instruments>();
    forms::unload<Form_gagner_instruments>();
    forms::unload<Form_help>();
    forms::unload<Form_ecouter>();
}

void Form_choix_instruments::Form_KeyDown(int keyCode, int)
{
    if (keyCode == forms::vk::Escape) {
        Command25_Click();
    } else if (keyCode == forms::vk::F1) {
        Metronome_stop_Click();
    } else if (const auto color = backdrop::colorForKey(keyCode)) {
        Form_noire &backdrop = forms::get<Form_noire>();
        backdrop.setVisible(true);
        backdrop.setBackColor(QColor(*color));
        Show();
    } else if (keyCode == backdrop::hideKey) {
        forms::get<Form_noire>().setVisible(false);
    }
}

QList<forms::Control *> Form_choix_instruments::keyboardOrder()
{
    QList<forms::Control *> order;
    for (forms::Label &label : m_levels)
        order.append(&label);
    order.append(&Command_ecouter);
    order.append(&Command25);
    return order;
}

void Form_choix_instruments::Command_fichier_Click()
{
    for (const game::GameInfo &info : game::games) {
        const std::optional<int> open = store::Player::current().openLevels(QLatin1String(info.progressFile));
        if (!open)
            continue; // unreadable: that game's levels stay as they are
        for (int level = 1; level <= *open; ++level)
            levelLabel(info.id, level).setEnabled(true);
    }
}

void Form_choix_instruments::Command_icon_Click()
{
    for (forms::Label &label : m_levels)
        label.setMouseIcon(Command_icon.mouseIcon());
    for (forms::Label &label : m_levels)
        label.setMousePointer(Command_icon.mousePointer());
}

void Form_choix_instruments::Command_pasicon_Click()
{
    for (forms::Label &label : m_levels)
        label.setMousePointer(forms::Pointer::Hourglass);
    for (forms::Label &label : m_levels)
        label.setMouseIcon(Command_pasicon.mouseIcon());
}

void Form_choix_instruments::Command25_Click()
{
    Unload();
}

void Form_choix_instruments::Metronome_stop_Click()
{
    forms::get<Form_help>().Show();
}

void Form_choix_instruments::Command_ecouter_Click()
{
    // Like a game, the listening screen leaves the menu disabled behind it until "Retour".
    setEnabled(false);
    forms::get<Form_ecouter>().Show();
}

void Form_choix_instruments::closeEvent(QCloseEvent *event)
{
    // Closing the window from the desktop is the same as "Quitter".
    event->ignore();
    Command25_Click();
}

void Form_choix_instruments::startGame(game::GameId id, int level)
{
    Command_pasicon.press();
    setEnabled(false);
    Form_instruments &screen = forms::get<Form_instruments>();
    screen.prepareRound(id, level);
    screen.Show();
    screen.levelMarker(level).setVisible(true);
}
