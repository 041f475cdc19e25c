// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QKeyEvent>

namespace tolvane {

// Return or the keypad's Enter, with no Shift, Ctrl or Alt: the key that
// opens what a list has selected.
inline bool isPlainEnter(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    return modifiers == Qt::NoModifier &&
           (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter);
}

} // namespace tolvane
