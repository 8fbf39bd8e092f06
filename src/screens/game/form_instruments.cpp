// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "form_instruments.h"

#include "app/forms/accessibility.h"
#include "app/forms/keys.h"
#include "app/forms/screens.h"
#include "app/platform/platform.h"
#include "resources/resources.h"
#include "resources/sounds.h"
#include "rules.h"
#include "screens/help/form_help.h"
#include "screens/listen/setting.h"
#include "screens/menu/form_choix_instruments.h"
#include "screens/results/form_gagner_instruments.h"
#include "screens/results/form_perdu_instruments.h"
#include "store/player.h"

#include <QHash>

using game::GameId;

namespace {

const QColor ink(64, 0, 0);
const QColor peach(255, 224, 192);

const QString effectsOn = QStringLiteral("Sans &bruitages");
const QString effectsOff = QStringLiteral("Avec &bruitages");
const QString clockStopped = QStringLiteral("Marche");
const QString clockRunning = QStringLiteral("Arrêt");

const forms::LabelLook playAreaLook{.back = peach, .border = true};
const forms::LabelLook titleLook{.fore = ink, .align = Qt::AlignHCenter, .font = {.family = "Arial", .points = 9}};
const forms::LabelLook displayLook{
    .fore = ink, .align = Qt::AlignHCenter, .font = {.family = "MS Sans Serif", .points = 12, .bold = true}};
const forms::LabelLook commandLook{.fore = ink, .align = Qt::AlignHCenter, .font = {.points = 12, .bold = true}};
const forms::LabelLook nameLook{
    .back = peach, .fore = ink, .border = true, .align = Qt::AlignHCenter, .font = {.points = 9.75}};

forms::LabelLook familyLook(const game::FamilyInfo &family)
{
    return {.back = QColor(forms::fromColorRef(family.colorRef)),
            .fore = forms::windowTextColor,
            .border = true,
            .align = Qt::AlignHCenter,
            .font = {.points = 9.75}};
}

constexpr int nameLabelWidth = 1695;
constexpr int nameLabelHeight = 375;
constexpr int familyLabelHeight = 495;
constexpr QSize metronomeSize(855, 1395);

// Pictures wait hidden to the right of the screen until a game places them.
QRect pictureAtCreation(int row, const game::Instrument &instrument)
{
    return {12120 + 40 * row, 120, instrument.width, instrument.height};
}

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

Form_instruments::Form_instruments()
    : Form(QStringLiteral("Form_instruments"), 12000, 9000)
    , Timer1(this, QStringLiteral("Timer1"), 1041)
    , Timer2(this, QStringLiteral("Timer2"), 1000)
    , Label3(this, QStringLiteral("Label3"), QString(),
             {game::playLeft, game::playTop, game::playWidth, game::playHeight}, playAreaLook)
    , Label_description(this, QStringLiteral("Label_description"), QStringLiteral("Les instruments de musique"),
                        {930, 240, 1815, 495}, titleLook)
    , Text_points(this, QStringLiteral("Text_points"), QStringLiteral("0"), {930, 825, 1815, 375}, displayLook)
    , Text_0(this, QStringLiteral("Text_0"), QStringLiteral("0"), {915, 825, 1815, 375}, displayLook)
    , Text_temps(this, QStringLiteral("Text_temps"), QStringLiteral("0"), {930, 1275, 1815, 375}, displayLook)
    , Command_retour(this, QStringLiteral("Command_retour"), QStringLiteral("Retour"), {180, 8520, 1575, 375},
                     commandLook)
    , Command_son(this, QStringLiteral("Command_son"), effectsOn, {1800, 8520, 1815, 375}, commandLook)
    , Command_recommencer(this, QStringLiteral("Command_recommencer"), QStringLiteral("Re&commencer"),
                          {3900, 8520, 1455, 375}, commandLook)
    , Command_aide(this, QStringLiteral("Command_aide"), QStringLiteral("&Aide"), {5640, 8520, 1455, 375}, commandLook)
    , Metronome_stop(this, QStringLiteral("Metronome_stop"), {{9480, 7650}, metronomeSize},
                     resources::design(QStringLiteral("metronome_droite")), false)
    , Metronome_gauche(this, QStringLiteral("Metronome_gauche"), {{13440, 7800}, metronomeSize},
                       resources::design(QStringLiteral("metronome_gauche")), false)
    , Metronome_droite(this, QStringLiteral("Metronome_droite"), {{12480, 7800}, metronomeSize},
                       resources::design(QStringLiteral("metronome_droite")), false)
    , Label_facile(this, QStringLiteral("Label_facile"), QStringLiteral("facile"), {11280, 10440, 735, 375}, {})
    , Label_moyen(this, QStringLiteral("Label_moyen"), QStringLiteral("moyen"), {12120, 10440, 735, 375}, {})
    , Label_difficile(this, QStringLiteral("Label_difficile"), QStringLiteral("difficile"), {12960, 10440, 735, 375},
                      {})
    , Command_tous(this, QStringLiteral("Command_tous"), QStringLiteral("Tous"), {11235, 9135, 1335, 495})
    , Command_famille(this, QStringLiteral("Command_famille"), QStringLiteral("famille"), {11160, 9720, 975, 495})
    , Command_Aerophones(this, QStringLiteral("Command_Aérophones"), QStringLiteral("Aérophones"),
                         {9720, 10320, 1335, 495})
    , Command_cordophones(this, QStringLiteral("Command_cordophones"), QStringLiteral("cordophones"),
                          {9720, 9720, 1335, 495})
    , Command_idiophones(this, QStringLiteral("Command_idiophones"), QStringLiteral("Idiophones"),
                         {9720, 9120, 1335, 495})
    , Command_visible(this, QStringLiteral("Command_visible"), QStringLiteral("visible"), {12840, 9840, 1815, 735})
    , Command_compteur(this, QStringLiteral("Command_compteur"), clockStopped, {13440, 9840, 1335, 495})
    , command_stop(this, QStringLiteral("command_stop"), QStringLiteral("help"), {13440, 9240, 1335, 495})
{
    setBackColor(forms::windowColor);
    setPicture(resources::picture(QStringLiteral("Fond"), 1));

    for (int row = 0; row < game::instrumentCount; ++row) {
        const game::Instrument &instrument = game::catalogue[static_cast<std::size_t>(row)];
        forms::Image &image =
            m_pictures.emplace_back(this, text(instrument.picture), pictureAtCreation(row, instrument),
                                    resources::design(text(instrument.file)), true);
        image.setVisible(false);
        connect(&image, &forms::Control::DragDrop, this,
                [this, row](forms::Control *source) { picture_DragDrop(row, source); });

        forms::Label &name = m_nameLabels.emplace_back(
            this, text(instrument.nameLabel), text(instrument.caption),
            QRect(instrument.labelLeft, instrument.labelTop, nameLabelWidth, nameLabelHeight), nameLook);
        name.setDragAutomatic(true);
        name.setFocusPolicy(Qt::TabFocus);
    }
    for (const game::FamilyInfo &family : game::families) {
        forms::Label &label = m_familyLabels.emplace_back(
            this, text(family.label), text(family.caption),
            QRect(family.left, family.top, nameLabelWidth, familyLabelHeight), familyLook(family));
        label.setDragAutomatic(true);
        label.setFocusPolicy(Qt::TabFocus);
    }

    Text_0.setVisible(false);
    // Screen readers: the displays by what they count, the metronome by its name. Text_0 only
    // doubles the points' "0" when a round is lost.
    forms::a11y::setDisplay(Text_points, QStringLiteral("Points"), game::startInterval(GameId::Tous, 1) - game::lostAt);
    forms::a11y::setDisplay(Text_temps, QStringLiteral("Chronomètre"), 24 * 3600 - 1);
    forms::a11y::leaveOut(Text_0);
    for (forms::Image *metronome : {&Metronome_stop, &Metronome_gauche, &Metronome_droite})
        metronome->setAccessibleName(QStringLiteral("Calivento"));
    for (forms::Label *command : {&Command_retour, &Command_son, &Command_recommencer, &Command_aide}) {
        command->setMouseIcon(forms::handCursor());
        command->setMousePointer(forms::Pointer::Custom);
    }
    for (forms::Label *marker : {&Label_facile, &Label_moyen, &Label_difficile})
        marker->setVisible(false);
    for (forms::TriggerButton *mode :
         {&Command_tous, &Command_famille, &Command_Aerophones, &Command_cordophones, &Command_idiophones}) {
        mode->setEnabled(false);
        mode->setVisible(false);
    }
    for (forms::TriggerButton *trigger : {&Command_visible, &Command_compteur, &command_stop})
        trigger->setEnabled(false);
    stack();

    connect(&Command_tous, &forms::Control::Click, this, &Form_instruments::Command_tous_Click);
    connect(&Command_famille, &forms::Control::Click, this, &Form_instruments::Command_famille_Click);
    connect(&Command_Aerophones, &forms::Control::Click, this, &Form_instruments::Command_Aerophones_Click);
    connect(&Command_cordophones, &forms::Control::Click, this, &Form_instruments::Command_cordophones_Click);
    connect(&Command_idiophones, &forms::Control::Click, this, &Form_instruments::Command_idiophones_Click);
    connect(&Timer1, &forms::Timer::tick, this, &Form_instruments::Timer1_Timer);
    connect(&Timer2, &forms::Timer::tick, this, &Form_instruments::Timer2_Timer);
    connect(&Command_compteur, &forms::Control::Click, this, &Form_instruments::Command_compteur_Click);
    connect(&command_stop, &forms::Control::Click, this, &Form_instruments::command_stop_Click);
    connect(&Command_visible, &forms::Control::Click, this, &Form_instruments::Command_visible_Click);
    connect(&Command_recommencer, &forms::Control::Click, this, &Form_instruments::Command_recommencer_Click);
    connect(&Command_son, &forms::Control::Click, this, &Form_instruments::Command_son_Click);
    connect(&Command_aide, &forms::Control::Click, this, &Form_instruments::Command_aide_Click);
    connect(&Command_retour, &forms::Control::Click, this, &Form_instruments::Command_retour_Click);
}

// One list gives both the drawing order and which picture a drop lands on.
void Form_instruments::stack()
{
    QHash<QString, QWidget *> byName;
    for (QWidget *child : findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        byName.insert(child->objectName(), child);
    QList<QWidget *> order;
    for (const char *name : game::stackingOrder)
        order.append(byName.value(text(name)));
    order.removeAll(nullptr);
    stackTopmostFirst(order);
}

void Form_instruments::Form_Load()
{
    centreOnDesktop();
    Command_compteur.press();
}

void Form_instruments::Form_KeyDown(int keyCode, int shift)
{
    if (!(shift & forms::altDown))
        return;
    switch (keyCode) {
    case 'B':
        Command_son.activate();
        break;
    case 'C':
        Command_recommencer.activate();
        break;
    case 'A':
        Command_aide.activate();
        break;
    case 'R':
        Command_retour.activate();
        break;
    default:
        break;
    }
}

QList<forms::Control *> Form_instruments::keyboardOrder()
{
    QList<forms::Control *> order;
    if (const std::optional<GameId> id = visibleGame())
        for (const game::LabelPlace &place : game::board(*id).places)
            if (auto *label = findChild<forms::Label *>(text(place.label), Qt::FindDirectChildrenOnly))
                order.append(label);
    return order;
}

forms::Image &Form_instruments::picture(int row)
{
    return m_pictures[static_cast<std::size_t>(row)];
}

forms::Label &Form_instruments::nameLabel(int row)
{
    return m_nameLabels[static_cast<std::size_t>(row)];
}

forms::Label &Form_instruments::familyLabel(game::Family family)
{
    for (std::size_t i = 0; i < game::families.size(); ++i)
        if (game::families[i].family == family)
            return m_familyLabels[i];
    return m_familyLabels.front();
}

forms::TriggerButton &Form_instruments::modeButton(GameId id)
{
    switch (id) {
    case GameId::Vents:
        return Command_Aerophones;
    case GameId::Cordes:
        return Command_cordophones;
    case GameId::Percussions:
        return Command_idiophones;
    case GameId::Familles:
        return Command_famille;
    case GameId::Tous:
        break;
    }
    return Command_tous;
}

forms::Label &Form_instruments::levelMarker(int level)
{
    switch (level) {
    case 2:
        return Label_moyen;
    case 3:
        return Label_difficile;
    default:
        return Label_facile;
    }
}

std::optional<GameId> Form_instruments::visibleGame() const
{
    const std::pair<const forms::TriggerButton *, GameId> order[] = {
        {&Command_idiophones, GameId::Percussions}, {&Command_cordophones, GameId::Cordes},
        {&Command_Aerophones, GameId::Vents},       {&Command_tous, GameId::Tous},
        {&Command_famille, GameId::Familles},
    };
    for (const auto &[button, id] : order)
        if (button->Visible())
            return id;
    return std::nullopt;
}

std::optional<int> Form_instruments::visibleLevel() const
{
    const forms::Label *markers[] = {&Label_facile, &Label_moyen, &Label_difficile};
    for (int level = 1; level <= game::levelCount; ++level)
        if (markers[level - 1]->Visible())
            return level;
    return std::nullopt;
}

void Form_instruments::prepareRound(GameId id, int level)
{
    forms::TriggerButton &button = modeButton(id);
    button.press();
    button.setVisible(true);
    Timer1.setInterval(game::startInterval(id, level));
    m_dropped.fill(false);
    store::Player::current().startRound(store::gameKey(QLatin1String(game::info(id).progressFile)), level);
    setWindowTitle(QStringLiteral("Calivento – %1, niveau %2").arg(text(game::info(id).title)).arg(level));
}

void Form_instruments::Command_tous_Click()
{
    setUpBoard(GameId::Tous);
}

void Form_instruments::Command_famille_Click()
{
    setUpBoard(GameId::Familles);
}

void Form_instruments::Command_Aerophones_Click()
{
    setUpBoard(GameId::Vents);
}

void Form_instruments::Command_cordophones_Click()
{
    setUpBoard(GameId::Cordes);
}

void Form_instruments::Command_idiophones_Click()
{
    setUpBoard(GameId::Percussions);
}

// Relies on a board where every name label is visible and every picture hidden: a new screen,
// or one just reset by Command_visible.
void Form_instruments::setUpBoard(GameId id)
{
    Label_description.setCaption(text(game::info(id).title));
    for (const game::LabelPlace &place : game::board(id).places)
        if (auto *label = findChild<forms::Label *>(text(place.label), Qt::FindDirectChildrenOnly))
            label->move(place.left, place.top);

    platform::Random &random = *platform::services().random;
    random.reseed();
    const std::vector<game::Placement> placed = game::scatter(id, random);
    for (const game::Placement &p : placed)
        picture(p.row).move(p.left, p.top);
    QList<forms::Image *> inPlay;
    for (const game::Placement &p : placed) {
        picture(p.row).setVisible(true);
        inPlay.append(&picture(p.row));
    }
    forms::a11y::numberPictures(inPlay);
    setMousePointer(forms::Pointer::Default);
    // The phrases that right drops will play, decoded while the child looks for the first one.
    if (store::Player::current().hearsFoundInstrument()) {
        std::vector<int> phrases;
        for (const game::Placement &p : placed)
            phrases.push_back(static_cast<int>(platform::instrumentSound(p.row)));
        resources::decodeAhead(phrases);
    }
}

void Form_instruments::picture_DragDrop(int row, forms::Control *source)
{
    const auto *dragged = qobject_cast<forms::Label *>(source);
    if (!dragged)
        return;
    const game::DropVerdict verdict = game::judgeDrop(dragged->Caption(), row);
    if (verdict.name)
        nameLabel(row).setVisible(false);
    if (verdict.right())
        picture(row).setVisible(false);
    else
        Timer1.setInterval(game::penalised(Timer1.Interval()));
    if (verdict.right() && Command_son.Caption() == effectsOn)
        platform::services().sound->play(listen::rightDropSound(row));
    forms::a11y::announce(*this, game::spokenVerdict(dragged->Caption(), verdict.right()));
    recordDrop(row, dragged->Caption(), verdict.right());

    // Pictures outside the game were never shown, so all 24 hidden means all found.
    for (const forms::Image &image : m_pictures)
        if (image.Visible())
            return;
    store::Player::current().endRound(QStringLiteral("gagné"), Text_points.Caption().toInt());
    forms::get<Form_gagner_instruments>().Show();
}

void Form_instruments::recordDrop(int row, const QString &dragged, bool right)
{
    // What was dropped: an instrument's drawing name, or a family ("famille:cordes").
    QString answer;
    for (const game::Instrument &instrument : game::catalogue)
        if (dragged == text(instrument.caption))
            answer = text(instrument.file);
    for (const game::FamilyInfo &family : game::families)
        if (dragged == text(family.caption))
            answer = family.family == game::Family::Cordes  ? QStringLiteral("famille:cordes")
                     : family.family == game::Family::Vents ? QStringLiteral("famille:vents")
                                                            : QStringLiteral("famille:percussions");
    const bool first = !m_dropped[static_cast<std::size_t>(row)];
    m_dropped[static_cast<std::size_t>(row)] = true;
    store::Player::current().answer(text(game::catalogue[static_cast<std::size_t>(row)].file), answer, right, first);
}

void Form_instruments::Timer1_Timer()
{
    const game::Beat next = game::beat(Timer1.Interval(), bascule_metronome);
    if (next.lost) {
        store::Player::current().endRound(QStringLiteral("perdu"), next.points.toInt());
        forms::get<Form_Perdu_instruments>().Show();
        Text_points.setCaption(next.points);
        return;
    }
    // Only hands over an already decoded picture: a beat may come every 41 ms.
    Metronome_stop.setPicture(next.rightPose ? Metronome_droite.Picture() : Metronome_gauche.Picture());
    bascule_metronome = next.bascule;
    Timer1.setInterval(next.interval);
    Text_points.setCaption(next.points);
}

void Form_instruments::Timer2_Timer()
{
    temps_ecoule = game::elapsedText(platform::services().clock->timeOfDay(), temps_depart);
    Text_temps.setCaption(temps_ecoule);
}

void Form_instruments::Command_compteur_Click()
{
    temps_depart = platform::services().clock->timeOfDay();
    Command_compteur.setCaption(clockRunning);
    Timer2.setEnabled(true);
}

// Pressed when help opens and again when it closes: the stopwatch goes on from what it showed,
// and the time spent in help is not counted. The display follows the new origin at once, so
// that a return within the same second reads a text that matches it.
void Form_instruments::command_stop_Click()
{
    temps_depart = game::rebased(Text_temps.Caption(), platform::services().clock->timeOfDay(), temps_depart);
    Timer2_Timer();
}

void Form_instruments::Command_visible_Click()
{
    for (forms::Label &name : m_nameLabels)
        name.setVisible(true);
    for (forms::Image &image : m_pictures)
        image.setVisible(false);
}

void Form_instruments::Command_recommencer_Click()
{
    setMousePointer(forms::Pointer::Hourglass);
    replayRound();
}

void Form_instruments::replayRound()
{
    platform::services().sound->stop();
    Command_visible.press();
    if (const std::optional<int> level = visibleLevel()) {
        if (const game::GameInfo *info = game::byTitle(Label_description.Caption()))
            prepareRound(info->id, *level);
        levelMarker(*level).setVisible(true);
    }
    Command_compteur.setCaption(clockStopped);
    Command_compteur.press();
}

void Form_instruments::Command_son_Click()
{
    if (Command_son.Caption() == effectsOff)
        Command_son.setCaption(effectsOn);
    else if (Command_son.Caption() == effectsOn)
        Command_son.setCaption(effectsOff);
}

void Form_instruments::Command_aide_Click()
{
    Form_help &help = forms::get<Form_help>();
    help.Show();
    help.instruments.setVisible(true);
    Timer1.setEnabled(false);
    command_stop.press();
}

void Form_instruments::Command_retour_Click()
{
    if (store::Player::current().inRound())
        store::Player::current().endRound(QStringLiteral("abandonné"), Text_points.Caption().toInt());
    platform::services().sound->stop();
    Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
    menu.Command_icon.press();
    menu.setEnabled(true);
    // The layer destroys the screen once this click is over.
    Unload();
    menu.Show();
}
