// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The number of pages of a PDF file the printing wrote, -1 when it cannot be
// read: the page objects its writer declares.

#include <QFile>
#include <QString>

namespace tolvane::test {

inline int pdfPages(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray data = file.readAll();
    return int(data.count("/Type /Page\n") + data.count("/Type /Page ") +
               data.count("/Type /Page>") + data.count("/Type /Page/"));
}

} // namespace tolvane::test
