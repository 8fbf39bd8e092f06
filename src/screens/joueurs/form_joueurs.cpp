// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "form_joueurs.h"

#include "app/forms/accessibility.h"
#include "app/forms/keys.h"
#include "app/forms/screens.h"
#include "app/forms/twips.h"
#include "app/platform/platform.h"
#include "resources/resources.h"
#include "screens/game/catalogue.h"
#include "screens/menu/form_choix_instruments.h"
#include "screens/menu/form_noire.h"
#include "store/player.h"
#include "store/sync.h"

#include <QCloseEvent>
#include <cmath>

namespace {

const QColor darkRed(128, 0, 0);

// The menu's title and commands, as the menu draws them.
const forms::LabelLook titleLook{.fore = darkRed,
                                 .align = Qt::AlignHCenter,
                                 .font = {.points = 20.25, .bold = true, .italic = true, .underline = true}};
const forms::LabelLook commandLook{.fore = darkRed, .align = Qt::AlignHCenter, .font = {.points = 12, .bold = true}};
// A tile is drawn like a level of the menu.
const forms::LabelLook tileLook{.back = QColor(255, 224, 192), .border = true};
const forms::LabelLook nameLook{
    .fore = QColor(128, 64, 64), .align = Qt::AlignHCenter, .wrap = false, .font = {.points = 12, .bold = true}};

// The tiles' grid in twips: six columns and five rows between the title and the commands.
constexpr int gridLeft = 480;
constexpr int gridTop = 1320;
constexpr int columnPitch = 1860;
constexpr int rowPitch = 1410;
constexpr int tileWidth = 1740;
constexpr int tileHeight = 1290;
constexpr int inset = 60;
constexpr int nameHeight = 375;

QRect tileRect(int index)
{
    return {gridLeft + (index % joueurs::columns) * columnPitch, gridTop + (index / joueurs::columns) * rowPitch,
            tileWidth, tileHeight};
}

QRect pictureBox(int index)
{
    const QRect t = tileRect(index);
    return {t.left() + inset, t.top() + inset, t.width() - 2 * inset, t.height() - 2 * inset - nameHeight};
}

QRect nameRect(int index)
{
    const QRect t = tileRect(index);
    return {t.left() + inset / 2, t.bottom() + 1 - inset / 2 - nameHeight, t.width() - inset, nameHeight};
}

// The instrument's drawing fitted into the box, in whole pixels and with its proportions.
QRect fitted(const QString &file, const QRect &box)
{
    const int row = game::indexOfFile(file.toStdString());
    // The violin when the name is unknown.
    const game::Instrument *instrument = &game::catalogue[static_cast<std::size_t>(row < 0 ? 4 : row)];
    const double scale = std::min(double(box.width() / forms::twipsPerPixel) / instrument->pixelWidth,
                                  double(box.height() / forms::twipsPerPixel) / instrument->pixelHeight);
    const int w = std::max(1, int(std::lround(instrument->pixelWidth * scale))) * forms::twipsPerPixel;
    const int h = std::max(1, int(std::lround(instrument->pixelHeight * scale))) * forms::twipsPerPixel;
    const auto snap = [](int twips) { return twips / forms::twipsPerPixel * forms::twipsPerPixel; };
    return {box.left() + snap((box.width() - w) / 2), box.top() + snap((box.height() - h) / 2), w, h};
}

QString knownPicture(const QString &file)
{
    return game::indexOfFile(file.toStdString()) < 0 ? QStringLiteral("violon") : file;
}

} // namespace

