#pragma once

namespace tolvane {

// What the main frame asks of the bookmarks when the window closes: write
// the bookmark file.
class BookmarkHooks {
public:
    virtual ~BookmarkHooks() = default;
    virtual void SaveBookmarks() = 0;
};

} // namespace tolvane
