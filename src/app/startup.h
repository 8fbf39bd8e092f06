// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <optional>

// What happens before the application object exists: the command line, and the scale of the
// large mode, which Qt takes only at that point.
namespace startup {

struct Options {
    bool grandEcran = false; // every screen scaled to fill the monitor
    QString base;            // --base: the school's server, over the system-wide setting
    QString exportPoste;     // --exporter-poste FICHIER.calivento
    QString importFile;      // --importer FICHIER.calivento
    bool suivi = false;      // the adults' view instead of the game
    bool oublierCode = false; // forget the adults' view's access code, then exit
    QString exporter;        // every answer kept, to this CSV file
    QString ajouterEnfants;  // a list of first names to add
    QString classe;          // the class they go into
};

// The command line read: either options to run with, or a text to print and an exit status
// (0 after --help, 2 after a mistake).
struct Parsed {
    Options options;
    std::optional<int> exitStatus;
    QString message;
};

// The program's arguments as Qt would see them, program name first.
QStringList arguments(int argc, char *argv[]);
Parsed parse(const QStringList &arguments);
// Prints the help or the error of a finished parse; returns its exit status.
int report(const Parsed &parsed);

// The factor to give Qt (QT_SCALE_FACTOR) so that the 800 x 600 screens fill the largest 4:3
// area of the screen in physical pixels, and never more. The screen is measured as Qt sees it
// with `current` in force (the factor already set, 1 when none): its size in device-independent
// pixels and its device pixel ratio, which holds the desktop's own scaling (200 %) as well.
// An unknown size keeps the current factor.
double largeScale(QSizeF desktop, double ratio = 1, double current = 1);

// Settles Qt's scale factor for the large mode before the application is built, from the size
// of the primary screen; restore() puts the environment back once the application exists, so
// that programs started from the game are not scaled.
class ScaleFactor
{
public:
    ScaleFactor(const Options &options, int argc, char *argv[]);
    void restore();

private:
    bool m_set = false;
    std::optional<QByteArray> m_previous;
};

} // namespace startup
