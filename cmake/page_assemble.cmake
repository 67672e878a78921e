# Script mode of ovcore_embed_page_templates(): writes OUTPUT, the page PAGE
# with every /*@include NAME*/ replaced by the file NAME from PAGE's folder.
# It also refuses dictionaries that miss a locale or a message, or whose
# messages drop or invent a variable, and pages without exactly one
# configuration marker, so such a page never reaches the program.
get_filename_component(dir ${PAGE} DIRECTORY)
file(READ ${PAGE} page)

set(locales ar cs da de en es fa fi fr id it ja ko lt pl pt-br pt-pt ru sk sl sr sv tr uk
            zh-cn zh-tw)
set(keys malware phishing advancedButton moreInfoButton pageTitle safeHeaderTitle
         safeContentTitle parentalHeaderTitle parentalContentTitle parentalDescOne
         parentalDnsDescTwo blockedContentTitle ruleHeaderTitle ruleContentTitle btnGoBack
         btnFeedback btnProceed btnProceedTo inputPassword errorPageHeader summary
         suggestionsHeader suggestion1 suggestion2 suggestion3 suggestion4 showDetails
         wrongPassword somethingWrong errorPageTitle knowledgeBase download)

# The variables a message uses, as a sorted list.
function(message_variables text out)
  string(REGEX MATCHALL "\\(var\\.[A-Za-z]+\\)" found "${text}")
  list(REMOVE_DUPLICATES found)
  list(SORT found)
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

function(check_dictionaries json)
  foreach(key ${keys})
    string(JSON english ERROR_VARIABLE error GET "${json}" en ${key})
    if(error)
      message(FATAL_ERROR "locales.json: en has no message ${key}")
    endif()
    message_variables("${english}" expected)
    foreach(locale ${locales})
      string(JSON text ERROR_VARIABLE error GET "${json}" ${locale} ${key})
      if(error OR text STREQUAL "")
        message(FATAL_ERROR "locales.json: ${locale} has no message ${key}")
      endif()
      message_variables("${text}" used)
      if(NOT used STREQUAL expected)
        message(FATAL_ERROR "locales.json: ${locale}.${key} uses '${used}', English '${expected}'")
      endif()
    endforeach()
  endforeach()
endfunction()

# Plain string operations only: the texts hold semicolons, which CMake lists
# would split on.
string(REGEX MATCHALL "/\\*@include [A-Za-z0-9_.-]+\\*/" directives "${page}")
list(REMOVE_DUPLICATES directives)
foreach(directive ${directives})
  string(REGEX REPLACE "^/\\*@include (.+)\\*/$" "\\1" name "${directive}")
  file(READ ${dir}/${name} text)
  string(STRIP "${text}" text)
  # Inside <script> and <style> nothing may close the element early.
  string(TOLOWER "${text}" lower)
  if(lower MATCHES "</(script|style)")
    message(FATAL_ERROR "${name}: holds a closing </script or </style")
  endif()
  if(name STREQUAL "locales.json")
    check_dictionaries("${text}")
  endif()
  string(REPLACE "${directive}" "${text}" page "${page}")
endforeach()

string(REPLACE "\"{JSON_PLACEHOLDER}\"" "" without_marker "${page}")
string(LENGTH "${page}" with_length)
string(LENGTH "${without_marker}" without_length)
math(EXPR markers "(${with_length} - ${without_length}) / 20")
if(NOT markers EQUAL 1)
  message(FATAL_ERROR "${PAGE}: ${markers} configuration markers, expected exactly 1")
endif()
file(WRITE ${OUTPUT} "${page}")
