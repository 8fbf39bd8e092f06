// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "form_ecouter.h"

#include "app/forms/accessibility.h"
#include "app/forms/keys.h"
#include "app/forms/screens.h"
#include "app/forms/twips.h"
#include "app/platform/platform.h"
#include "keyboard.h"
#include "resources/resources.h"
#include "resources/sounds.h"
#include "rules.h"
#include "screens/game/orchestra.h"
#include "screens/game/rules.h"
#include "screens/menu/form_choix_instruments.h"
#include "store/player.h"
#include "setting.h"

#include <QEvent>
#include <QThreadPool>
#include <algorithm>

namespace {

const QColor darkRed(128, 0, 0);
const QColor ink(64, 0, 0);
const QColor peach(255, 224, 192);
const QColor chosen(255, 192, 128);
// The frames round a picture: the one just heard, the one found.
const QColor heard(128, 64, 0);
const QColor found(0, 144, 0);
// A frame's width round its picture, in twips.
constexpr int frameWidth = 60;

const forms::LabelLook titleLook{.fore = darkRed,
                                 .align = Qt::AlignHCenter,
                                 .font = {.points = 20.25, .bold = true, .italic = true, .underline = true}};
const forms::LabelLook tabLook{.back = peach,
                               .fore = QColor(128, 64, 64),
                               .border = true,
                               .align = Qt::AlignHCenter,
                               .font = {.points = 12, .bold = true}};
const forms::LabelLook headingLook{.back = QColor(128, 64, 0),
                                   .fore = peach,
                                   .border = true,
                                   .align = Qt::AlignHCenter,
                                   .font = {.points = 12, .bold = true}};
const forms::LabelLook boxLook{.back = peach, .border = true};
const forms::LabelLook cellLook{.back = peach};
const forms::LabelLook commandLook{.fore = ink, .align = Qt::AlignHCenter, .font = {.points = 12, .bold = true}};
const forms::LabelLook nameLook{.fore = ink, .wrap = false, .font = {.points = 12, .bold = true}};
const forms::LabelLook familyLook{.fore = ink, .align = Qt::AlignRight, .wrap = false, .font = {.points = 12}};
const forms::LabelLook sentenceLook{.fore = ink, .wrap = false, .font = {.points = 12}};
const forms::LabelLook checkLook{.back = QColor(255, 255, 255),
                                 .fore = ink,
                                 .border = true,
                                 .align = Qt::AlignHCenter,
                                 .wrap = false,
                                 .font = {.points = 12, .bold = true}};
const forms::LabelLook settingLook{.fore = ink, .wrap = false, .font = {.points = 12, .bold = true}};

struct LabelDef {
    Form_ecouter::LabelId id;
    const char *name;
    const char *caption;
    QRect twips;
    const forms::LabelLook *look;
};

// Rectangles in twips on the 12000 x 9000 screen. The pictures take the frame, the panel lies
// under it, the commands along the bottom edge as on the game screen.
const std::array<LabelDef, Form_ecouter::labelCount> labelDefs{{
    {Form_ecouter::Label_titre, "Label_titre", "Écoute l'orchestre", {2400, 120, 7200, 735}, &titleLook},
    {Form_ecouter::Command_decouvrir, "Command_decouvrir", "Découvrir", {600, 960, 1935, 375}, &tabLook},
    {Form_ecouter::Command_devine, "Command_devine", "Devine", {2640, 960, 1935, 375}, &tabLook},
    {Form_ecouter::Label_niveau1, "Label_niveau1", "Niveau 1", {5160, 960, 1215, 375}, &tabLook},
    {Form_ecouter::Label_niveau2, "Label_niveau2", "Niveau 2", {6480, 960, 1215, 375}, &tabLook},
    {Form_ecouter::Label_niveau3, "Label_niveau3", "Niveau 3", {7800, 960, 1215, 375}, &tabLook},
    {Form_ecouter::Command_reecouter, "Command_reecouter", "Réécouter", {9480, 960, 1920, 375}, &tabLook},
    {Form_ecouter::Label_cadre, "Label_cadre", "", {600, 1440, 10800, 6000}, &boxLook},
    {Form_ecouter::Label_panneau, "Label_panneau", "", {600, 7560, 10800, 855}, &boxLook},
    {Form_ecouter::Label_nom, "Label_nom", "", {720, 7635, 5160, 375}, &nameLook},
    {Form_ecouter::Label_famille, "Label_famille", "", {6000, 7635, 5280, 375}, &familyLook},
    {Form_ecouter::Label_phrase, "Label_phrase", "", {720, 8010, 10560, 375}, &sentenceLook},
    {Form_ecouter::Command_retour, "Command_retour", "Retour", {180, 8520, 1575, 375}, &commandLook},
    {Form_ecouter::Command_suivant, "Command_suivant", "Suivant", {1800, 8520, 1695, 375}, &commandLook},
    {Form_ecouter::Command_rejouer, "Command_rejouer", "Rejouer", {1800, 8520, 1695, 375}, &commandLook},
    {Form_ecouter::Label_question, "Label_question", "", {3540, 8520, 2280, 375}, &commandLook},
    {Form_ecouter::Case_trouve, "Case_trouve", "", {5880, 8580, 270, 270}, &checkLook},
    {Form_ecouter::Command_trouve,
     "Command_trouve",
     "Entendre l'instrument trouvé dans les jeux",
     {6240, 8520, 5640, 375},
     &settingLook},
}};

// The pictures lie in the frame, a little inside its border.
constexpr QRect pictureArea(660, 1500, 10680, 5880);

constexpr std::array<Form_ecouter::LabelId, 3> levelLabels{Form_ecouter::Label_niveau1, Form_ecouter::Label_niveau2,
                                                           Form_ecouter::Label_niveau3};

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

QString caption(int row)
{
    return text(game::catalogue[static_cast<std::size_t>(row)].caption);
}

// A greyed-out picture: its shapes faded into the peach of its background, which stays as it is.
QPixmap greyedOut(const QPixmap &pixmap)
{
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_RGB32);
    const double backLight = qGray(peach.rgb());
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const double fade = 0.55 + 0.45 * std::min(1.0, qGray(line[x]) / backLight);
            line[x] = qRgb(int(peach.red() * fade), int(peach.green() * fade), int(peach.blue() * fade));
        }
    }
    QPixmap out = QPixmap::fromImage(image);
    out.setDevicePixelRatio(pixmap.devicePixelRatio());
    return out;
}

} // namespace

