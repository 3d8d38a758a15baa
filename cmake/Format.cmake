# `cmake --build <dir> --target format` rewrites every C++ file of the tree with clang-format.
find_program(CLANG_FORMAT clang-format)
if(CLANG_FORMAT)
  file(GLOB_RECURSE VELQORIS_FORMAT_FILES CONFIGURE_DEPENDS
       ${PROJECT_SOURCE_DIR}/records/*.[ch]pp ${PROJECT_SOURCE_DIR}/records/*.h
       ${PROJECT_SOURCE_DIR}/units/*.h
       ${PROJECT_SOURCE_DIR}/stats/*.[ch]pp ${PROJECT_SOURCE_DIR}/stats/*.h
       ${PROJECT_SOURCE_DIR}/board/*.[ch]pp ${PROJECT_SOURCE_DIR}/board/*.h
       ${PROJECT_SOURCE_DIR}/virtualboard/*.[ch]pp ${PROJECT_SOURCE_DIR}/virtualboard/*.h
       ${PROJECT_SOURCE_DIR}/graph/*.[ch]pp ${PROJECT_SOURCE_DIR}/graph/*.h
       ${PROJECT_SOURCE_DIR}/status/*.[ch]pp ${PROJECT_SOURCE_DIR}/status/*.h
       ${PROJECT_SOURCE_DIR}/datafile/*.[ch]pp ${PROJECT_SOURCE_DIR}/datafile/*.h
       ${PROJECT_SOURCE_DIR}/message/*.[ch]pp ${PROJECT_SOURCE_DIR}/message/*.h
       ${PROJECT_SOURCE_DIR}/analysis/*.[ch]pp ${PROJECT_SOURCE_DIR}/analysis/*.h
       ${PROJECT_SOURCE_DIR}/session/*.[ch]pp ${PROJECT_SOURCE_DIR}/session/*.h
       ${PROJECT_SOURCE_DIR}/plots/*.[ch]pp ${PROJECT_SOURCE_DIR}/plots/*.h
       ${PROJECT_SOURCE_DIR}/app/*.[ch]pp ${PROJECT_SOURCE_DIR}/app/*.h
       ${PROJECT_SOURCE_DIR}/cli/*.[ch]pp ${PROJECT_SOURCE_DIR}/cli/*.h
       ${PROJECT_SOURCE_DIR}/tests/*.[ch]pp ${PROJECT_SOURCE_DIR}/tests/*.h
       ${PROJECT_SOURCE_DIR}/bench/*.[ch]pp ${PROJECT_SOURCE_DIR}/fuzz/*.[ch]pp)
  add_custom_target(format COMMAND ${CLANG_FORMAT} -i ${VELQORIS_FORMAT_FILES}
                    COMMENT "clang-format" VERBATIM)
endif()