Form_joueurs::Form_joueurs()
    : Form(QStringLiteral("Form_joueurs"), 12000, 9000)
    , Label6(this, QStringLiteral("Label6"), QStringLiteral("Qui joue ?"), {3600, 360, 4800, 735}, titleLook)
    , Command_precedents(this, QStringLiteral("Command_precedents"), QStringLiteral("Précédents"),
                         {3600, 8520, 1935, 375}, commandLook)
    , Command_suivants(this, QStringLiteral("Command_suivants"), QStringLiteral("Suivants"), {6465, 8520, 1935, 375},
                       commandLook)
    , Command25(this, QStringLiteral("Command25"), QStringLiteral("Quitter"), {9960, 8520, 1935, 375}, commandLook)
{
    setWindowTitle(QStringLiteral("Calivento – qui joue ?"));
    for (int i = 0; i < joueurs::perPage; ++i) {
        const QString n = QString::number(i + 1);
        forms::Label &t =
            m_tiles.emplace_back(this, QStringLiteral("Case_joueur") + n, QString(), tileRect(i), tileLook);
        forms::Image &p = m_pictures.emplace_back(this, QStringLiteral("Image_joueur") + n, QRect(), QPixmap(), true);
        forms::Label &name =
            m_names.emplace_back(this, QStringLiteral("Nom_joueur") + n, QString(), nameRect(i), nameLook);
        t.setFocusPolicy(Qt::TabFocus);
        t.setMouseIcon(forms::handCursor());
        t.setMousePointer(forms::Pointer::Custom);
        connect(&t, &forms::Control::Click, this, [this, i] { Case_joueur_Click(i); });
        // The tile under them takes the clicks and says the name.
        for (forms::Control *over : std::initializer_list<forms::Control *>{&p, &name}) {
            over->setAttribute(Qt::WA_TransparentForMouseEvents);
            forms::a11y::leaveOut(*over);
            over->setVisible(false);
        }
        t.setVisible(false);
    }
    for (forms::Label *command : {&Command_precedents, &Command_suivants, &Command25}) {
        command->setFocusPolicy(Qt::TabFocus);
        command->setMouseIcon(forms::handCursor());
        command->setMousePointer(forms::Pointer::Custom);
    }
    Command_precedents.setVisible(false);
    Command_suivants.setVisible(false);
    connect(&Command_precedents, &forms::Control::Click, this, &Form_joueurs::Command_precedents_Click);
    connect(&Command_suivants, &forms::Control::Click, this, &Form_joueurs::Command_suivants_Click);
    connect(&Command25, &forms::Control::Click, this, &Form_joueurs::Command25_Click);
}

void Form_joueurs::Form_Load()
{
    centreOnDesktop();
    platform::services().taskbar->hide();
    setPicture(resources::picture(QStringLiteral("Fond"), 1));
    // With a school's server, the class kept on this computer is replaced when the server has
    // news: the tiles follow it.
    if (store::Sync *sync = store::Sync::current())
        connect(sync, &store::Sync::classChanged, this, [this] {
            if (isVisible())
                joueurs::fetchRoster(this, [this](const joueurs::Roster &roster) { setRoster(roster); });
        });
}

void Form_joueurs::setRoster(const joueurs::Roster &roster)
{
    m_roster = roster;
    m_fromClasses = false;
    if (roster.children.empty()) {
        // The last child was removed meanwhile: the game is as at home.
        forms::get<Form_choix_instruments>().Show();
        Unload();
        return;
    }
    if (joueurs::offerOf(roster) == joueurs::Offer::Classes)
        showClasses();
    else if (!roster.classShown.isEmpty() && !joueurs::childrenOf(roster, roster.classShown).empty())
        showChildren(roster.classShown);
    else
        showChildren(QString());
}

void Form_joueurs::showChildren(const QString &classId)
{
    m_offer = joueurs::Offer::Children;
    m_children = joueurs::childrenOf(m_roster, classId);
    m_entries.clear();
    for (const store::Child &child : m_children)
        m_entries.push_back({child.id, child.firstName, knownPicture(child.picture)});
    showPage(0);
}

void Form_joueurs::showClasses()
{
    m_offer = joueurs::Offer::Classes;
    m_children.clear();
    m_entries.clear();
    // A class shows the picture of its first child.
    for (const store::ClassRow &c : joueurs::classesWithChildren(m_roster))
        m_entries.push_back({c.id, c.name, knownPicture(joueurs::childrenOf(m_roster, c.id).front().picture)});
    showPage(0);
}