Form_ecouter::Form_ecouter()
    : Form(QStringLiteral("Form_ecouter"), 12000, 9000)
{
    setWindowTitle(QStringLiteral("Calivento – écoute"));
    setBackColor(forms::windowColor);
    for (const LabelDef &def : labelDefs)
        m_labels.emplace_back(this, text(def.name), text(def.caption), def.twips, *def.look);
    for (const game::SectionInfo &section : game::sections)
        m_captions.emplace_back(this, QStringLiteral("Label_") + text(section.caption).section(QLatin1Char(' '), 1),
                                text(section.caption), QRect(), headingLook);
    // The frames first: the pictures are drawn over them.
    for (const game::Instrument &instrument : game::catalogue)
        m_cells.emplace_back(this, QStringLiteral("Case_") + text(instrument.picture), QString(), QRect(), cellLook);
    for (int row = 0; row < game::instrumentCount; ++row) {
        const game::Instrument &instrument = game::catalogue[static_cast<std::size_t>(row)];
        forms::Image &image = m_pictures.emplace_back(this, text(instrument.picture), QRect(), QPixmap(), true);
        connect(&image, &forms::Control::Click, this, [this, row] { picture_Click(row); });
        image.installEventFilter(this);
        listen::clickWithKeys(image);
    }
    // The panel's texts lie over the panel, the frame under everything in it.
    label(Label_cadre).lower();
    for (LabelId id : {Label_nom, Label_famille, Label_phrase})
        label(id).raise();

    const std::array<std::pair<LabelId, void (Form_ecouter::*)()>, 7> handlers{{
        {Command_decouvrir, &Form_ecouter::Command_decouvrir_Click},
        {Command_devine, &Form_ecouter::Command_devine_Click},
        {Command_reecouter, &Form_ecouter::Command_reecouter_Click},
        {Command_suivant, &Form_ecouter::Command_suivant_Click},
        {Command_rejouer, &Form_ecouter::Command_rejouer_Click},
        {Command_retour, &Form_ecouter::Command_retour_Click},
        {Command_trouve, &Form_ecouter::Command_trouve_Click},
    }};
    for (const auto &[id, handler] : handlers)
        connect(&label(id), &forms::Control::Click, this, handler);
    connect(&label(Case_trouve), &forms::Control::Click, this, &Form_ecouter::Command_trouve_Click);
    for (int level = 1; level <= 3; ++level)
        connect(&label(levelLabels[static_cast<std::size_t>(level - 1)]), &forms::Control::Click, this,
                [this, level] { Label_niveau_Click(level); });

    for (LabelId id :
         {Command_decouvrir, Command_devine, Label_niveau1, Label_niveau2, Label_niveau3, Command_reecouter,
          Command_suivant, Command_rejouer, Command_retour, Case_trouve, Command_trouve}) {
        label(id).setMouseIcon(forms::handCursor());
        label(id).setMousePointer(forms::Pointer::Custom);
        listen::clickWithKeys(label(id));
    }
    for (forms::Image &image : m_pictures) {
        image.setMouseIcon(forms::handCursor());
        image.setMousePointer(forms::Pointer::Custom);
    }
    label(Label_niveau2).setEnabled(false);
    label(Label_niveau3).setEnabled(false);
}

