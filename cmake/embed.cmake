# ovcore_embed_file(<target> <input> <symbol>): compiles the bytes of <input>
# into <target> as
#   extern const unsigned char <symbol>[];   extern const size_t <symbol>_size;
# (declare them in the code that reads them). The array also ends with a NUL
# byte that the size leaves out, so text assets can be used as C strings.
# The source is regenerated whenever the input changes.
set(OVCORE_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/embed_file.cmake)

function(ovcore_embed_file target input symbol)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/embedded_${symbol}.cc)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DSYMBOL=${symbol}
            -P ${OVCORE_EMBED_SCRIPT}
    DEPENDS ${input} ${OVCORE_EMBED_SCRIPT}
    COMMENT "Embedding ${input}"
    VERBATIM)
  target_sources(${target} PRIVATE ${output})
endfunction()

# The scriptlets base: assets/scriptlets/ turned into one JSON text, embedded
# into <target> as ovcore_scriptlets_base.
function(ovcore_embed_scriptlets target)
  set(assets ${PROJECT_SOURCE_DIR}/assets/scriptlets)
  set(base ${CMAKE_CURRENT_BINARY_DIR}/scriptlets_base.json)
  file(GLOB scriptlets CONFIGURE_DEPENDS ${assets}/*.js)
  add_custom_command(
    OUTPUT ${base}
    COMMAND ${CMAKE_COMMAND} -DMANIFEST=${assets}/manifest.json -DOUTPUT=${base}
            -P ${PROJECT_SOURCE_DIR}/cmake/scriptlets_base.cmake
    DEPENDS ${assets}/manifest.json ${scriptlets} ${PROJECT_SOURCE_DIR}/cmake/scriptlets_base.cmake
    COMMENT "Assembling the scriptlets base"
    VERBATIM)
  ovcore_embed_file(${target} ${base} ovcore_scriptlets_base)
endfunction()
