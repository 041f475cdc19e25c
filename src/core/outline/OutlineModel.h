// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/articles/ArticleRecords.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// The outline tree built from a .FIC file (the record layout is described in
// OutlineRecord.h). The file is a run of 116-byte records, one node each, in
// creation order, ended by the first record whose title is empty; nothing
// after that record is read. A record goes:
//
//   referenceKey "0"          at the top level;
//   otherwise, with the node the key names (the reference node):
//     placement 2             beside it: last child of its parent, or last
//                             top-level node when it is itself top-level;
//     any other placement     under it: its last child.
//
// Keys are looked up in a table of the most recent node created with each
// nodeKey, so a repeated key takes over and the earlier node can no longer be
// named. A key that names no node leaves the reference node of the last
// successful lookup in place; before any lookup has succeeded such a node goes
// to the top level.
//
// Image index (into the outline pane's image list): 10 for an article heading
// at any depth; for a folder heading 0 at the top level, else its parent's
// image at the parent's creation plus one, modulo 5. So folders step through
// the five colours by nesting and a folder under an article heading gets
// (10 + 1) mod 5 = 1.
//
// A file without an end record stops at its end; a final fragment shorter
// than a record is dropped. A text field without NUL runs to the end of its
// field. No input makes loading throw: only running out of memory does
// (std::bad_alloc, from the key table as from the containers). The file is
// read in large chunks and loading allocates nothing per record beyond the
// node and its title bytes.
class OutlineModel {
public:
    using NodeId = int32_t;
    static constexpr NodeId kNoNode = -1; // also "the top level" as a parent
    static constexpr int kArticleImage = 10;
    static constexpr int kFolderColours = 5;

    // Replaces the model with the outline of the .FIC file at path (native).
    // False when the file cannot be opened (the model is then empty); a read
    // that fails part-way keeps the nodes read so far.
    bool LoadOutline(const std::string& ficPath);
    // The same from the file's bytes in memory.
    void LoadOutlineBytes(const unsigned char* data, size_t size);

    void clear();
    bool empty() const { return m_nodes.empty(); }
    size_t size() const { return m_nodes.size(); }

    // Nodes are numbered 0..size()-1 in creation (file) order.
    std::string_view title(NodeId node) const;
    int image(NodeId node) const { return m_nodes[static_cast<size_t>(node)].image; }
    NodeId parent(NodeId node) const { return m_nodes[static_cast<size_t>(node)].parent; }
    NodeId firstChild(NodeId node) const { return m_nodes[static_cast<size_t>(node)].firstChild; }
    NodeId nextSibling(NodeId node) const { return m_nodes[static_cast<size_t>(node)].nextSibling; }
    NodeId firstTopLevel() const { return m_firstTop; }
    // Children of node in order; kNoNode gives the top-level nodes.
    std::vector<NodeId> children(NodeId node) const;
    // Number of ancestors: 0 for a top-level node.
    int depth(NodeId node) const;

    // The next node in tree order (depth first, children in order), kNoNode
    // after the last; start from firstTopLevel().
    NodeId nextInTreeOrder(NodeId node) const;
    // The same, keeping depth (that of node on entry) in step.
    NodeId nextInTreeOrder(NodeId node, int& depth) const;

    // The article of every node by creation order; 0 for folder headings.
    const std::vector<ArticleNumber>& nodeArticles() const { return m_nodeArticles; }
    // The article shown for node; 0 for a folder heading or a node not in
    // the model.
    ArticleNumber ArticleOfNode(NodeId node) const;
    // Every node that shows article, in tree order.
    std::vector<NodeId> NodesOfArticle(ArticleNumber article) const;
    // The first of them in tree order, kNoNode when none.
    NodeId FirstNodeOfArticle(ArticleNumber article) const;

private:
    class Loader;

    struct Node {
        uint32_t titleOffset = 0; // into m_titles
        uint32_t titleLength = 0;
        NodeId parent = kNoNode;
        NodeId firstChild = kNoNode;
        NodeId lastChild = kNoNode;
        NodeId nextSibling = kNoNode;
        int32_t image = 0;
    };

    NodeId appendNode(NodeId parent, const char* title, size_t titleLength, int image,
                      ArticleNumber article);

    std::vector<Node> m_nodes;
    std::vector<ArticleNumber> m_nodeArticles;
    std::string m_titles; // every title's bytes, one after the other
    NodeId m_firstTop = kNoNode;
    NodeId m_lastTop = kNoNode;
};

} // namespace tolvane
