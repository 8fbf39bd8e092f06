#include "form_noire.h"

#include "app/forms/keys.h"
#include "app/forms/look.h"

#include <QGuiApplication>
#include <QScreen>

Form_noire::Form_noire()
    : Form(QStringLiteral("Form_noire"), 11475, 7785)
{
    setBackColor(QColor(0, 0, 0));
    setFocusPolicy(Qt::NoFocus);
}

void Form_noire::Form_Load()
{
    coverDesktop();
}

void Form_noire::coverDesktop()
{
    // Nothing maximises a window when no window manager runs: size it to the screen ourselves.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(screen->geometry());
    // Under a window manager, full screen also lifts it over the desktop's panels.
    setWindowState(Qt::WindowFullScreen);
}

namespace backdrop {

std::optional<QRgb> colorForKey(int keyCode)
{
    const int index = keyCode - (forms::vk::F1 + 1);
    if (index < 0 || index >= static_cast<int>(colorRefs.size()))
        return std::nullopt;
    return forms::fromColorRef(colorRefs[static_cast<std::size_t>(index)]);
}

} // namespace backdrop
