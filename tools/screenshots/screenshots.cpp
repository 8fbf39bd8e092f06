// Renders the game's screens into PNG files for the documentation:
//   screenshots <output folder>
// Run it under a real X server (Xvfb) from an empty folder; it plays through the screens with a
// fixed random sequence so the pictures are the same every time.
#include "app/form_chargement.h"
#include "app/forms/screens.h"
#include "screens/help/form_help.h"
#include "screens/menu/form_choix_instruments.h"

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

    forms::Screens::instance().unloadAll();
    return 0;
}
