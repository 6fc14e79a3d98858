# The command lines whose exit status and messages are kept in
# tests/data/frame-command-line/expected, run in that directory.
# Each entry: NAME|ARGUMENTS (comma-separated).
set(ZERVOLA_COMMAND_LINE_SNAPSHOT_RUNS
  "no_arguments|"
  "help|--help"
  "version|--version"
  "unknown_option|../../../examples/loaded_portal.json,--frobnicate"
  "unknown_view|../../../examples/loaded_portal.json,--view,top"
  "negative_scale|../../../examples/loaded_portal.json,--scale,-1"
  "unknown_diagram|../../../examples/loaded_portal.json,--diagram,torsion"
  "missing_model|missing.json"
  "syntax_error|syntax_error.json"
  "not_in_one_piece|unconnected.json"
  "unknown_svg_case|../../../examples/loaded_portal.json,--svg-case,NONE,--svg,never-written.svg,-q"
  "csv_directory_is_a_file|../../../examples/loaded_portal.json,--csv,unconnected.json,-q"
  "quiet_run|../../../examples/loaded_portal.json,-q"
  "no_modes|../../../examples/loaded_portal.json,--modes,0"
  "fractional_modes|../../../examples/loaded_portal.json,--modes,2.5"
  "unknown_mass_matrix|../../../examples/loaded_portal.json,--mass-matrix,foo"
  "mass_matrix_without_modes|../../../examples/loaded_portal.json,--mass-matrix,lumped,-q"
)

# Splits one entry of the list into its name and arguments.
function(zervola_command_line_snapshot_fields run name_var arguments_var)
  string(FIND "${run}" "|" bar)
  string(SUBSTRING "${run}" 0 ${bar} name)
  math(EXPR bar "${bar} + 1")
  string(SUBSTRING "${run}" ${bar} -1 arguments)
  set(${name_var} "${name}" PARENT_SCOPE)
  set(${arguments_var} "${arguments}" PARENT_SCOPE)
endfunction()
