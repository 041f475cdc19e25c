// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/outline/OutlineModel.h"

#include "core/articles/OutlineRecord.h"
#include "core/common/InputFile.h"
#include "core/common/LittleEndian.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <utility>

namespace tolvane {
namespace {

// Records read from the file at a time (about 232 KiB).
constexpr size_t kChunkRecords = 2048;
// Node ids are 32-bit and title offsets too: a file beyond this many records
// (about 3 GiB) is read up to it.
constexpr size_t kMaxNodes = std::numeric_limits<int32_t>::max() / OutlineRecord::kTitleWidth;

// The bytes of a text field up to its first NUL, or the whole field.
size_t fieldLength(const unsigned char* field, size_t width) {
    const void* nul = std::memchr(field, 0, width);
    return nul ? static_cast<size_t>(static_cast<const unsigned char*>(nul) - field) : width;
}

// A 12-byte key field with everything from its first NUL on zeroed, so that
// two keys are equal exactly when their texts are.
struct Key {
    uint64_t low = 0;
    uint32_t high = 0;

    static Key fromField(const unsigned char* field) {
        unsigned char bytes[OutlineRecord::kKeyWidth] = {};
        std::memcpy(bytes, field, fieldLength(field, sizeof bytes));
        Key k;
        std::memcpy(&k.low, bytes, 8);
        std::memcpy(&k.high, bytes + 8, 4);
        return k;
    }
    // Every key byte reaches the low bits that pick the slot.
    size_t hash() const {
        uint64_t h =
            low * 0x9E3779B97F4A7C15ull ^ static_cast<uint64_t>(high) * 0xC2B2AE3D27D4EB4Full;
        h ^= h >> 32;
        h *= 0xD6E8FEB86659FD93ull;
        h ^= h >> 32;
        return static_cast<size_t>(h);
    }
};
static_assert(OutlineRecord::kKeyWidth == 12 && OutlineRecord::kReferenceWidth == 12);

// nodeKey -> most recent node with that key. Open addressing in one array,
// so a record costs no allocation of its own. The array comes zeroed from
// calloc, an empty slot being all zeros, so the room reserved for a large
// file costs memory only where slots are used.
class KeyTable {
public:
    void reserve(size_t keys) {
        size_t capacity = 16;
        while (capacity < keys * 2)
            capacity *= 2;
        if (capacity > m_capacity)
            rehash(capacity);
    }

    void assign(const Key& key, OutlineModel::NodeId node) {
        if ((m_used + 1) * 2 > m_capacity)
            rehash(std::max<size_t>(16, m_capacity * 2));
        Slot& s = find(key);
        if (s.empty())
            ++m_used;
        s.low = key.low;
        s.high = key.high;
        s.nodePlusOne = static_cast<uint32_t>(node) + 1;
    }

    OutlineModel::NodeId lookup(const Key& key) const {
        if (m_capacity == 0)
            return OutlineModel::kNoNode;
        const Slot& s = find(key);
        return s.empty() ? OutlineModel::kNoNode
                         : static_cast<OutlineModel::NodeId>(s.nodePlusOne - 1);
    }

    // Asks the processor for the slot where key starts its probe: on a large
    // outline the table outgrows the caches and each probe would otherwise
    // wait for memory.
    void prefetch(const Key& key) const {
        if (m_capacity != 0)
            __builtin_prefetch(&m_slots[key.hash() & (m_capacity - 1)]);
    }

private:
    struct Slot {
        uint64_t low;
        uint32_t high;
        uint32_t nodePlusOne; // 0: the slot is empty

        bool empty() const { return nodePlusOne == 0; }
        Key key() const { return Key{low, high}; }
    };
    static_assert(sizeof(Slot) == 16);

    struct Free {
        void operator()(Slot* p) const { std::free(p); }
    };

    Slot& find(const Key& key) const {
        const size_t mask = m_capacity - 1;
        for (size_t i = key.hash() & mask;; i = (i + 1) & mask) {
            Slot& s = m_slots[i];
            if (s.empty() || (s.low == key.low && s.high == key.high))
                return s;
        }
    }

