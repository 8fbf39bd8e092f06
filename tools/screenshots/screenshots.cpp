// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Renders the game's screens into PNG files for the documentation:
//   screenshots <output folder>
// Run it under a real X server (Xvfb) from an empty folder; it plays through the screens with a
// fixed random sequence so the pictures are the same every time.
#include "app/forms/screens.h"
#include "app/platform/platform.h"
#include "screens/game/form_instruments.h"
#include "screens/help/form_help.h"
#include "screens/listen/form_ecouter.h"
#include "screens/listen/rules.h"
#include "screens/loading/form_chargement.h"
#include "screens/menu/form_choix_instruments.h"
#include "screens/results/form_gagner_instruments.h"
#include "screens/results/form_perdu_instruments.h"
#include "store/progress.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>

namespace {

QString outputFolder;

void save(QWidget &screen, const QString &name)
{
    QCoreApplication::processEvents();
    const QString path = outputFolder + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!screen.grab().save(path))
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
}

// The same scatter every time.
class FixedRandom final : public platform::Random
{
public:
    void reseed() override {}
    float next() override
    {
        m_state = m_state * 1664525u + 1013904223u;
        return static_cast<float>(m_state >> 8) * (1.0f / 16777216.0f);
    }

private:
    std::uint32_t m_state = 20261206;
};

// Starts a game from the menu, finds a few instruments and lets the metronome beat a little.
Form_instruments &playSome(Form_choix_instruments &menu, game::GameId id, int found, int beats)
{
    menu.levelLabel(id, 1).Click();
    Form_instruments &screen = forms::get<Form_instruments>();
    screen.Timer1.setEnabled(false);
    screen.Timer2.setEnabled(false);
    const bool families = id == game::GameId::Familles;
    for (int row = 0; row < game::instrumentCount && found > 0; ++row) {
        if (!screen.picture(row).Visible())
            continue;
        forms::Label &answer =
            families ? screen.familyLabel(game::catalogue[static_cast<std::size_t>(row)].family) : screen.nameLabel(row);
        screen.picture_DragDrop(row, &answer);
        --found;
    }
    for (int i = 0; i < beats; ++i)
        screen.Timer1_Timer();
    screen.Text_temps.setCaption(QStringLiteral("00:00:%1").arg(beats / 2 + 10, 2, 10, QLatin1Char('0')));
    return screen;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: screenshots <output folder>\n");
        return 2;
    }
    outputFolder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(outputFolder);

    Form_chargement &loading = forms::get<Form_chargement>();
    loading.Timer1.setEnabled(false);  // hold the loading screen for its picture
    loading.Show();
    save(loading, QStringLiteral("loading"));
    loading.Unload();

    Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
    menu.Show();
    save(menu, QStringLiteral("menu"));

    Form_help &help = forms::get<Form_help>();
    help.Show();
    save(help, QStringLiteral("help"));
    help.Command_retour_Click();

    platform::services().random = std::make_unique<FixedRandom>();
    const struct {
        game::GameId id;
        const char *name;
        int found;
    } games[]{{game::GameId::Tous, "game-tous", 3},
              {game::GameId::Familles, "game-familles", 5},
              {game::GameId::Vents, "game-vents", 2},
              {game::GameId::Cordes, "game-cordes", 2},
              {game::GameId::Percussions, "game-percussions", 1}};
    for (const auto &g : games) {
        Form_instruments &screen = playSome(menu, g.id, g.found, 25);
        save(screen, QString::fromLatin1(g.name));
        screen.Command_retour_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    Form_instruments &won = playSome(menu, game::GameId::Percussions, 5, 60);
    won.Text_temps.setCaption(QStringLiteral("00:01:42"));
    Form_gagner_instruments &win = forms::get<Form_gagner_instruments>();
    win.Label_score0.setCaption(won.Text_temps.Caption());
    win.Label_score1.setCaption(won.Text_temps.Caption());
    save(win, QStringLiteral("win"));
    win.Quitter_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    playSome(menu, game::GameId::Cordes, 3, 10);
    Form_Perdu_instruments &lose = forms::get<Form_Perdu_instruments>();
    lose.Show();
    save(lose, QStringLiteral("lose"));
    lose.Quitter_Click();

    // The listening screen: a picture clicked in "Découvrir", then a question of "Devine" at
    // level 2 after one wrong answer.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    store::progress::Store().write(QLatin1String(listen::progressFile), 2);
    menu.Command_ecouter.Click();
    Form_ecouter &listening = forms::get<Form_ecouter>();
    listening.picture_Click(game::indexOfPicture("violon"));
    save(listening, QStringLiteral("listen-decouvrir"));
    listening.Label_niveau_Click(2);
    for (int row = 0; row < game::instrumentCount; ++row)
        if (listening.picture(row).Visible() && row != listening.answer()) {
            listening.picture_Click(row);
            break;
        }
    save(listening, QStringLiteral("listen-devine"));
    listening.Command_retour_Click();

    forms::Screens::instance().unloadAll();
    return 0;
}
