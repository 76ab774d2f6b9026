#pragma once
// The report as one self-contained HTML document: tables as HTML, pictures as inline SVG with their text as
// text, the logo as a data URI. Written as the pages come, so only one page is held at a time.
#include <functional>
#include <memory>
#include <string>

#include "tester/report/ReportModel.h"

namespace Kestrix::Report {

std::unique_ptr<ReportSink> htmlSink(const std::string& path, const ReportDocument& document);

// The markup of the `index`th picture of a page (in page order).
using FigureMarkup = std::function<std::string(const Picture& picture, size_t index)>;

// A page's blocks (fields, tables, figures and notes; not its title and badges) as an HTML fragment with the
// markup and classes of the HTML report, for a page of another's making. Pictures are inline SVG unless
// `figure` makes their markup.
std::string htmlBlocks(const RecordPage& page, const FigureMarkup& figure = {});

// Text for HTML element content and attribute values.
std::string htmlEscape(const std::string& text);

}  // namespace Kestrix::Report
