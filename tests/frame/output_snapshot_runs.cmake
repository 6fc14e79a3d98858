# The runs whose outputs are kept byte for byte in tests/data/frame-outputs:
# every reference model and example, and the options that change what is
# written. Each entry: NAME|MODEL (from the project root)|ARGUMENTS (comma-separated).
set(ZERVOLA_OUTPUT_SNAPSHOT_RUNS
  "cantilever_x|tests/data/host/cantilever_x.model.json|"
  "exA_truss2d_lc1|tests/data/host/exA_truss2d_lc1.model.json|"
  "exA_truss2d_lc2|tests/data/host/exA_truss2d_lc2.model.json|"
  "exB_pyramid|tests/data/host/exB_pyramid.model.json|"
  "exC_tetrahedral|tests/data/host/exC_tetrahedral.model.json|"
  "exE_lateral_torsional|tests/data/host/exE_lateral_torsional.model.json|"
  "exG_setback|tests/data/host/exG_setback.model.json|"
  "hinge_line|tests/data/host/hinge_line.model.json|"
  "portal2d|tests/data/host/portal2d.model.json|"
  "settlement|tests/data/host/settlement.model.json|"
  "springs|tests/data/host/springs.model.json|"
  "named_sections|examples/named_sections.json|"
  "c1_plane_portal|tests/data/frame-models/c1_plane_portal.model.json|"
  "c2_continuous_beam|tests/data/frame-models/c2_continuous_beam.model.json|"
  "c3_point_loads|tests/data/frame-models/c3_point_loads.model.json|"
  "c5_temperature|tests/data/frame-models/c5_temperature.model.json|"
  "c7_hinges|tests/data/frame-models/c7_hinges.model.json|"
  "office_frame|examples/office_frame.json|"
  "office_frame_summary_band_xz|examples/office_frame.json|--summary,--numbering,band,--view,xz"
  "office_frame_profile_moments|examples/office_frame.json|--numbering,profile,--moments,--no-labels"
  "loaded_portal|examples/loaded_portal.json|"
  "loaded_portal_shear_uls2|examples/loaded_portal.json|--diagram,shear,--svg-case,ULS2,--scale,50"
  "loaded_portal_axial|examples/loaded_portal.json|--diagram,axial,--view,axonometric"
  "c1_plane_portal_moments|tests/data/frame-models/c1_plane_portal.model.json|--moments,--svg-case,ULS"
  "portal_from_dxf|examples/dxf_portal/portal_from_dxf.json|--moments"
  "portal_members|examples/dxf_portal/portal_members.json|--moments"
  "continuous_beam_over_columns|examples/continuous_beam_over_columns.json|--moments"
  "office_frame_modes|examples/office_frame_modes.json|"
  "portal_stability|examples/portal_stability.json|"
  "office_frame_modes_lumped_summary|examples/office_frame_modes.json|--modes,3,--mass-matrix,lumped,--summary"
)

# Splits one entry of the list into its name, model and arguments.
function(zervola_output_snapshot_fields run name_var model_var arguments_var)
  string(REPLACE "|" ";" fields "${run}")
  list(GET fields 0 name)
  list(GET fields 1 model)
  list(LENGTH fields n_fields)
  set(arguments "")
  if(n_fields GREATER 2)
    list(GET fields 2 arguments)
  endif()
  set(${name_var} "${name}" PARENT_SCOPE)
  set(${model_var} "${model}" PARENT_SCOPE)
  set(${arguments_var} "${arguments}" PARENT_SCOPE)
endfunction()
