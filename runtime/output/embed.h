// Device-graphics pages inside the report: an SVG inlined with every id prefixed, so that
// two pages never share one (cairo numbers its glyph and clip definitions afresh in every
// file), or, for a page too large to inline, its PNG as a data URI.
#pragma once
#include <string>
#include <string_view>

namespace rt::out {

// The SVG document without its XML declaration, every id and every reference to one
// (href="#x", url(#x)) prefixed.
std::string inlinesvg(std::string_view svg, const std::string& prefix);
std::string base64(std::string_view bytes);
// The whole file, or nothing when it cannot be read.
std::string slurp(const std::string& path);

// Pages whose SVG is larger than this go into the report as PNG.
constexpr size_t kInlineSvgLimit = 2u << 20;

}  // namespace rt::out
