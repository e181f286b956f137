# Common settings for the project's own targets.
function(zarn_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter)
endfunction()

# Off in the include check, where a file that relies on the precompiled
# header for an include it does not make fails to build.
option(ZARN_PCH "Precompile the Qt headers of Qt targets" ON)

# A target that uses Qt: moc on, and the Qt precompiled header so that the
# large Qt headers are parsed once per target rather than once per file.
function(zarn_qt_target target)
  set_target_properties(${target} PROPERTIES AUTOMOC ON)
  if(ZARN_PCH)
    target_precompile_headers(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/qt_pch.h)
    if(CCACHE_PROGRAM)
      # The compiler cache hashes the preprocessed header rather than refusing the call.
      target_compile_options(${target} PRIVATE -fpch-preprocess)
    endif()
  endif()
  zarn_warnings(${target})
endfunction()
