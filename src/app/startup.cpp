// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "startup.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QRegularExpression>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace startup {

namespace {

constexpr double screenWidth = 800;
constexpr double screenHeight = 600;
const char scaleVariable[] = "QT_SCALE_FACTOR";

// Qt's own options, taken out of the command line by the application object; they are known
// here so that they are not refused, and kept out of the help.
constexpr const char *qtOptionsWithValue[] = {"platform",      "platformpluginpath",
                                              "platformtheme", "plugin",
                                              "qmljsdebugger", "qwindowgeometry",
                                              "qwindowicon",   "qwindowtitle",
                                              "session",       "display",
                                              "geometry",      "title",
                                              "name",          "style",
                                              "stylesheet"};
constexpr const char *qtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

QCommandLineOption hidden(const char *name, bool takesValue)
{
    QCommandLineOption option(QString::fromLatin1(name));
    if (takesValue)
        option.setValueName(QStringLiteral("valeur"));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}

QString helpText(const QCommandLineParser &parser, const QString &program)
{
    // The parser's own text, with its two English headings in French; it only knows the
    // program's name once an application object exists.
    QString text = parser.helpText();
    text.replace(QLatin1String("Usage: <executable_name>"), QLatin1String("Utilisation : ") + program);
    text.replace(QLatin1String("Options:"), QLatin1String("Options :"));
    return text;
}

// An unknown option as it was typed ("--grand-écran", "-x"), not as the parser names it.
QString asTyped(const QString &name, const QStringList &arguments)
{
    for (const QString &argument : arguments) {
        const QString bare = argument.section(QLatin1Char('='), 0, 0);
        if (bare.startsWith(QLatin1Char('-')) &&
            QStringView(bare).mid(bare.startsWith(QLatin1String("--")) ? 2 : 1) == name)
            return bare;
    }
    return name;
}

// The parser's two other complaints, in French; its text names the option as typed.
QString inFrench(const QString &errorText)
{
    static const QRegularExpression complaint(QStringLiteral("^(Missing|Unexpected) value after '(.*)'\\.$"));
    const QRegularExpressionMatch match = complaint.match(errorText);
    if (!match.hasMatch())
        return errorText;
    return (match.captured(1) == QLatin1String("Missing") ? QStringLiteral("valeur manquante après « %1 »")
                                                          : QStringLiteral("valeur inattendue après « %1 »"))
        .arg(match.captured(2));
}

} // namespace

QStringList arguments(int argc, char *argv[])
{
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list << QString::fromLocal8Bit(argv[i]);
    return list;
}

