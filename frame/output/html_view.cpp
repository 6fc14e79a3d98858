// The 3D view's page (viewer/README.md, "Writing the page"): the template
// viewer.html with its scripts, style and three.js's licence inlined and
// the data written in place of its mark, so that the page opens from
// file:// with no network.

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <ostream>
#include <sstream>

#include "output/viewer_files.hpp"
#include "zervola/frame.hpp"
#include "zervola/frame/errors.hpp"

namespace zervola::frame {
namespace {

constexpr std::string_view k_data_mark = "/*ZERVOLA_VIEW*/";
constexpr std::string_view k_licence_mark = "<!--THREE_LICENCE-->";
constexpr std::string_view k_script_open = "<script src=\"";
constexpr std::string_view k_script_close = "\"></script>";
constexpr std::string_view k_style_open = "<link rel=\"stylesheet\" href=\"";
constexpr std::string_view k_style_close = "\">";

bool holds_script_end(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower.find("</script") != std::string::npos;
}

// The licence as the text of an HTML comment, which may not hold "--":
// every dash that follows a dash is written after a space.
std::string licence_comment(std::string_view licence) {
  std::string out = "<!-- three.js (three.min.js, inlined below): its copyright and licence\n";
  for (char c : licence) {
    if (c == '-' && out.back() == '-') out += ' ';
    out += c;
  }
  if (out.back() != '\n') out += '\n';
  return out + "-->";
}

// text (a piece of the template) with each <script src="F"></script> and
// stylesheet <link> replaced by F's text and the licence mark by the
// licence.
std::string inlined(std::string_view text, const std::filesystem::path& directory) {
  std::string out;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::array<std::size_t, 3> next = {text.find(k_script_open, at), text.find(k_style_open, at),
                                             text.find(k_licence_mark, at)};
    const std::size_t first = *std::min_element(next.begin(), next.end());
    out += text.substr(at, first - at);
    if (first == std::string_view::npos) break;
    if (first == next[2]) {
      out += licence_comment(read_viewer_file(directory, k_three_licence_file));
      at = first + k_licence_mark.size();
      continue;
    }
    const bool script = first == next[0];
    const std::size_t name_at = first + (script ? k_script_open : k_style_open).size();
    const std::size_t name_end = text.find(script ? k_script_close : k_style_close, name_at);
    if (name_end == std::string_view::npos)
      throw OutputError("the 3D view's viewer.html is damaged (an element not closed); reinstall zervola");
    const std::string name(text.substr(name_at, name_end - name_at));
    const std::string body = read_viewer_file(directory, name);
    if (script && holds_script_end(body))
      throw OutputError(fmt::format("the 3D view's script {} holds \"</script\" and cannot be "
                                    "inlined; reinstall zervola",
                                    (directory / name).string()));
    out += script ? "<script>\n" : "<style>\n";
    out += body;
    out += script ? "\n</script>" : "\n</style>";
    at = name_end + (script ? k_script_close : k_style_close).size();
  }
  return out;
}

}  // namespace

void write_html_view(std::ostream& out, const Model& model, const AnalysisResult& result,
                     const ResultDetail& detail) {
  const std::filesystem::path directory = viewer_directory();
  const std::string page = read_viewer_file(directory, "viewer.html");
  const std::size_t mark = page.find(k_data_mark);
  if (mark == std::string::npos || page.find(k_data_mark, mark + 1) != std::string::npos)
    throw OutputError("the 3D view's viewer.html is damaged (its data mark is not there once); "
                      "reinstall zervola");
  // The page around the data is formed before anything is written, so
  // that a missing file leaves the stream untouched.
  const std::string before = inlined(std::string_view(page).substr(0, mark), directory);
  const std::string after = inlined(std::string_view(page).substr(mark + k_data_mark.size()), directory);
  out << before;
  write_view_data(out, model, result, detail);
  out << after;
}

std::string format_html_view(const Model& model, const AnalysisResult& result,
                             const ResultDetail& detail) {
  std::ostringstream out;
  write_html_view(out, model, result, detail);
  return std::move(out).str();
}

}  // namespace zervola::frame
