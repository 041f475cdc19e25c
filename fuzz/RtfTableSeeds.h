// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tolvane::fuzz {

// RTF documents made to cost: tables of thousands of columns or rows, cell
// edges out of order or negative, merges with no first cell, tables nested
// a thousand deep, pictures of absurd sizes, marks in hidden text. Seeds of
// the reader's fuzzer, and inputs the reader and the view are tested on.
inline std::vector<std::pair<std::string, std::string>> RtfTableSeeds() {
    std::vector<std::pair<std::string, std::string>> seeds;
    auto add = [&seeds](const char* name, std::string body) {
        seeds.emplace_back(name, "{\\rtf1\\ansi{\\colortbl;\\red200\\green0\\blue0;}" + body + "}");
    };
    std::string wide = "\\trowd";
    for (int i = 1; i <= 5000; ++i)
        wide += "\\clbrdrt\\brdrs\\clcbpat1\\cellx" + std::to_string(i * 20);
    wide += "\\pard\\intbl ";
    for (int i = 0; i < 5000; ++i)
        wide += "c\\cell ";
    add("columns-5000", wide + "\\row\\pard fin\\par");

    std::string tall;
    for (int i = 0; i < 3000; ++i)
        tall += "\\trowd\\cellx1000\\cellx2000\\pard\\intbl a\\cell b\\cell\\row ";
    add("rows-3000", tall);

    add("edges-disorder",
        "\\trowd\\trleft-5000\\cellx65532\\cellx-200\\cellx0\\cellx-2147483648\\cellx2147483647"
        "\\pard\\intbl a\\cell b\\cell c\\cell d\\cell e\\cell f\\cell\\row"
        "\\trowd\\cellx300\\cellx200\\cellx100\\pard\\intbl x\\cell y\\cell z\\cell\\row");
    add("merges-unstarted",
        "\\trowd\\clmrg\\cellx1000\\clvmrg\\clmrg\\cellx2000\\clvmrg\\cellx3000"
        "\\pard\\intbl a\\cell b\\cell c\\cell\\row"
        "\\trowd\\clvmgf\\clmrg\\cellx1000\\clvmrg\\clmgf\\cellx2000\\clvmrg\\cellx3000"
        "\\pard\\intbl d\\cell e\\cell f\\cell\\row"
        "\\trowd\\clvmrg\\cellx3000\\pard\\intbl g\\cell\\row");

    std::string deep;
    for (int level = 1; level <= 1000; ++level)
        deep += "\\pard\\intbl\\itap" + std::to_string(level) + " n" + std::to_string(level) +
                (level == 1 ? "\\cell " : "\\nestcell ");
    for (int level = 1000; level >= 2; --level)
        deep += "{\\*\\nesttableprops\\trowd\\cellx" + std::to_string(level) +
                "\\nestrow}{\\nonesttables\\par}";
    add("nesting-1000", deep + "\\trowd\\cellx3000\\row\\pard fin\\par");

    std::string braces;
    for (int i = 0; i < 1000; ++i)
        braces += "{\\intbl\\itap" + std::to_string(i) + " x\\nestcell";
    add("nesting-groups", braces + std::string(1000, '}') + "\\nestrow\\row");

    add("pictures-absurd",
        "{\\pict\\pngblip\\picw2147483647\\pich2147483647\\picwgoal2147483647"
        "\\pichgoal-2147483648\\picscalex2147483647\\picscaley0 89504e470d0a1a0a}"
        "{\\pict\\wmetafile8\\picw-5\\pich99999999 0102}"
        "{\\object\\objw2147483647\\objh2147483647{\\*\\objdata 00}}");
    add("hidden-marks",
        "\\trowd\\cellx1000\\cellx2000\\pard\\intbl{\\uldb a}{\\v A\\cell }b{\\v\\cell}"
        "{\\v\\row}{\\v\\par\\par\\par}{\\v\\nestcell\\nestrow}\\sect\\sbknone\\sect\\sbknone");
    std::string borders = "\\deftab-5\\deftab0\\pard";
    for (int i = 0; i < 200; ++i)
        borders += "\\box\\brdrnone\\brdrt\\cbpat99\\tldot\\tlhyph\\tx" + std::to_string(i * 7);
    add("paragraph-formats", borders + " \\tab t\\par\\expndtw2147483647\\expnd-2147483648 x\\par");
    std::string notes;
    for (int i = 0; i < 300; ++i)
        notes += "a{\\super\\chftn}{\\footnote{\\chftn} n{\\footnote{\\footnote x}}\\par}"
                 "{\\field{\\*\\fldinst DATE \\\\@ \"" +
                 std::string(300, 'd') + "\"}{\\fldrslt }}";
    add("notes-and-fields", notes + "{\\field{\\*\\fldinst{\\field{\\*\\fldinst PAGE}}}}\\par");
    return seeds;
}

} // namespace tolvane::fuzz