Parsed parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    // Qt's options are single-dash words ("-platform xcb"), never bundled letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral("Calivento : reconnaître les instruments de l'orchestre."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Affiche cette aide."));
    const QCommandLineOption large(
        QStringLiteral("grand-ecran"),
        QStringLiteral("Agrandit les écrans à la taille de l'écran (projecteur, tableau interactif)."));
    const QCommandLineOption base(QStringLiteral("base"),
                                  QStringLiteral("La base de l'école (postgresql://… ou service=nom), à la place du "
                                                 "réglage de l'ordinateur."),
                                  QStringLiteral("adresse"));
    const QCommandLineOption exportPoste(QStringLiteral("exporter-poste"),
                                         QStringLiteral("Écrit les résultats de ce poste dans FICHIER.calivento."),
                                         QStringLiteral("FICHIER"));
    const QCommandLineOption importFile(QStringLiteral("importer"),
                                        QStringLiteral("Ajoute les résultats de FICHIER.calivento à ce poste, ou à la "
                                                       "base de l'école avec --base."),
                                        QStringLiteral("FICHIER"));
    const QCommandLineOption suivi(QStringLiteral("suivi"),
                                   QStringLiteral("Ouvre le suivi des enfants (pour les adultes)."));
    const QCommandLineOption forget(QStringLiteral("oublier-code"),
                                    QStringLiteral("Oublie le code d'accès du suivi des enfants, puis quitte."));
    const QCommandLineOption exporter(QStringLiteral("exporter"),
                                      QStringLiteral("Écrit toutes les réponses gardées dans ce fichier CSV, sans fenêtre."),
                                      QStringLiteral("FICHIER.csv"));
    const QCommandLineOption addChildren(
        QStringLiteral("ajouter-enfants"),
        QStringLiteral("Ajoute les prénoms de ce fichier (un par ligne, ou la première colonne d'un CSV), sans fenêtre."),
        QStringLiteral("FICHIER"));
    const QCommandLineOption inClass(QStringLiteral("classe"),
                                     QStringLiteral("La classe où les ajouter (« Ma classe » sinon)."),
                                     QStringLiteral("NOM"));
    parser.addOption(help);
    parser.addOption(large);
    parser.addOption(suivi);
    parser.addOption(forget);
    parser.addOption(exporter);
    parser.addOption(addChildren);
    parser.addOption(inClass);
    parser.addOption(exportPoste);
    parser.addOption(importFile);
    parser.addOption(base);
    for (const char *name : qtOptionsWithValue)
        parser.addOption(hidden(name, true));
    for (const char *name : qtFlags)
        parser.addOption(hidden(name, false));

    Parsed parsed;
    // The name the player typed, not the installed program's path behind the launcher.
    const QString program =
        arguments.isEmpty() ? QStringLiteral("calivento") : QFileInfo(arguments.constFirst()).fileName();
    const QString tryHelp = QStringLiteral("\nEssayez « %1 --help ».\n").arg(program);
    if (!parser.parse(arguments.isEmpty() ? QStringList{program} : arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        parsed.message =
            unknown.isEmpty()
                ? QStringLiteral("%1 : %2").arg(program, inFrench(parser.errorText()))
                : QStringLiteral("%1 : option inconnue : %2").arg(program, asTyped(unknown.constFirst(), arguments));
        parsed.message += tryHelp;
        parsed.exitStatus = 2;
    } else if (parser.isSet(help)) {
        parsed.message = helpText(parser, program);
        parsed.exitStatus = 0;
    } else if (!parser.positionalArguments().isEmpty()) {
        parsed.message =
            QStringLiteral("%1 : argument inattendu : %2").arg(program, parser.positionalArguments().constFirst());
        parsed.message += tryHelp;
        parsed.exitStatus = 2;
    } else if (parser.isSet(inClass) && !parser.isSet(addChildren)) {
        parsed.message = QStringLiteral("%1 : --classe va avec --ajouter-enfants").arg(program) + tryHelp;
        parsed.exitStatus = 2;
    }
    parsed.options.grandEcran = parser.isSet(large);
    parsed.options.base = parser.value(base);
    parsed.options.exportPoste = parser.value(exportPoste);
    parsed.options.importFile = parser.value(importFile);
    parsed.options.suivi = parser.isSet(suivi);
    parsed.options.oublierCode = parser.isSet(forget);
    parsed.options.exporter = parser.value(exporter);
    parsed.options.ajouterEnfants = parser.value(addChildren);
    parsed.options.classe = parser.value(inClass);
    return parsed;
}

int report(const Parsed &parsed)
{
    std::FILE *stream = parsed.exitStatus == 0 ? stdout : stderr;
    std::fputs(parsed.message.toLocal8Bit().constData(), stream);
    return parsed.exitStatus.value_or(0);
}

double largeScale(QSizeF desktop, double ratio, double current)
{
    // Whole pixels: a measure in device-independent pixels times the ratio may be a little over.
    const double width = std::floor(desktop.width() * ratio + 1e-6);
    const double height = std::floor(desktop.height() * ratio + 1e-6);
    if (width <= 0 || height <= 0 || ratio <= 0 || current <= 0)
        return current > 0 ? current : 1;
    const double wanted = std::min(width / screenWidth, height / screenHeight); // physical pixels per pixel
    // Qt multiplies the desktop's own scale by the factor; that scale is the ratio less the factor.
    return wanted / (ratio / current);
}

ScaleFactor::ScaleFactor(const Options &options, int argc, char *argv[])
{
    if (!options.grandEcran)
        return;
    if (qEnvironmentVariableIsSet(scaleVariable))
        m_previous = qgetenv(scaleVariable);
    bool ok = false;
    double current = m_previous ? m_previous->toDouble(&ok) : 1.0;
    if (!ok || current <= 0)
        current = 1; // as Qt takes it
    double factor = current;
    {
        // Qt settles its scale factor once, as the application object is built, and the screen's
        // size is known only through such an object: a short-lived one measures the screen.
        // It takes its own options out of the list it is given, so it gets a copy.
        std::vector<char *> copy(argv, argv + argc);
        copy.push_back(nullptr);
        int count = argc;
        QGuiApplication probe(count, copy.data());
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            factor = largeScale(screen->geometry().size(), screen->devicePixelRatio(), current);
    }
    qputenv(scaleVariable, QString::number(factor, 'g', QLocale::FloatingPointShortest).toLatin1());
    m_set = true;
}

void ScaleFactor::restore()
{
    if (!m_set)
        return;
    if (m_previous)
        qputenv(scaleVariable, *m_previous);
    else
        qunsetenv(scaleVariable);
    m_set = false;
}

} // namespace startup
