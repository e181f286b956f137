# Common settings for the project's own targets.
function(zarn_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter)
endfunction()

# A target that uses Qt: moc on. There is no precompiled header: measured on
# this tree it cost more than it saved (a 356 MB header per target, about
# 19 s of compiling each, while a file compiled in about the same time without
# it), and every file has to include what it uses, which the ordinary build
# now checks.
function(zarn_qt_target target)
  set_target_properties(${target} PROPERTIES AUTOMOC ON)
  zarn_warnings(${target})
endfunction()
