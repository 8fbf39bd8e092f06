// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "form_gagner_instruments.h"

#include "app/forms/accessibility.h"
#include "app/forms/screens.h"
#include "app/platform/platform.h"
#include "resources/resources.h"
#include "screens/game/form_instruments.h"
#include "screens/game/rules.h"
#include "screens/menu/form_choix_instruments.h"
#include "store/player.h"

#include <QRegularExpression>

namespace results {

namespace {
bool isClockText(const QString &text)
{
    static const QRegularExpression clock(QStringLiteral("^\\d{2}:\\d{2}:\\d{2}$"));
    return clock.match(text).hasMatch();
}

const forms::LabelLook scoreLook(Qt::Alignment align)
{
    return {.fore = brown, .align = align, .wrap = false, .font = {.family = "MS Sans Serif", .points = 13.5}};
}
} // namespace

QString minutesOf(const QString &elapsed)
{
    return isClockText(elapsed) ? elapsed.mid(3, 2) : elapsed;
}

QString secondsOf(const QString &elapsed)
{
    return isClockText(elapsed) ? elapsed.right(2) : elapsed;
}

} // namespace results

using namespace results;

Form_gagner_instruments::Form_gagner_instruments()
    : ResultScreen(QStringLiteral("Form_gagner_instruments"), 5213, UnloadOrder::SelfFirst)
    , Label5(this, QStringLiteral("Label5"), QString(), {4080, 3240, 3855, 2535}, panelLook)
    , Label3(this, QStringLiteral("Label3"), QStringLiteral("Tu as réussi le premier niveau en"),
             {4200, 3480, 3615, 855}, messageLook)
    , Label_score0(this, QStringLiteral("Label_score(0)"), QStringLiteral("0000000"), {5160, 4200, 300, 495},
                   scoreLook(Qt::AlignHCenter))
    , Label_cacher1(this, QStringLiteral("Label_cacher(1)"), QStringLiteral("min"), {5520, 4200, 615, 495},
                    scoreLook(Qt::AlignHCenter))
    , Label_score1(this, QStringLiteral("Label_score(1)"), QStringLiteral("0000000"), {6120, 4200, 300, 495},
                   scoreLook(Qt::AlignRight))
    , Label_cacher2(this, QStringLiteral("Label_cacher(2)"), QStringLiteral("s"), {6480, 4200, 735, 495},
                    scoreLook(Qt::AlignLeft))
    , Label2(this, QStringLiteral("Label2"), QStringLiteral("Veux-tu recommencer?"), {4320, 4680, 3375, 495},
             messageLook)
{
    setWindowTitle(QStringLiteral("Calivento – gagné"));
    setBackColor(QColor(255, 255, 255));
    Label_score0.setDisplayText(minutesOf);
    Label_score1.setDisplayText(secondsOf);
    // The time is read once, in words; the other boxes only show parts of it.
    forms::a11y::setSpoken(Label_score0, game::spokenTime);
    for (forms::Control *part : {&Label_cacher1, &Label_score1, &Label_cacher2})
        forms::a11y::leaveOut(*part);
    Label5.lower();
}

void Form_gagner_instruments::Form_Load()
{
    centreOnDesktop();
    setPicture(resources::picture(QStringLiteral("Fond"), 1));
    Form_instruments &game = forms::get<Form_instruments>();
    Label_score0.setCaption(game.Text_temps.Caption());
    Label_score1.setCaption(game.Text_temps.Caption());
    freezeGame(game);

    const bool effects = game.Command_son.Caption() == QStringLiteral("Sans &bruitages");
    if (effects)
        platform::services().sound->play(platform::SoundId::Win);
    if (const std::optional<game::GameId> played = game.visibleGame()) {
        Label3.setCaption(QString::fromUtf8(game::info(*played).winText));
        store::Player::current().recordWin(QLatin1String(game::info(*played).progressFile),
                                           game.visibleLevel().value_or(0));
    }
    forms::get<Form_choix_instruments>().Command_fichier.press();
    if (effects)
        platform::services().sound->play(platform::SoundId::Win);
    game.setEnabled(false);
}
