#pragma once

// zervola's frame analysis: read a plane or space frame drawn as lines (a
// JSON model, with members from a DXF drawing if it names one), analyse
// every load case through the zervola library on one factorisation,
// superpose the combinations, and write the results as a report, JSON, CSV
// tables, an SVG drawing and a 3D view (one HTML page). zervola-frame is
// this API behind a command line.
//
// Contents
//   1. The model              zervola/frame/model.hpp
//   2. Errors                 zervola/frame/errors.hpp; sections by name
//                             (catalogue, materials, shapes, units):
//                             zervola/frame/sections.hpp, zervola/frame/units.hpp
//   3. Reading a model        read_model, read_json_model, parse_json_model,
//                             read_dxf_members, parse_dxf_members, validate_model,
//                             connect_crossings
//   4. Analysis               AnalysisOptions, analyse; zervola/frame/progress.hpp
//   5. Results                zervola/frame/results.hpp; along the members,
//                             combinations and envelopes: zervola/frame/internal_forces.hpp,
//                             zervola/frame/combinations.hpp; members cut at
//                             crossings, as drawn: zervola/frame/drawn_members.hpp
//   6. Outputs                format_report, format_json_results, format_csv_tables,
//                             csv_table_names, draw_svg, format_html_view (its
//                             data: format_view_data), format_dxf; written
//                             whole or not at all, and recovered after a kill:
//                             zervola/frame/output_files.hpp
//   7. Steps below the analysis, for hosts that call the exports themselves:
//                             zervola/frame/library_arrays.hpp, zervola/frame/placement.hpp,
//                             zervola/frame/profile_numbering.hpp, zervola/frame/store_size.hpp
//
// Units are the model's own (Model::units): every length, force and moment
// is in them, rotations in radians, stresses in force/length^2. Nodes are
// numbered by their first appearance among the members' points (the
// drawing's order), whatever numbering the solver used. Member results are
// in each member's local axes from its "from" point (sign_convention_text
// states the convention).
//
// Threads: nothing here keeps state between calls; independent models may be
// read, analysed and written on different threads at once. analyse itself
// recovers the load cases on as many threads as the processor runs.
//
// Errors: every function that can fail throws InputError (the model file),
// AnalysisError (a model that cannot be analysed) or OutputError (an output
// that cannot be written), with a message naming the file, the item and the
// value; std::bad_alloc when memory runs out.

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "zervola/frame/combinations.hpp"
#include "zervola/frame/drawn_members.hpp"
#include "zervola/frame/errors.hpp"
#include "zervola/frame/export.hpp"
#include "zervola/frame/internal_forces.hpp"
#include "zervola/frame/model.hpp"
#include "zervola/frame/output_files.hpp"
#include "zervola/frame/progress.hpp"
#include "zervola/frame/results.hpp"

