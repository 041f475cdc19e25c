#include "RtfReader.h"

#include "RtfDocumentSink.h"
#include "RtfParser.h"
#include "RtfTextSink.h"

namespace tolvane::rtf {

RichDocument RtfReader::read(std::string_view rtf) {
    RtfDocumentSink sink(rtf.size());
    RtfParser<RtfDocumentSink> parser(rtf, sink);
    parser.run();
    return sink.finish(parser.finalState(), std::move(parser.fonts()), std::move(parser.colors()),
                       parser.defaultFont());
}

std::u16string RtfReader::displayedText(std::string_view rtf) {
    RtfTextSink sink;
    sink.out.reserve(rtf.size() / 2);
    RtfParser<RtfTextSink> parser(rtf, sink);
    parser.run();
    return std::move(sink.out);
}

} // namespace tolvane::rtf
