#pragma once

#include "RichDocument.h"
#include "RtfCodePages.h"

#include <cstdint>

namespace tolvane::rtf {

// Where the text of a group goes.
enum class Destination : uint8_t {
    Text,       // shown and counted
    Skip,       // neither shown nor counted
    FontTable,  // font entries
    ColorTable, // colour entries
    Picture,    // picture data, shown as one position when the group ends
    Object,     // an embedded object, whose \result holds what is shown
};

// Everything a group scopes: a '{' copies it, the matching '}' restores the
// copy underneath.
struct RtfGroupState {
    Destination destination = Destination::Text;
    bool hidden = false;
    bool inTable = false;
    uint8_t unicodeSkip = 1; // \ucN: fallback characters after each \uN
    TabAlignment nextTab = TabAlignment::Left;
    int codePage = 1252;
    const RtfCodePages::Table* table = nullptr;
    CharFormat character;
    ParaFormat paragraph;
};

} // namespace tolvane::rtf
