#include "app/display_check.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "base/tr.h"

#if TAVELO_HAVE_X11
#include <X11/Xlib.h>
#endif

namespace tavelo::gui {

namespace {

QtMessageHandler g_previousHandler = nullptr;

void EndOnFatal(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg) {
        if (g_previousHandler)
            g_previousHandler(type, context, message);
        return;
    }
    // Qt's translator does not exist yet: the text comes from the catalogue.
    const std::string display = qEnvironmentVariable("DISPLAY").toStdString();
    const std::string why = Format(Tr("Tavelo", "Tavelo ne peut pas ouvrir sa fenêtre : aucun affichage ne répond (DISPLAY=%1)."),
                                   {display});
    std::fprintf(stderr, "%s\n%s\n", why.c_str(), message.toLocal8Bit().constData());
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

DisplayWait::DisplayWait()
{
#if TAVELO_HAVE_X11
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!(platform.isEmpty() || platform.startsWith("xcb")) || qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return;
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!(m_display = XOpenDisplay(nullptr)) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(100ms);
#endif
}

DisplayWait::~DisplayWait()
{
#if TAVELO_HAVE_X11
    if (m_display)
        XCloseDisplay(static_cast<Display*>(m_display));
#endif
}

StartupFailureGuard::StartupFailureGuard()
{
    g_previousHandler = qInstallMessageHandler(EndOnFatal);
}

StartupFailureGuard::~StartupFailureGuard()
{
    qInstallMessageHandler(g_previousHandler);
    g_previousHandler = nullptr;
}

} // namespace tavelo::gui
