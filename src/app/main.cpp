// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ViewerMain.h"

int main(int argc, char** argv) {
    return tolvane::runViewer(argc, argv);
}
