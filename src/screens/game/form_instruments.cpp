#include "form_instruments.h"

// Placeholder until the game screen is built.
Form_instruments::Form_instruments()
    : Form(QStringLiteral("Form_instruments"), 12000, 9000)
    , Timer1(this, QStringLiteral("Timer1"), 1041)
    , Timer2(this, QStringLiteral("Timer2"), 1000)
    , Label_description(this, QStringLiteral("Label_description"), QStringLiteral("Les instruments de musique"), {930, 240, 1815, 495}, {})
    , Text_points(this, QStringLiteral("Text_points"), QStringLiteral("0"), {930, 825, 1815, 375}, {})
    , Text_0(this, QStringLiteral("Text_0"), QStringLiteral("0"), {915, 825, 1815, 375}, {})
    , Text_temps(this, QStringLiteral("Text_temps"), QStringLiteral("0"), {930, 1275, 1815, 375}, {})
    , Command_son(this, QStringLiteral("Command_son"), QStringLiteral("Sans &bruitages"), {1800, 8520, 1815, 375}, {})
    , Command_visible(this, QStringLiteral("Command_visible"), QStringLiteral("visible"), {12840, 9840, 1815, 735})
    , Command_compteur(this, QStringLiteral("Command_compteur"), QStringLiteral("Marche"), {13440, 9840, 1335, 495})
    , command_stop(this, QStringLiteral("command_stop"), QStringLiteral("help"), {13440, 9240, 1335, 495})
{
}
void Form_instruments::Form_Load() { centreOnDesktop(); }
forms::TriggerButton &Form_instruments::modeButton(game::GameId) { return Command_visible; }
forms::Label &Form_instruments::levelMarker(int) { return Text_0; }
std::optional<game::GameId> Form_instruments::visibleGame() const { return std::nullopt; }
std::optional<int> Form_instruments::visibleLevel() const { return std::nullopt; }
void Form_instruments::prepareRound(game::GameId, int) {}