void Form_joueurs::showPage(int page)
{
    const int pages = joueurs::pageCount(static_cast<int>(m_entries.size()));
    m_page = std::clamp(page, 0, pages - 1);
    const qreal ratio = devicePixelRatioF();
    for (int i = 0; i < joueurs::perPage; ++i) {
        const auto index = static_cast<std::size_t>(m_page * joueurs::perPage + i);
        const bool shown = index < m_entries.size();
        if (shown) {
            const Entry &entry = m_entries[index];
            const QRect at = fitted(entry.picture, pictureBox(i));
            tilePicture(i).move(at);
            tilePicture(i).setPicture(resources::design(entry.picture, forms::toPixels(at).size(), ratio));
            tileName(i).setCaption(entry.name);
            tile(i).setAccessibleName(entry.name);
        }
        tile(i).setVisible(shown);
        tilePicture(i).setVisible(shown);
        tileName(i).setVisible(shown);
    }
    Command_precedents.setVisible(m_page > 0 || m_fromClasses);
    Command_suivants.setVisible(m_page + 1 < pages);
}

void Form_joueurs::Form_KeyDown(int keyCode, int shift)
{
    if (keyCode == forms::vk::Escape) {
        Command25_Click();
        return;
    }
    // A letter goes to the next name starting with it, on whichever page it lies.
    if (keyCode < 'A' || keyCode > 'Z' || (shift & ~1) != 0)
        return;
    std::vector<QString> names;
    for (const Entry &entry : m_entries)
        names.push_back(entry.name);
    int from = -1;
    for (int i = 0; i < joueurs::perPage; ++i)
        if (tile(i).hasFocus())
            from = m_page * joueurs::perPage + i;
    const int to = joueurs::nextStartingWith(names, from, QChar(keyCode));
    if (to < 0)
        return;
    if (to / joueurs::perPage != m_page)
        showPage(to / joueurs::perPage);
    tile(to % joueurs::perPage).setFocus(Qt::OtherFocusReason);
}

QList<forms::Control *> Form_joueurs::keyboardOrder()
{
    QList<forms::Control *> order;
    for (forms::Label &t : m_tiles)
        order.append(&t);
    order.append(&Command_precedents);
    order.append(&Command_suivants);
    order.append(&Command25);
    return order;
}

void Form_joueurs::Case_joueur_Click(int tile)
{
    const auto index = static_cast<std::size_t>(m_page * joueurs::perPage + tile);
    if (index >= m_entries.size())
        return;
    if (m_offer == joueurs::Offer::Classes) {
        showChildren(m_entries[index].id);
        m_fromClasses = true;
        Command_precedents.setVisible(true);
        this->tile(0).setFocus(Qt::OtherFocusReason);
    } else {
        play(m_children[index]);
    }
}

void Form_joueurs::Command_suivants_Click()
{
    showPage(m_page + 1);
    if (focusWidget() == nullptr || !focusWidget()->isVisible())
        tile(0).setFocus(Qt::OtherFocusReason);
}

void Form_joueurs::Command_precedents_Click()
{
    if (m_page == 0 && m_fromClasses) {
        m_fromClasses = false;
        showClasses();
        tile(0).setFocus(Qt::OtherFocusReason);
        return;
    }
    showPage(m_page - 1);
    if (focusWidget() == nullptr || !focusWidget()->isVisible())
        tile(0).setFocus(Qt::OtherFocusReason);
}

void Form_joueurs::Command25_Click()
{
    platform::services().taskbar->show();
    forms::unload<Form_noire>();
    Unload();
}

void Form_joueurs::closeEvent(QCloseEvent *event)
{
    // Closing the window from the desktop is the same as "Quitter".
    event->ignore();
    Command25_Click();
}

void Form_joueurs::play(const store::Child &child)
{
    store::Player::current().play(child);
    forms::get<Form_choix_instruments>().Show();
    Unload();
}
