// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/rtf/RtfReader.h"

#include "core/rtf/RtfDocumentSink.h"
#include "core/rtf/RtfParser.h"
#include "core/rtf/RtfTextSink.h"

namespace tolvane::rtf {

RichDocument RtfReader::read(std::string_view rtf) {
    RtfDocumentSink sink(rtf.size());
    RtfParser<RtfDocumentSink> parser(rtf, sink);
    parser.run();
    RichDocument document = sink.finish(parser.finalState(), std::move(parser.fonts()),
                                        std::move(parser.colors()), parser.defaultFont());
    document.notes = std::move(parser.notes());
    document.fields = std::move(parser.fields());
    for (auto& [position, picture] : parser.shapes()) {
        document.shapes.push_back(
            ShapePicture{position, static_cast<int32_t>(document.pictures.size())});
        document.pictures.push_back(std::move(picture));
    }
    return document;
}

std::u16string RtfReader::displayedText(std::string_view rtf) {
    // Every unit of text takes at least one byte of RTF.
    RtfTextSink sink(rtf.size());
    RtfParser<RtfTextSink> parser(rtf, sink);
    parser.run();
    return sink.finish();
}

size_t RtfReader::streamDisplayedText(std::string_view rtf,
                                      const std::function<void(std::u16string_view)>& consume) {
    RtfBlockSink sink(consume);
    RtfParser<RtfBlockSink> parser(rtf, sink);
    parser.run();
    return sink.finish();
}

size_t RtfReader::streamDisplayedText(std::string_view rtf,
                                      const std::function<void(std::u16string_view)>& consume,
                                      const std::function<void(MarkKind, size_t)>& onMark) {
    RtfMarkBlockSink sink(consume, onMark);
    RtfParser<RtfMarkBlockSink> parser(rtf, sink);
    parser.run();
    return sink.finish();
}

RtfTextReader::RtfTextReader() : m_fonts(std::make_unique<RtfFontTableCache>()) {}

RtfTextReader::~RtfTextReader() = default;

std::u16string RtfTextReader::displayedText(std::string_view rtf) {
    RtfTextSink sink(rtf.size());
    RtfParser<RtfTextSink> parser(rtf, sink);
    parser.useFontCache(m_fonts.get());
    parser.run();
    return sink.finish();
}

} // namespace tolvane::rtf
