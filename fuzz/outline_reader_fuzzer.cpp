// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/outline/OutlineModel.h"

#include <cstdlib>
#include <vector>

// Whatever the bytes, the outline must be a tree: the walk in tree order
// meets every node exactly once, at the depth its parents give, and every
// image is a closed book or the page.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tolvane::OutlineModel model;
    model.LoadOutlineBytes(data, size);
    if (model.nodeArticles().size() != model.size())
        std::abort();
    std::vector<bool> seen(model.size());
    size_t visited = 0;
    int depth = 0;
    for (auto n = model.firstTopLevel(); n != tolvane::OutlineModel::kNoNode;
         n = model.nextInTreeOrder(n, depth)) {
        if (n < 0 || static_cast<size_t>(n) >= model.size() || seen[static_cast<size_t>(n)])
            std::abort();
        seen[static_cast<size_t>(n)] = true;
        ++visited;
        const int image = model.image(n);
        if (!((image >= 0 && image < 5) || image == 10) ||
            (image == 10) != (model.ArticleOfNode(n) != 0))
            std::abort();
        if (depth != model.depth(n) || model.title(n).empty())
            std::abort();
    }
    if (visited != model.size())
        std::abort();
    return 0;
}