    void rehash(size_t capacity) {
        std::unique_ptr<Slot[], Free> slots(
            static_cast<Slot*>(std::calloc(capacity, sizeof(Slot))));
        if (!slots)
            throw std::bad_alloc();
        std::swap(slots, m_slots);
        const size_t old = std::exchange(m_capacity, capacity);
        for (size_t i = 0; i < old; ++i) {
            if (!slots[i].empty())
                find(slots[i].key()) = slots[i];
        }
    }

    std::unique_ptr<Slot[], Free> m_slots;
    size_t m_capacity = 0;
    size_t m_used = 0;
};

} // namespace

// Turns records into nodes; holds the key table for the length of one load.
class OutlineModel::Loader {
public:
    Loader(OutlineModel& model, uint64_t sizeHint) : m_model(model) {
        const size_t records = static_cast<size_t>(
            std::min<uint64_t>(sizeHint / OutlineRecord::kSize, uint64_t{1} << 22));
        m_model.m_nodes.reserve(records);
        m_model.m_nodeArticles.reserve(records);
        // Room for every title at its longest: pages that stay unused cost
        // nothing, and the bytes are never moved while loading.
        m_model.m_titles.reserve(records * OutlineRecord::kTitleWidth);
        m_keys.reserve(records);
    }

    // Adds the nodes of count whole records; false once the end record (or
    // the node limit) has been reached, after which nothing more is read.
    bool feed(const unsigned char* records, size_t count) {
        for (size_t k = 0; k < count; ++k) {
            if (k + kPrefetchDistance < count)
                prefetchKeys(records + (k + kPrefetchDistance) * OutlineRecord::kSize);
            if (!add(records + k * OutlineRecord::kSize))
                return false;
        }
        return true;
    }

private:
    static constexpr size_t kPrefetchDistance = 8;

    void prefetchKeys(const unsigned char* r) const {
        const unsigned char* ref = r + OutlineRecord::kReferenceOffset;
        if (!isTopLevelKey(ref))
            m_keys.prefetch(Key::fromField(ref));
        m_keys.prefetch(Key::fromField(r + OutlineRecord::kKeyOffset));
    }

    static bool isTopLevelKey(const unsigned char* ref) { return ref[0] == '0' && ref[1] == 0; }

    bool add(const unsigned char* r) {
        const unsigned char* title = r + OutlineRecord::kTitleOffset;
        if (title[0] == 0 || m_model.m_nodes.size() >= kMaxNodes)
            return false;
        const ArticleNumber article = loadI32LE(r + OutlineRecord::kArticleOffset);
        const int32_t placement = loadI32LE(r + OutlineRecord::kPlacementOffset);
        const unsigned char* ref = r + OutlineRecord::kReferenceOffset;

        int image = article != 0 ? kArticleImage : 0;
        NodeId parent = kNoNode;
        if (!isTopLevelKey(ref)) {
            const NodeId found = m_keys.lookup(Key::fromField(ref));
            if (found != kNoNode)
                m_reference = found;
            // With no successful lookup yet, m_reference is still kNoNode and
            // the node goes to the top level.
            if (m_reference != kNoNode) {
                if (placement == OutlineRecord::kPlacementBeside)
                    parent = m_model.parent(m_reference);
                else
                    parent = m_reference;
                if (article == 0 && parent != kNoNode)
                    image = (m_model.image(parent) + 1) % kFolderColours;
            }
        }
        const NodeId node =
            m_model.appendNode(parent, reinterpret_cast<const char*>(title),
                               fieldLength(title, OutlineRecord::kTitleWidth), image, article);
        m_keys.assign(Key::fromField(r + OutlineRecord::kKeyOffset), node);
        return true;
    }

