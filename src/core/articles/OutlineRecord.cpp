// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/articles/OutlineRecord.h"

#include "core/common/LittleEndian.h"

#include <cstring>

namespace tolvane {
namespace {

void putText(std::string& out, size_t offset, size_t width, const std::string& text) {
    std::memcpy(out.data() + offset, text.data(), std::min(width, text.size()));
}

std::string getText(const unsigned char* p, size_t width) {
    const void* nul = std::memchr(p, 0, width);
    const size_t n = nul ? static_cast<size_t>(static_cast<const unsigned char*>(nul) - p) : width;
    return std::string(reinterpret_cast<const char*>(p), n);
}

void putU32(std::string& out, size_t offset, uint32_t v) {
    std::string bytes;
    appendU32LE(bytes, v);
    std::memcpy(out.data() + offset, bytes.data(), 4);
}

} // namespace

std::string OutlineRecord::encode() const {
    std::string out(kSize, '\0');
    putText(out, kKeyOffset, kKeyWidth, nodeKey);
    putText(out, kTitleOffset, kTitleWidth, title);
    putText(out, kReferenceOffset, kReferenceWidth, referenceKey);
    putU32(out, kArticleOffset, static_cast<uint32_t>(article));
    putU32(out, kReservedOffset, reserved);
    putU32(out, kPlacementOffset, static_cast<uint32_t>(placement));
    return out;
}

OutlineRecord OutlineRecord::decode(const unsigned char* p) {
    OutlineRecord r;
    r.nodeKey = getText(p + kKeyOffset, kKeyWidth);
    r.title = getText(p + kTitleOffset, kTitleWidth);
    r.referenceKey = getText(p + kReferenceOffset, kReferenceWidth);
    r.article = loadI32LE(p + kArticleOffset);
    r.reserved = loadU32LE(p + kReservedOffset);
    r.placement = loadI32LE(p + kPlacementOffset);
    return r;
}

} // namespace tolvane
