# The built-in redirect resources: redirects_gen turns assets/redirects/ (the
# manifest and the files it names) into a C++ source defining the resources
# base text, which ovcore_core compiles. Included from core/CMakeLists.txt
# after ovcore_core is defined: a generated source has to be attached to a
# target of the directory whose custom command produces it.

set(OVCORE_REDIRECTS_DIR ${PROJECT_SOURCE_DIR}/assets/redirects)
set(OVCORE_REDIRECTS_BASE ${CMAKE_CURRENT_BINARY_DIR}/redirect_resources_base.cc)

# The generator runs before ovcore_core exists, so instead of linking it, it
# compiles the core's one Base64 encoder into itself.
add_executable(redirects_gen ${PROJECT_SOURCE_DIR}/tools/gen/redirects_gen.cc
                             ${PROJECT_SOURCE_DIR}/core/commons/encoding.cc)
target_include_directories(redirects_gen PRIVATE ${PROJECT_SOURCE_DIR}
                                                 ${PROJECT_SOURCE_DIR}/include)
target_link_libraries(redirects_gen PRIVATE Threads::Threads)
ovcore_warnings(redirects_gen)

file(GLOB_RECURSE OVCORE_REDIRECT_ASSETS CONFIGURE_DEPENDS ${OVCORE_REDIRECTS_DIR}/*)
add_custom_command(
  OUTPUT ${OVCORE_REDIRECTS_BASE}
  COMMAND redirects_gen ${OVCORE_REDIRECTS_DIR}/manifest.txt ${OVCORE_REDIRECTS_BASE}
  DEPENDS redirects_gen ${OVCORE_REDIRECT_ASSETS}
  COMMENT "Generating the redirect resources base"
  VERBATIM)
target_sources(ovcore_core PRIVATE ${OVCORE_REDIRECTS_BASE})