void Form_ecouter::Form_Load()
{
    centreOnDesktop();
    setPicture(resources::picture(QStringLiteral("Fond"), 1));
    refreshLevels();
    label(Case_trouve).setCaption(store::Player::current().hearsFoundInstrument() ? QStringLiteral("X") : QString());
    showMode(Mode::Decouvrir);
}

// A phrase is decoded the first time it plays, which takes longer than a click should wait for
// its sound: the picture under the pointer, or with the focus, has its phrase decoded beforehand.
bool Form_ecouter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Enter || event->type() == QEvent::FocusIn)
        for (int row = 0; row < game::instrumentCount; ++row)
            if (watched == &picture(row) && m_mode == Mode::Decouvrir)
                prepareSound(row);
    return Form::eventFilter(watched, event);
}

void Form_ecouter::prepareSound(int row)
{
    bool &prepared = m_prepared[static_cast<std::size_t>(row)];
    if (prepared)
        return;
    prepared = true;
    const int id = static_cast<int>(platform::instrumentSound(row));
    QThreadPool::globalInstance()->start([id] { resources::sound(id); });
}

void Form_ecouter::Form_KeyDown(int keyCode, int)
{
    if (keyCode == forms::vk::Escape)
        Command_retour_Click();
}

int Form_ecouter::answer() const
{
    if (m_mode != Mode::Devine || m_round.over || m_round.questions.empty())
        return -1;
    return m_round.questions[static_cast<std::size_t>(m_round.current)];
}

void Form_ecouter::Command_decouvrir_Click()
{
    showMode(Mode::Decouvrir);
}

void Form_ecouter::Command_devine_Click()
{
    startRound(m_round.level);
}

void Form_ecouter::Label_niveau_Click(int level)
{
    startRound(level);
}

void Form_ecouter::Command_reecouter_Click()
{
    if (answer() >= 0)
        platform::services().sound->play(platform::instrumentSound(answer()));
}

