// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "form_help.h"

#include "app/forms/keys.h"
#include "app/forms/screens.h"
#include "app/platform/platform.h"
#include "guide.h"
#include "resources/resources.h"
#include "screens/game/form_instruments.h"
#include "screens/menu/form_choix_instruments.h"

#include <QCoreApplication>

namespace {

const QColor darkRed(64, 0, 0);
const forms::LabelLook paragraph{.font = {.points = 12}};
const forms::LabelLook command{.fore = darkRed, .align = Qt::AlignHCenter, .font = {.points = 12, .bold = true}};

} // namespace

Form_help::Form_help()
    : Form(QStringLiteral("Form_help"), 12000, 9000)
    , Label1(this, QStringLiteral("Label1"), QStringLiteral("Les instruments de musique"), {3653, 600, 4695, 1215},
             {.fore = darkRed, .align = Qt::AlignHCenter, .font = {.points = 18, .bold = true, .underline = true}})
    , Label3(this, QStringLiteral("Label3"), QString(), {1680, 2400, 8655, 4215},
             {.back = QColor(255, 224, 192), .border = true})
    , Label4(this, QStringLiteral("Label4"),
             QStringLiteral("Des noms d'instruments apparaissent à gauche de l'écran. Les images des instruments sont "
                            "affichées du côté droit. Le but est de les réunir en déplaçant le nom d'un instrument "
                            "sur son image."),
             {1800, 2640, 8415, 855}, paragraph)
    , Label5(this, QStringLiteral("Label5"),
             QStringLiteral("Si le nom correspond à l'image, un son se fait entendre pendant que Calivento les fait "
                            "disparaître. Aucun son n'est entendu si le nom ne correspond pas à l'image."),
             {1800, 3600, 8415, 615}, paragraph)
    , Label6(this, QStringLiteral("Label6"),
             QStringLiteral("Le compteur de Calivento varie suivant le jeu et le niveau  (plus le niveau est facile, "
                            "plus le nombre de points est élevé au commencement du jeu)."),
             {1800, 4320, 8415, 615}, paragraph)
    , Label7(this, QStringLiteral("Label7"),
             QStringLiteral("A chaque battement de Calivento, le compteur perd 1 point. Si un nom est posé sur une "
                            "image qui ne lui correspond pas, le compteur perd 20 points. Les jeux sont réussis si "
                            "les noms et les images ont été réunis avant que le compteur ne soit à 0."),
             {1800, 5040, 8415, 855}, paragraph)
    , Label8(this, QStringLiteral("Label8"),
             QStringLiteral("Le chronomètre permet de connaître le temps mis pour réussir le jeu."),
             {1800, 6000, 8415, 375}, paragraph)
    , Label_version(
          this, QStringLiteral("Label_version"),
          QStringLiteral("Calivento version %1 - © 2026 Les Ateliers Calivento").arg(QStringLiteral(CALIVENTO_VERSION)),
          {1800, 7080, 8415, 375}, {.fore = darkRed, .align = Qt::AlignHCenter, .font = {.points = 10}})
    , Command_retour(this, QStringLiteral("Command_retour"), QStringLiteral("Retour"), {0, 8640, 975, 375}, command)
    , Label2(this, QStringLiteral("Label2"), QStringLiteral("Guide des parents et enseignants"),
             {7800, 8640, 4215, 375}, command)
    , instruments(this, QStringLiteral("instruments"), QStringLiteral("instruments"), {12600, 4440, 855, 375},
                  paragraph)
{
    setWindowTitle(QStringLiteral("Calivento – aide"));
    setPicture(resources::picture(QStringLiteral("Fond"), 1));
    instruments.setVisible(false);
    for (forms::Label *link : {&Command_retour, &Label2}) {
        link->setMouseIcon(forms::handCursor());
        link->setMousePointer(forms::Pointer::Custom);
    }
    connect(&Command_retour, &forms::Control::Click, this, &Form_help::Command_retour_Click);
    connect(&Label2, &forms::Control::Click, this, &Form_help::Label2_Click);
}

void Form_help::Form_Load()
{
    centreOnDesktop();
    m_browserCommand = platform::services().browser->command();
}

void Form_help::Form_KeyDown(int keyCode, int shift)
{
    if (keyCode == forms::vk::Escape || keyCode == forms::vk::Return || (keyCode == 'R' && shift & forms::altDown))
        Command_retour.activate();
}

void Form_help::Label2_Click()
{
    if (m_browserCommand.isEmpty()) {
        platform::services().dialogs->exclamation(
            this, QStringLiteral("Erreur!"),
            QStringLiteral("Le navigateur ne peut pas être trouvé. Veuillez le lancer depuis le menu Démarrer!"));
        return;
    }
    platform::services().launcher->start(m_browserCommand + QLatin1Char(' ') +
                                         help::guideUrl(QCoreApplication::applicationDirPath(), help::homepage()));
}

void Form_help::Command_retour_Click()
{
    Hide();
    if (!instruments.Visible() || !forms::isLoaded<Form_instruments>()) {
        instruments.setVisible(false);
        // Without a window manager nothing would hand the keys back to the menu beneath.
        if (forms::isLoaded<Form_choix_instruments>() && forms::get<Form_choix_instruments>().isVisible())
            forms::get<Form_choix_instruments>().activateWindow();
        return;
    }
    Form_instruments &game = forms::get<Form_instruments>();
    game.command_stop.press();
    game.Timer1.setEnabled(true);
    game.Show();
    instruments.setVisible(false);
}
