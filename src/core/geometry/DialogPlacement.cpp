// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/geometry/DialogPlacement.h"

namespace tolvane {

std::optional<int> TopOffSelection(const ScreenRect& dialog, int selectionX, int selectionY,
                                   const ScreenRect& screen) {
    if (!dialog.contains(selectionX, selectionY))
        return std::nullopt;
    const int above = selectionY - kDialogGapAbove - dialog.height;
    if (above >= screen.top)
        return above;
    const int below = selectionY + kDialogGapBelow;
    if (below + dialog.height <= screen.top + screen.height)
        return below;
    return std::nullopt;
}

} // namespace tolvane