void Form_ecouter::picture_Click(int row)
{
    if (m_mode == Mode::Decouvrir) {
        platform::services().sound->play(platform::instrumentSound(row));
        if (m_highlighted >= 0)
            cell(m_highlighted).setVisible(false);
        m_highlighted = row;
        cell(row).setBackColor(heard);
        cell(row).setVisible(true);
        showInstrument(row);
        return;
    }
    if (answer() < 0 || m_round.answered || greyed(row))
        return;
    if (row == answer()) {
        m_round.answered = true;
        if (!m_round.missed)
            ++m_round.rightFirstTry;
        cell(row).setBackColor(found);
        cell(row).setVisible(true);
        showInstrument(row);
        forms::a11y::announce(*this, game::spokenVerdict(caption(row), true));
        label(Command_suivant).setVisible(true);
    } else {
        m_round.missed = true;
        setGreyed(row, true);
        setPanel(QStringLiteral("Écoute encore"), QString(), QString());
        forms::a11y::announce(*this, QStringLiteral("Écoute encore"));
    }
}

void Form_ecouter::Command_suivant_Click()
{
    if (!m_round.answered || m_round.over)
        return;
    if (m_round.current + 1 < static_cast<int>(m_round.questions.size())) {
        ++m_round.current;
        askQuestion();
    } else {
        endRound();
    }
}

void Form_ecouter::Command_rejouer_Click()
{
    startRound(m_round.level);
}

void Form_ecouter::Command_retour_Click()
{
    Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
    menu.setEnabled(true);
    menu.Show();
    Unload();
}

void Form_ecouter::Command_trouve_Click()
{
    const bool on = !store::Player::current().hearsFoundInstrument();
    store::Player::current().setHearsFoundInstrument(on); // an unwritable folder keeps it for this run only
    label(Case_trouve).setCaption(on ? QStringLiteral("X") : QString());
}

void Form_ecouter::showMode(Mode mode)
{
    m_mode = mode;
    const bool devine = mode == Mode::Devine;
    for (LabelId id : {Label_niveau1, Label_niveau2, Label_niveau3, Command_reecouter, Label_question})
        label(id).setVisible(devine);
    label(Command_suivant).setVisible(false);
    label(Command_rejouer).setVisible(false);
    if (!devine) {
        const int level = m_round.level;
        m_round = Round();
        m_round.level = level;
        lay(listen::levelRows(3));
        setPanel(QString(), QString(), QStringLiteral("Clique sur un instrument pour l'écouter."));
    }
    markSelected();
}

void Form_ecouter::lay(const std::vector<int> &rows)
{
    for (int row = 0; row < game::instrumentCount; ++row) {
        picture(row).setVisible(false);
        cell(row).setVisible(false);
        m_greyed[static_cast<std::size_t>(row)] = false;
    }
    for (forms::Label &caption : m_captions)
        caption.setVisible(false);
    m_highlighted = -1;

    QWidget *previous = &label(Command_reecouter);
    const qreal ratio = devicePixelRatioF();
    for (const listen::SectionBand &band : listen::layoutByFamily(rows, pictureArea)) {
        forms::Label &caption = m_captions[static_cast<std::size_t>(band.section)];
        caption.move(band.caption);
        caption.setVisible(true);
        for (const listen::Cell &c : band.cells) {
            forms::Label &box = cell(c.row);
            box.move(c.picture.adjusted(-frameWidth, -frameWidth, frameWidth, frameWidth));
            forms::Image &image = picture(c.row);
            image.move(c.picture);
            const QRect pixels = forms::toPixels(c.picture);
            const game::Instrument &instrument = game::catalogue[static_cast<std::size_t>(c.row)];
            QPixmap &drawn = m_drawn[static_cast<std::size_t>(c.row)];
            if (drawn.deviceIndependentSize().toSize() != pixels.size())
                drawn = resources::design(text(instrument.file), pixels.size(), ratio);
            image.setPicture(drawn);
            image.setVisible(true);
            image.setAccessibleName(::caption(c.row));
            setTabOrder(previous, &image);
            previous = &image;
        }
    }
    for (LabelId id : {Command_suivant, Command_rejouer, Command_retour, Case_trouve, Command_trouve}) {
        setTabOrder(previous, &label(id));
        previous = &label(id);
    }
}

