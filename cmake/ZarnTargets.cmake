# Common settings for the project's own targets.
function(zarn_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter)
endfunction()

# A target that uses Qt: moc on, and the Qt precompiled header so that the
# large Qt headers are parsed once per target rather than once per file.
function(zarn_qt_target target)
  set_target_properties(${target} PROPERTIES AUTOMOC ON)
  target_precompile_headers(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/qt_pch.h)
  zarn_warnings(${target})
endfunction()
