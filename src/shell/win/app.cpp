#include "shell/win/app.h"

#include "shell/win/keyboard_input.h"
#include "shell/win/pending_commands.h"

namespace palvex {

App::App(HINSTANCE instance, Ui* uiOverride)
    : Instance(instance),
      CurrentService(DefaultServiceEntry()),
      winUi(instance),
      ui(uiOverride ? *uiOverride : static_cast<Ui&>(winUi)),
      loop(&pump.SessionDialog),
      disconnector(*this),
      session{CurrentService, port, pump, screen, modes, ui, loop} {
    port.handle = &line;
    session.disconnector = &disconnector;
    session.capture = &capture;
    session.spool = &spool;
    spool.printFile = [this](const std::string& path) { PrintTransparentFile(*this, path.c_str()); };
    session.keyboard = &WinKeyboardState();
}

App::~App() {
    if (MainWindow && IsWindow(MainWindow)) DestroyWindow(MainWindow);
    if (line.IsOpen()) line.Close();
}

}  // namespace palvex