void Form_ecouter::startRound(int level)
{
    m_mode = Mode::Devine;
    const std::vector<int> rows = listen::levelRows(level);
    m_round = Round();
    m_round.level = level;
    m_round.questions = listen::drawQuestions(rows, listen::questionsPerRound, *platform::services().random);
    showMode(Mode::Devine);
    lay(rows);
    // While guessing, a picture's name would give the answer away.
    QList<forms::Image *> inPlay;
    for (int row : rows)
        inPlay.append(&picture(row));
    forms::a11y::numberPictures(inPlay);
    askQuestion();
}

void Form_ecouter::askQuestion()
{
    m_round.missed = false;
    m_round.answered = false;
    for (int row = 0; row < game::instrumentCount; ++row) {
        setGreyed(row, false);
        cell(row).setVisible(false);
    }
    label(Command_suivant).setVisible(false);
    label(Label_question)
        .setCaption(QStringLiteral("Question %1 sur %2").arg(m_round.current + 1).arg(m_round.questions.size()));
    setPanel(QString(), QString(), QStringLiteral("Quel instrument joue ? Clique sur son image."));
    platform::services().sound->play(platform::instrumentSound(answer()));
    // The next question's phrase, while the child listens to this one.
    if (m_round.current + 1 < static_cast<int>(m_round.questions.size()))
        prepareSound(m_round.questions[static_cast<std::size_t>(m_round.current + 1)]);
}

void Form_ecouter::endRound()
{
    m_round.over = true;
    store::Player &player = store::Player::current();
    const QString file = QLatin1String(listen::progressFile);
    const int stored = player.openLevels(file).value_or(1);
    int after = listen::afterRound(stored, m_round.level, m_round.rightFirstTry);
    if (after != stored && !player.raiseLevels(file, after))
        after = stored; // not kept: no news of a level opened
    refreshLevels();

    label(Command_suivant).setVisible(false);
    label(Command_rejouer).setVisible(true);
    label(Label_question).setCaption(QString());
    QString news;
    if (after > stored)
        news = QStringLiteral("Bravo ! Le niveau %1 est ouvert.").arg(after);
    else if (m_round.rightFirstTry < listen::rightToOpen && m_round.level < 3 && stored <= m_round.level)
        news = QStringLiteral("Trouve %1 instruments du premier coup pour ouvrir le niveau suivant.")
                   .arg(listen::rightToOpen);
    setPanel(QStringLiteral("%1 sur %2").arg(m_round.rightFirstTry).arg(m_round.questions.size()), QString(), news);
}

void Form_ecouter::showInstrument(int row)
{
    const game::Voice &voice = game::voice(row);
    setPanel(caption(row), text(game::sectionInfo(voice.section).family), text(voice.howItSounds));
}

void Form_ecouter::setPanel(const QString &name, const QString &family, const QString &sentence)
{
    label(Label_nom).setCaption(name);
    label(Label_famille).setCaption(family);
    label(Label_phrase).setCaption(sentence);
}

void Form_ecouter::setGreyed(int row, bool greyed)
{
    const auto i = static_cast<std::size_t>(row);
    if (m_greyed[i] == greyed)
        return;
    m_greyed[i] = greyed;
    picture(row).setPicture(greyed ? greyedOut(m_drawn[i]) : m_drawn[i]);
}

void Form_ecouter::refreshLevels()
{
    const std::optional<int> open = store::Player::current().openLevels(QLatin1String(listen::progressFile));
    for (int level = 1; level <= open.value_or(1); ++level)
        label(levelLabels[static_cast<std::size_t>(level - 1)]).setEnabled(true);
}

void Form_ecouter::markSelected()
{
    const bool devine = m_mode == Mode::Devine;
    label(Command_decouvrir).setBackColor(devine ? peach : chosen);
    label(Command_devine).setBackColor(devine ? chosen : peach);
    for (int level = 1; level <= 3; ++level)
        label(levelLabels[static_cast<std::size_t>(level - 1)]).setBackColor(level == m_round.level ? chosen : peach);
}
