#pragma once

// The one door into the window module (espa-emulator-window). The program loads the module only
// for a run with the window, so a headless run never maps the widget and GUI libraries. Nothing
// but argc and argv crosses: the module makes its own QApplication over them, reads the command
// line itself and returns the program's exit status. `argc` is the program's own, which the
// application object keeps a reference to for its whole life.
namespace espa {

using RunWindowEntry = int (*)(int* argc, char** argv);

inline constexpr const char* kRunWindowSymbol = "espa_run_window";

}  // namespace espa
