# ovcore_embed_page_templates(<target>): embeds the eight page templates of
# assets/templates/ into <target> as ovcore_template_<name> (see
# core/proxy/content/page_templates.cc). The HTML pages are assembled first:
# each page source takes in the shared style, script and dictionaries
# (page_assemble.cmake), so the repository holds one copy of each.
set(OVCORE_PAGE_ASSEMBLE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/page_assemble.cmake)

function(ovcore_embed_page_templates target)
  set(dir ${PROJECT_SOURCE_DIR}/assets/templates)
  set(shared ${dir}/page.css ${dir}/page.js ${dir}/locales.json)
  foreach(page blocked error safebrowsing parental certificate)
    set(assembled ${CMAKE_CURRENT_BINARY_DIR}/templates/${page}.html)
    add_custom_command(
      OUTPUT ${assembled}
      COMMAND ${CMAKE_COMMAND} -DPAGE=${dir}/${page}.html -DOUTPUT=${assembled}
              -P ${OVCORE_PAGE_ASSEMBLE_SCRIPT}
      DEPENDS ${dir}/${page}.html ${shared} ${OVCORE_PAGE_ASSEMBLE_SCRIPT}
      COMMENT "Assembling page template ${page}.html"
      VERBATIM)
    ovcore_embed_file(${target} ${assembled} ovcore_template_${page})
  endforeach()
  ovcore_embed_file(${target} ${dir}/pixel.png ovcore_template_pixel)
  ovcore_embed_file(${target} ${dir}/content_script.js ovcore_template_content_script)
  ovcore_embed_file(${target} ${dir}/stealth_script.js ovcore_template_stealth_script)
endfunction()
