// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace tolvane {

class CTolvaneApp;

// The viewer's whole run: the Qt application, the palette, the start-up of
// the application object, the event loop and the exit. started, when given,
// is called once start-up has succeeded, before the event loop: a test or
// benchmark harness attaches to the running viewer there. Returns the
// process's exit status.
int runViewer(int argc, char** argv, const std::function<void(CTolvaneApp&)>& started = {});

} // namespace tolvane
