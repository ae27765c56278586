# Runs the bitmap check over damaged copies of the resource folder and fails unless each
# damage is reported by name: a background of the wrong size, a missing button, and a file
# that is not a PNG at all.
# Arguments: -DCHECKER=... -DRESOURCE_DIR=... -DWORK_DIR=...

function(expect_rejection case damaged_file expected_message)
  set(dir ${WORK_DIR}/${case})
  file(REMOVE_RECURSE ${dir})
  file(MAKE_DIRECTORY ${dir})
  file(GLOB pngs ${RESOURCE_DIR}/*.png)
  file(COPY ${pngs} DESTINATION ${dir})
  cmake_language(CALL damage_${case} ${dir})
  execute_process(COMMAND ${CHECKER} ${dir} RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(rc EQUAL 0)
    message(FATAL_ERROR "${case}: the check passed a folder with a damaged ${damaged_file}")
  endif()
  if(NOT err MATCHES "${damaged_file}: ${expected_message}")
    message(FATAL_ERROR "${case}: expected '${damaged_file}: ${expected_message}', got:\n${err}")
  endif()
endfunction()

function(damage_wrong_size dir)
  file(COPY_FILE ${RESOURCE_DIR}/2002.png ${dir}/4000.png)
endfunction()
function(damage_missing dir)
  file(REMOVE ${dir}/989.png)
endfunction()
function(damage_not_png dir)
  file(WRITE ${dir}/2005.png "not an image")
endfunction()

expect_rejection(wrong_size 4000.png "44 x 4444, but bitmap 4000 needs 401 x 570")
expect_rejection(missing 989.png "missing")
expect_rejection(not_png 2005.png "not a PNG file")