    OutlineModel& m_model;
    KeyTable m_keys;
    NodeId m_reference = kNoNode; // of the last lookup that succeeded
};

void OutlineModel::clear() {
    m_nodes.clear();
    m_nodeArticles.clear();
    m_titles.clear();
    m_firstTop = m_lastTop = kNoNode;
}

bool OutlineModel::LoadOutline(const std::string& ficPath) {
    clear();
    InputFile file;
    if (!file.open(ficPath))
        return false;
    Loader loader(*this, file.size());
    std::vector<unsigned char> chunk(kChunkRecords * OutlineRecord::kSize);
    // The file's length is only a reservation hint: reading goes on until a
    // read comes back short, which also drops a final incomplete record.
    for (uint64_t offset = 0;;) {
        const size_t got = file.readAt(offset, chunk.data(), chunk.size());
        const size_t whole = got / OutlineRecord::kSize;
        if (!loader.feed(chunk.data(), whole) || got < chunk.size())
            break;
        offset += got;
    }
    return true;
}

void OutlineModel::LoadOutlineBytes(const unsigned char* data, size_t size) {
    clear();
    Loader loader(*this, size);
    loader.feed(data, size / OutlineRecord::kSize);
}

OutlineModel::NodeId OutlineModel::appendNode(NodeId parent, const char* title, size_t titleLength,
                                              int image, ArticleNumber article) {
    const NodeId node = static_cast<NodeId>(m_nodes.size());
    Node n;
    n.titleOffset = static_cast<uint32_t>(m_titles.size());
    n.titleLength = static_cast<uint32_t>(titleLength);
    n.parent = parent;
    n.image = image;
    m_titles.append(title, titleLength);
    m_nodes.push_back(n);
    m_nodeArticles.push_back(article);

    NodeId& last = parent == kNoNode ? m_lastTop : m_nodes[static_cast<size_t>(parent)].lastChild;
    if (last == kNoNode) {
        if (parent == kNoNode)
            m_firstTop = node;
        else
            m_nodes[static_cast<size_t>(parent)].firstChild = node;
    } else {
        m_nodes[static_cast<size_t>(last)].nextSibling = node;
    }
    last = node;
    return node;
}

std::string_view OutlineModel::title(NodeId node) const {
    const Node& n = m_nodes[static_cast<size_t>(node)];
    return std::string_view(m_titles).substr(n.titleOffset, n.titleLength);
}

std::vector<OutlineModel::NodeId> OutlineModel::children(NodeId node) const {
    std::vector<NodeId> out;
    for (NodeId c = node == kNoNode ? m_firstTop : firstChild(node); c != kNoNode;
         c = nextSibling(c))
        out.push_back(c);
    return out;
}

int OutlineModel::depth(NodeId node) const {
    int d = 0;
    for (NodeId p = parent(node); p != kNoNode; p = parent(p))
        ++d;
    return d;
}

OutlineModel::NodeId OutlineModel::nextInTreeOrder(NodeId node) const {
    int depth = 0;
    return nextInTreeOrder(node, depth);
}

OutlineModel::NodeId OutlineModel::nextInTreeOrder(NodeId node, int& depth) const {
    if (firstChild(node) != kNoNode) {
        ++depth;
        return firstChild(node);
    }
    for (NodeId n = node; n != kNoNode; n = parent(n), --depth) {
        if (nextSibling(n) != kNoNode)
            return nextSibling(n);
    }
    return kNoNode;
}

ArticleNumber OutlineModel::ArticleOfNode(NodeId node) const {
    if (node < 0 || static_cast<size_t>(node) >= m_nodeArticles.size())
        return 0;
    return m_nodeArticles[static_cast<size_t>(node)];
}

std::vector<OutlineModel::NodeId> OutlineModel::NodesOfArticle(ArticleNumber article) const {
    std::vector<NodeId> out;
    if (article == 0)
        return out;
    for (NodeId n = m_firstTop; n != kNoNode; n = nextInTreeOrder(n)) {
        if (m_nodeArticles[static_cast<size_t>(n)] == article)
            out.push_back(n);
    }
    return out;
}

OutlineModel::NodeId OutlineModel::FirstNodeOfArticle(ArticleNumber article) const {
    if (article == 0)
        return kNoNode;
    // Tree order is not creation order, so the walk decides only when the
    // article has more than one node.
    const auto first = std::find(m_nodeArticles.begin(), m_nodeArticles.end(), article);
    if (first == m_nodeArticles.end())
        return kNoNode;
    if (std::find(first + 1, m_nodeArticles.end(), article) == m_nodeArticles.end())
        return static_cast<NodeId>(first - m_nodeArticles.begin());
    for (NodeId n = m_firstTop; n != kNoNode; n = nextInTreeOrder(n)) {
        if (m_nodeArticles[static_cast<size_t>(n)] == article)
            return n;
    }
    return kNoNode;
}

} // namespace tolvane
