// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/rtf/RichDocument.h"
#include "core/rtf/RtfCodePages.h"

#include <cstdint>

namespace tolvane::rtf {

// Where the text of a group goes.
enum class Destination : uint8_t {
    Text,              // shown and counted
    Skip,              // neither shown nor counted
    FontTable,         // font entries
    ColorTable,        // colour entries
    Picture,           // picture data, shown as one position when the group ends
    Object,            // an embedded object, whose \result holds what is shown
    TableProps,        // the row definition of a nested table: table words only
    ListTable,         // list definitions: which levels have no number
    ListOverrideTable, // list overrides: the list each \ls names
    Note,              // a footnote or endnote: its text, kept apart
    FieldInstruction,  // a field's instruction: read for fields without result
    ShapeProps,        // a drawing object's properties: its picture (pib) only
    UnicodePair,       // \upr: not shown but for its \ud group
};

// What a group scopes that decides which characters are shown and how its
// bytes decode: all the displayed text needs, small enough that a '{'
// costs a plain copy.
struct RtfTextState {
    Destination destination = Destination::Text;
    bool hidden = false;
    bool doubleByte = false; // codePage is a DBCS page
    uint8_t unicodeSkip = 1; // \ucN: fallback characters after each \uN
    int32_t font = -1;       // index into the fonts read; -1: none
    int codePage = 1252;
    const RtfCodePages::Table* table = nullptr;
};

// Everything a group scopes: a '{' copies it, the matching '}' restores the
// copy underneath. character.font always equals font.
struct RtfGroupState : RtfTextState {
    bool inTable = false;
    int32_t nesting = 1;      // \itap: the table level of the paragraph
    bool fallback = false;    // in \nonesttables
    int32_t listOverride = 0; // \ls: the list of the paragraph
    int32_t listLevel = 0;    // \ilvl: its level in that list
    bool concealed = false;   // in the number text of a level without number
    int32_t field = 0;        // the field the group belongs to (\field), 0: none
    int32_t shape = 0;        // the drawing object it belongs to (\shp), 0: none
    bool shapeName = false;   // in a {\sn ...}: the name of a shape property
    TabAlignment nextTab = TabAlignment::Left;
    TabLeader nextLeader = TabLeader::None;
    CharFormat character;
    ParaFormat paragraph;
};

} // namespace tolvane::rtf
