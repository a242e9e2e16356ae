#pragma once

// The peer benchmarks compare against: a page's elements as a QTextDocument, the form Qt's
// rich text gives what our HTML fragment writes (docs/html.md): text with its font, colour and
// style, pictures and formula pictures as images of the sizes the fragment gives them, fill-in
// frames as underlined anchors, judgement and option boxes as their characters, hot links as
// anchors. tessel_html_bench reads and writes its HTML beside ours; tessel_studio_bench opens a
// QTextEdit window on it beside the studio.

#include <QString>

#include <functional>
#include <string_view>

class CLink;
class CMyList;
class QTextDocument;

namespace tessel::bench {

QString FromGbk(std::string_view gbk);

// The name an image element's picture has in the document: by default its file name as the
// page gives it.
using PictureName = std::function<QString(const CLink& image)>;

// Appends the elements (their pictures loaded) to the document.
void BuildPeerDocument(CMyList& list, QTextDocument& doc, const PictureName& pictureName = {});

}  // namespace tessel::bench
