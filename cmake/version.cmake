# Writes OUTPUT with the program version and the commit it is built from.
# Runs at every build; the file changes only when the commit does, so only
# what includes it is rebuilt.
execute_process(COMMAND git rev-parse --short HEAD
                WORKING_DIRECTORY ${SOURCE_DIR}
                OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE failed ERROR_QUIET)
if(failed OR commit STREQUAL "")
  set(commit "no commit")
else()
  execute_process(COMMAND git status --porcelain --untracked-files=no
                  WORKING_DIRECTORY ${SOURCE_DIR}
                  OUTPUT_VARIABLE changes OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT changes STREQUAL "")
    string(APPEND commit "+changes")
  endif()
endif()
file(WRITE ${OUTPUT}.new
     "#pragma once\n"
     "#define TALVIR_VERSION \"${VERSION}\"\n"
     "#define TALVIR_COMMIT \"${commit}\"\n")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
