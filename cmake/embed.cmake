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