namespace zervola::frame {

// ---------------------------------------------------------------------------
// 3. Reading a model
// ---------------------------------------------------------------------------

// Reads a model file as zervola-frame does: the JSON model (// and /* */
// comments allowed), then the members of the DXF drawing it names, if any
// (appended after the model's own members), then the catalogue profiles
// that members name directly (add_catalogue_sections), then validate_model,
// then connect_crossings when the model asks for it ("connect_crossings").
// Units that do not convert are a warning in Model::warnings.
//   path: in, the model file (docs/model-format.md).
// Throws InputError: the file cannot be read, its syntax (file, line,
// column), its structure (item and field: a missing or unknown field, a
// value of the wrong type) or its meaning (validate_model).
[[nodiscard]] ZERVOLA_FRAME_API Model read_model(const std::string& path);

// What the command line may set over the model file when reading it.
struct ModelReading {
  // The drawing's length unit, over the file's "dxf_units" and the
  // drawing's $INSUNITS (--dxf-units): mm, cm, m, in, ft.
  std::optional<std::string> dxf_units;
};

// read_model with the choices of reading (in). Throws as read_model, and
// InputError when reading.dxf_units is not a converted length unit, or is
// given for a model that names no drawing.
[[nodiscard]] ZERVOLA_FRAME_API Model read_model(const std::string& path,
                                                 const ModelReading& reading);

// Reads and parses a JSON model file without its drawing and without
// validate_model: Model::dxf_file names the drawing, if any.
//   path: in, the model file.
// Throws InputError as read_model, for syntax and structure only.
[[nodiscard]] ZERVOLA_FRAME_API Model read_json_model(const std::string& path);

// Parses model text, as read_json_model does a file. Sections given by
// profile, shape or material are resolved here (the catalogue is read at
// the first profile); profiles named by members are not.
//   text: in, the JSON model.
//   file_name: in, the name used in messages, and the directory against
//     which a relative "dxf" path is resolved.
// Throws InputError.
[[nodiscard]] ZERVOLA_FRAME_API Model parse_json_model(const std::string& text,
                                                       const std::string& file_name);

// Reads the drawn members of a frame from a DXF file: every LINE entity and
// every straight segment of a polyline (POLYLINE with its VERTEX entities,
// or LWPOLYLINE) becomes one member, in the order of the file, with no
// orientation point. Its name comes from the entity's handle (group code
// 5), which CAD programs keep while the drawing is edited: H2F for a LINE
// of handle 2F, H30.1, H30.2, ... for the segments of a polyline of handle
// 30; an entity without a handle (an R12 drawing may have none) is named by
// its place among the members, D1, D2, .... Its layer names its section,
// and a suffix after '@' its release: "IPE300@hinge_end" is an IPE300
// hinged at its second point (hinge_start, hinge_end, pinned or none).
// Coordinates are as drawn, in the drawing's unit (read_model_drawing
// converts them).
//   path: in, the drawing.
// Throws InputError, naming the file, the line and the group code, for
// anything the reader does not fully understand: an arc segment (non-zero
// bulge), a malformed number, a missing coordinate, a section or polyline
// cut short, no final EOF, a polyline outside the world x-y plane. Other
// entities (a block reference, a text, an arc) and lines of zero length are
// no members: read_dxf_drawing counts them.
[[nodiscard]] ZERVOLA_FRAME_API std::vector<Member> read_dxf_members(const std::string& path);

// The same from the drawing's text (text: in); file_name (in) is used in
// messages. Throws InputError as read_dxf_members.
[[nodiscard]] ZERVOLA_FRAME_API std::vector<Member> parse_dxf_members(const std::string& text,
                                                                      const std::string& file_name);

// Entities of a drawing that are not read as members, counted by type and
// layer: anything in the ENTITIES section but LINE, POLYLINE (with its
// VERTEX and SEQEND) and LWPOLYLINE (an ARC, a CIRCLE, a TEXT, ...), and
// every record a block definition (BLOCKS section) holds (a polyline there
// counts with its VERTEX and SEQEND records).
struct IgnoredEntities {
  std::string type;            // "ARC", "CIRCLE", "TEXT", "LINE" (in a block), ...
  std::string layer;
  bool in_block = false;       // in a block definition
  int count = 0;
  std::size_t first_line = 0;  // line of the first one's "0 TYPE" record
};

// A drawing's members (as read_dxf_members) and what it holds besides.
struct DxfDrawing {
  std::vector<Member> members;
  std::vector<IgnoredEntities> ignored;
  int insunits = 0;             // the header's $INSUNITS: 0 when no unit is stated
  std::size_t insunits_line = 0;  // its line, 0 when absent
};

// read_dxf_members and parse_dxf_members, with the entities not read.
// Throws InputError as they do.
[[nodiscard]] ZERVOLA_FRAME_API DxfDrawing read_dxf_drawing(const std::string& path);
[[nodiscard]] ZERVOLA_FRAME_API DxfDrawing parse_dxf_drawing(const std::string& text,
                                                             const std::string& file_name);

// The drawing a model names (Model::dxf_file), its members in the model's
// length unit: coordinates are converted from the drawing's unit, which is
// model.dxf_units when given, else the header's $INSUNITS, else (no unit
// stated) the model's own. Units: mm, cm, m, in, ft.
//   model: in, as read_json_model gives it (units, dxf_file, dxf_units).
// Returns the drawing with its members converted, and the factor applied
// (model length per drawing length, 1 when nothing was converted).
// Throws InputError as read_dxf_drawing, and when the drawing's unit is
// stated but one that is not converted ($INSUNITS 7, kilometres), or the
// model's length unit is not converted while the drawing's differs from it:
// the message says to give "dxf_units".
struct ModelDrawing {
  DxfDrawing drawing;
  double model_per_drawing_length = 1.0;
  std::string drawing_unit;  // the drawing's length unit as taken; empty when none is stated
};
[[nodiscard]] ZERVOLA_FRAME_API ModelDrawing read_model_drawing(const Model& model);

// Checks the meaning of a model before anything is analysed: positive
// section values and stiffness terms (E A / L, 12 E I / L^3, ...) within
// [1e-154, 1e154], known sections, members of non-zero length, orientation
// points off the member's line, a plane frame that stays in its x-y plane,
// unique names, at least one load case, member loads on known members and
// within them, combinations and envelopes of known sets. Whether supports
// and loads lie on nodes is checked by analyse, once the nodes exist.
//   model: in.
// Throws InputError on the first fault, naming the item and the field.
ZERVOLA_FRAME_API void validate_model(const Model& model);

// Cuts the members of a validated model where they cross each other between
// their ends (also beside an end that overshoots the other member), or where
// a member ends on another's span (within 1e-6 of the shorter member's
// length), so that they are connected there, as engineers
// draw a continuous beam over several columns. A member cut into n pieces
// is replaced, in its place in Model::members, by members "<name>.1" to
// "<name>.n" from its "from" point on, with its section, orientation and
// temperature change; a hinge at its start goes to the first piece, at its
// end to the last. Its member loads go to the pieces they lie on, with
// their positions from each piece's start (a distributed load cut where a
// piece ends, with its intensity there; a concentrated load at a cut acts
// on the piece beginning there; a temperature load on every piece).
// Model::drawn_members records each member cut and its pieces, so that
// results can be given for it as drawn (drawn_member_results). Crossing
// points closer than the library's node tolerance, or than the distance
// within which their members touch, are one place where every member
// through it is cut; none falls within the node tolerance of a member's
// end. Positions of loads are taken as validate_model takes them (within
// its slack of the member, clamped to it). A model where nothing crosses is
// returned unchanged (with connect_crossings set). The result is validated
// again.
//   model: in, a model that validate_model accepted.
// Throws InputError: members drawn twice or over each other (naming both),
// a piece's name that the model already gives another member.
[[nodiscard]] ZERVOLA_FRAME_API Model connect_crossings(const Model& model);

// ---------------------------------------------------------------------------
// 4. Analysis
// ---------------------------------------------------------------------------

struct AnalysisOptions {
  // How the equations are numbered (results do not depend on it beyond
  // rounding; the solver's time and memory do).
  NumberingChoice numbering = NumberingChoice::automatic;
  // Told of each stage; nullptr: nothing is reported.
  Progress* progress = nullptr;
  // The factorisation of the load cases (and of second order): the skyline,
  // the supernodal one, or the one predicted to be cheaper (automatic).
  // Results agree to rounding whichever solves.
  SolverChoice solver = SolverChoice::automatic;
  // Threads of the supernodal factorisation; 0 (or less): every processor
  // this process may run on. The library's exports start none of their own.
  int threads = 0;
};

// Analyses every load case of a validated model through the library's
// exports, in the order their data require: nodes from the members' points
// (MESHDISKR), connectivity (FREELINE), band renumbering (KRINUM) beside a
// profile-reducing numbering, the skyline profile of the better one
// (ZEBMUK6), one assembly and factorisation for all load cases with a
// substitution per case, per member its local axes once (MATRIXCOS3P), and
// per load case and member the end forces (GLOBTOLOC, LOCTOGLOB) and extreme
// stresses (SILFACT); then the combinations, superposed.
//   model: in, a model that validate_model accepted.
//   options: in.
// Returns every load case's and combination's results.
// Throws InputError (a support, spring or load that lies on no node; two
// supports on one node) or AnalysisError (a model not in one piece, a
// mechanism or singular system naming the first node and direction, a
// result that is not finite, a store larger than the memory the process may
// use).
[[nodiscard]] ZERVOLA_FRAME_API AnalysisResult analyse(const Model& model,
                                                       const AnalysisOptions& options = {});

// ---------------------------------------------------------------------------
// 6. Outputs
// ---------------------------------------------------------------------------
// Each writer returns the whole text of its output; OutputFiles writes a set
// of them whole or not at all. Every writer takes the model and the result
// that analyse gave for it (model: in; result: in) and throws nothing but
// std::bad_alloc, except where said.

enum class ReportDetail {
  full,     // every table of every load set
  summary,  // the model summary, the extremes of each load set, the equilibrium check
};

// The readable report: the model summary, then per load case and
// combination the displacements, reactions, the equilibrium check, member
// end forces, extreme stresses and the extremes along each member, then the
// envelopes, then the natural modes when the model asks for them (the mass
// and where it came from, per mode the frequency, period and effective mass
// ratios, whether 90 % of the movable mass is reached, the Sturm check and,
// in full, the eigensolver's figures), and with a response spectrum its
// section (per mode T, Sa and base shear; the combined base shear, the
// largest magnitudes; in full, the reactions and end forces).
//   detail: in, full or summary.
//   timings: in, whether the eigensolver's wall time is printed (without
//     it, two runs of one model print the same bytes).
[[nodiscard]] ZERVOLA_FRAME_API std::string format_report(const Model& model,
                                                          const AnalysisResult& result,
                                                          ReportDetail detail,
                                                          bool timings = true);

// The same report written to out piece by piece, in little memory whatever
// the model's size. Throws what out's writes throw (check out's state
// after).
ZERVOLA_FRAME_API void write_report(std::ostream& out, const Model& model,
                                    const AnalysisResult& result, ReportDetail detail,
                                    bool timings = true);

// The end-force sign convention, stated once in every output.
[[nodiscard]] ZERVOLA_FRAME_API const char* sign_convention_text();

// What the JSON results, the CSV tables and the 3D view hold beyond the
// nodes' and the member ends' results.
struct ResultDetail {
  // The internal forces and displacements at every station along every
  // member (the JSON's member_diagrams arrays, member_diagrams.csv, the 3D
  // view's diagrams). Without them each member keeps its extremes along its
  // length (the 3D view its values at its two ends), and the files of a
  // large model are many times smaller.
  bool stations = true;
  // The eigensolver's wall time (the JSON's modal.eigensolver.seconds).
  // Without it, two runs of one model write the same bytes.
  bool timings = true;
};

// Every result as one JSON document (docs/model-format.md, "Results"),
// with "modes" and "modal" when the model has natural modes, and
// "spectrum" when it has a response spectrum.
[[nodiscard]] ZERVOLA_FRAME_API std::string format_json_results(const Model& model,
                                                                const AnalysisResult& result,
                                                                const ResultDetail& detail = {});

// The same document written to out piece by piece, so that it needs no
// more memory than its largest piece (one member's diagram) whatever the
// model's size. Throws what out's writes throw (nothing if it has no
// exceptions set: check out's state after).
ZERVOLA_FRAME_API void write_json_results(std::ostream& out, const Model& model,
                                          const AnalysisResult& result,
                                          const ResultDetail& detail = {});

// CSV tables for spreadsheets: file name (nodes.csv, members.csv,
// displacements.csv, reactions.csv, end_forces.csv, stresses.csv,
// equilibrium.csv, member_diagrams.csv and, with envelopes, envelopes.csv,
// with members cut at crossings, drawn_members.csv, with natural modes,
// modes.csv and mode_shapes.csv, with a response spectrum,
// seismic_modes.csv, seismic_nodes.csv and seismic_members.csv) -> content.
[[nodiscard]] ZERVOLA_FRAME_API std::map<std::string, std::string> format_csv_tables(
    const Model& model, const AnalysisResult& result, const ResultDetail& detail = {});

// The file names format_csv_tables gives for model (in), in their order,
// known before the analysis. Throws nothing but bad_alloc.
[[nodiscard]] ZERVOLA_FRAME_API std::vector<std::string> csv_table_names(
    const Model& model, const ResultDetail& detail = {});

// One table of format_csv_tables (name: in, one of csv_table_names) written
// to out piece by piece, in little memory whatever the model's size.
// Throws std::invalid_argument for a name that is no table, and what out's
// writes throw (check out's state after).
ZERVOLA_FRAME_API void write_csv_table(std::ostream& out, const std::string& name,
                                       const Model& model, const AnalysisResult& result);

enum class View { automatic, xy, xz, yz, axonometric };

// The internal-force diagram drawn along the members, if any.
enum class DiagramKind { none, moment, shear, axial };

struct DrawingOptions {
  // automatic: xy for a plane frame, axonometric for a space frame.
  View view = View::automatic;
  // Displacements drawn this many times their size; empty: the largest is
  // drawn at about 8 % of the frame's size (the drawing states the scale).
  std::optional<double> deformation_scale;
  DiagramKind diagram = DiagramKind::none;
  bool labels = true;                    // node and member labels
  std::optional<std::string> load_case;  // a case or combination; all when empty
};

// A drawing of the frame in SVG: one panel per load case and combination
// with the undeformed and the deformed shape (curved by the member loads),
// supports, springs and nodal loads as symbols, node and member labels, and
// on request the moment, shear or axial-force diagrams; then, when the model
// has natural modes, one panel per mode with its shape (whatever load set
// options.load_case names).
//   options: in, the view, scale, diagram, labels and load set drawn.
// Throws InputError when options.load_case names no load case or combination
// (its message begins "--svg-case:", the command line's name for it).
[[nodiscard]] ZERVOLA_FRAME_API std::string draw_svg(const Model& model,
                                                     const AnalysisResult& result,
                                                     const DrawingOptions& options);

// The same drawing written to out piece by piece, in little memory whatever
// the model's size. Throws as draw_svg (before anything is written), and
// what out's writes throw (check out's state after).
ZERVOLA_FRAME_API void write_svg(std::ostream& out, const Model& model,
                                 const AnalysisResult& result, const DrawingOptions& options);

// The 3D view: one self-contained HTML page that draws the frame in the
// browser (three.js, WebGL), with its deformed shape under each load case
// and combination, the internal-force diagrams of every load set and
// envelope, supports, hinges, loads, and the natural and buckling mode
// shapes swinging; a member picked with the mouse shows its end forces,
// extremes and stresses. The page holds everything it needs (the viewer's
// scripts, three.js and the data of format_view_data) and opens from a
// file with no network. Its template, scripts and three.js are installed
// beside the library (share/zervola/viewer).
//   model: in, the model as analysed.
//   result: in, what analyse gave for it.
//   detail: in; stations false: each member's values at its two ends only
//     (a page many times smaller for a large model); timings: unused.
// Units: the model's own, nothing converted (the page states them).
// Returns the page's text (UTF-8).
// Throws OutputError when the view's files are not installed, and when
// three.js was not found when zervola was built (the message says how to
// get it: install Debian's libjs-three, then configure and build again);
// std::bad_alloc.
[[nodiscard]] ZERVOLA_FRAME_API std::string format_html_view(const Model& model,
                                                             const AnalysisResult& result,
                                                             const ResultDetail& detail = {});

// The same page written to out piece by piece: the load sets one at a
// time, in the memory of one set's values whatever the model's size.
// Throws as format_html_view (before anything is written), and what out's
// writes throw (check out's state after).
ZERVOLA_FRAME_API void write_html_view(std::ostream& out, const Model& model,
                                       const AnalysisResult& result,
                                       const ResultDetail& detail = {});

// The 3D view's data alone: the JSON object the page reads as
// window.ZERVOLA_VIEW, laid out as frame/output/viewer/README.md describes
// (format "zervola-view", version 1): nodes, members with their local axes
// and stations (ten equal divisions and every load point, in 1/10000 of the
// length), supports with their held directions, per load case and
// combination the deflection and the six internal forces at the stations
// (quantized: whole numbers of a unit, to 1/9999 of the array's largest
// magnitude), end forces, extremes, stresses and loads in global axes, the
// envelopes with the sets that govern, and the mode shapes. No "<" stands
// in it as itself, so it may sit in an HTML <script> element.
//   model, result, detail: in, as format_html_view takes them.
// Returns the JSON text (UTF-8; a name's byte that is not UTF-8 becomes
// U+FFFD). Throws nothing but std::bad_alloc; needs no installed file.
[[nodiscard]] ZERVOLA_FRAME_API std::string format_view_data(const Model& model,
                                                             const AnalysisResult& result,
                                                             const ResultDetail& detail = {});

// The same data written to out piece by piece. Throws what out's writes
// throw (check out's state after), and std::bad_alloc.
ZERVOLA_FRAME_API void write_view_data(std::ostream& out, const Model& model,
                                       const AnalysisResult& result,
                                       const ResultDetail& detail = {});

// The directory of the 3D view's installed files (share/zervola/viewer
// beside the library), checked as format_html_view checks it, so that a
// host can refuse --html before it analyses anything. Throws OutputError
// as format_html_view does when a file, or three.js, is missing.
[[nodiscard]] ZERVOLA_FRAME_API std::string html_view_directory();

struct DxfOptions {
  std::optional<std::string> load_set;  // a case or combination; all when empty
  // Displacements drawn this many times their size; empty: the largest
  // along the members is drawn at about 8 % of the frame's size.
  std::optional<double> deformation_scale;
};

// The results drawn back into CAD: a DXF file (R12 ASCII, which every CAD
// program reads) in the model's length unit ($INSUNITS) with layers named
// from "RESULTS_": RESULTS_FRAME (the members as lines), _MEMBER_NAMES,
// _LEGEND (title, units, the deformation scale, the sign convention and
// each diagram's scale, the one it is drawn at) and, per load set chosen,
// RESULTS_NAME-DEFORMED (the deformed shape, curved by the member loads, as
// 3D polylines), -MOMENT, -SHEAR and -AXIAL (the diagrams as polylines,
// each member's extremes as text "Mz 12.345", the values of the JSON
// results' extremes to five digits) and -REACTIONS (arrows and the values
// at each supported node). The reader never takes what RESULTS_ layers
// hold as members. NAME is the set's name with the characters layer names
// may not hold made '_' (in an R12 drawing all but letters, digits, $, -
// and _); a name the drawing already holds (case ignored) takes a suffix
// "~2". Texts beyond ASCII are written \U+XXXX before AutoCAD 2007.
// Text heights and diagram scales follow the frame's size.
// When the model came from a drawing (Model::dxf_file), the file written is
// that drawing, every record of it kept as it stands but the results an
// earlier run drew into it (RESULTS_ layers and their entities, which the
// new ones replace), with the results' layers and entities added: in the drawing's unit (as the model was read:
// Model::dxf_units, its $INSUNITS, else the model's), $INSUNITS set to it,
// and for a drawing of AutoCAD R13 or later with handles above every one it
// holds ($HANDSEED moved past them).
//   model, result: in, the model as analysed and what analyse gave.
//   options: in, the load set drawn and the deformation scale.
// Throws InputError when options.load_set names no load case or combination
// (its message begins "--dxf-set:"); OutputError when the model's drawing
// cannot be read again, or is an R13 or later drawing without a layer table
// or model space to add to.
[[nodiscard]] ZERVOLA_FRAME_API std::string format_dxf(const Model& model,
                                                       const AnalysisResult& result,
                                                       const DxfOptions& options);

// The same file written to out. Throws as format_dxf (before anything is
// written), and what out's writes throw.
ZERVOLA_FRAME_API void write_dxf(std::ostream& out, const Model& model,
                                 const AnalysisResult& result, const DxfOptions& options);

// The view a drawing of model uses for View::automatic (xy for a plane
// frame, axonometric for a space frame), and any other view as it is.
// Throws nothing.
[[nodiscard]] ZERVOLA_FRAME_API View resolved_view(const Model& model, View view);

}  // namespace zervola::frame
