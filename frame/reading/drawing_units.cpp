// A drawing's coordinates brought into the model's length unit: CAD users
// draw in millimetres while a model is often in metres, and a drawing read
// as if it were in the model's unit would be a frame a thousand times too
// large, with every result wrong and nothing to show it.

#include "zervola/frame.hpp"

#include <fmt/format.h>

#include "zervola/frame/errors.hpp"
#include "zervola/frame/units.hpp"

namespace zervola::frame {
namespace {

// The length units of $INSUNITS that are converted; any other stated unit
// is refused unless the model gives "dxf_units".
struct InsUnit {
  int code;
  const char* unit;
};
constexpr InsUnit k_insunits[] = {{1, "in"}, {2, "ft"}, {4, "mm"}, {5, "cm"}, {6, "m"}};
constexpr int k_unitless = 0;

std::string unit_of_insunits(const DxfDrawing& drawing, const Model& model) {
  for (const InsUnit& u : k_insunits)
    if (u.code == drawing.insunits) return u.unit;
  throw InputError(fmt::format(
      "{}:{}: the drawing states its unit as $INSUNITS {}, which is not converted ({}); give the "
      "model \"dxf_units\" (or --dxf-units) to say in which unit it is drawn",
      model.dxf_file, drawing.insunits_line, drawing.insunits, k_length_units_text));
}

double metres_per(const std::string& unit) { return unit_scale({"N", unit})->metres_per_length; }

Point3 converted(const Point3& p, double multiply, double divide) {
  return {p.x * multiply / divide, p.y * multiply / divide, p.z * multiply / divide};
}

}  // namespace

ModelDrawing read_model_drawing(const Model& model) {
  ModelDrawing d{read_dxf_drawing(model.dxf_file), 1.0, {}};
  if (model.dxf_units)
    d.drawing_unit = *model.dxf_units;
  else if (d.drawing.insunits != k_unitless)
    d.drawing_unit = unit_of_insunits(d.drawing, model);
  if (d.drawing_unit.empty() || d.drawing_unit == model.units.length) return d;
  if (!unit_scale({"N", model.units.length}))
    throw InputError(fmt::format(
        "{}: the drawing is in {}, and the model's length unit \"{}\" is not one that is "
        "converted ({}); give the model a converted length unit, or \"dxf_units\": \"{}\" if the "
        "drawing is in fact drawn in it",
        model.dxf_file, d.drawing_unit, model.units.length, k_length_units_text,
        model.units.length));
  // Whole numbers where they can be: 1000 mm to the metre is divided by,
  // not multiplied by 0.001, so a coordinate of 3500 mm reads as 3.5 m.
  const double drawing_m = metres_per(d.drawing_unit), model_m = metres_per(model.units.length);
  const double multiply = drawing_m > model_m ? drawing_m / model_m : 1.0;
  const double divide = drawing_m > model_m ? 1.0 : model_m / drawing_m;
  d.model_per_drawing_length = multiply / divide;
  for (Member& m : d.drawing.members) {
    m.from = converted(m.from, multiply, divide);
    m.to = converted(m.to, multiply, divide);
  }
  return d;
}

}  // namespace zervola::frame
